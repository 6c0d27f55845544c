#include "core/files/zip/zip_extract.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <ctime>

#include "core/files/zip/zip_err.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"
#include "support/zip_maker.h"

namespace {

constexpr uint64_t no_limit = UINT64_MAX;
const err_code_t corrupt = err_make(err_dom_ins, ins_err_corrupt);

class zip_extract : public ::testing::Test {
protected:
	err_code_t extract(const std::vector<zip_test_entry>& entries, uint64_t limit = no_limit,
	                   std::string* first = nullptr, int rename = 0)
	{
		std::vector<char> zip = make_zip(entries);
		return mem_to_file(zip.data(), zip.size(), out.path(), first, rename, limit);
	}
	// Extraction leaves no temporary file behind, whatever happened.
	void expect_no_temporaries(const std::string& rel = "")
	{
		for (const std::string& n : out.names(rel)) EXPECT_EQ(n.find(".unzip-"), std::string::npos) << n;
	}

	log_capture log;
	scratch_dir out;
};

}  // namespace

TEST_F(zip_extract, writes_folders_and_files_in_archive_order)
{
	std::string first;
	ASSERT_EQ(extract({{"a/", ""}, {"a/b/", ""}, {"a/b/c.txt", "deep"}, {"top.txt", std::string(300000, 'q')}},
	                  no_limit, &first),
	          0u);
	EXPECT_EQ(first, "a/");
	EXPECT_EQ(out.read("a/b/c.txt"), "deep");
	EXPECT_EQ(out.read("top.txt"), std::string(300000, 'q'));
	expect_no_temporaries();
	expect_no_temporaries("a/b/");
}

TEST_F(zip_extract, from_a_file_path_too)
{
	scratch_dir src;
	ASSERT_TRUE(write_zip_file(src / "x.zip", {{"directory.txt", "I\n1100 version\n"}}));
	std::string first;
	ASSERT_EQ(zip_to_file(src / "x.zip", out.path(), &first, 0, no_limit), 0u);
	EXPECT_EQ(first, "directory.txt");
	EXPECT_EQ(out.read("directory.txt"), "I\n1100 version\n");
}

TEST_F(zip_extract, a_file_whose_folder_is_missing_fails)
{
	EXPECT_EQ(extract({{"a/b/c.txt", "x"}}), err_from_errno(ENOENT));
	EXPECT_FALSE(out.exists("a"));
}

TEST_F(zip_extract, mac_resource_folders_are_skipped)
{
	ASSERT_EQ(extract({{"__MACOSX/", ""}, {"__MACOSX/._f.txt", "junk"}, {"f.txt", "real"}}), 0u);
	EXPECT_EQ(out.names(), std::vector<std::string>{"f.txt"});
}

TEST_F(zip_extract, existing_files_and_links_are_replaced_not_written_through)
{
	scratch_dir elsewhere;
	elsewhere.write("victim.txt", "keep me");
	out.write("plain.txt", "old");
	out.link(elsewhere / "victim.txt", "through_link.txt");

	ASSERT_EQ(extract({{"plain.txt", "new"}, {"through_link.txt", "fresh"}}), 0u);
	EXPECT_EQ(out.read("plain.txt"), "new");
	EXPECT_FALSE(out.is_link("through_link.txt"));
	EXPECT_EQ(out.read("through_link.txt"), "fresh");
	EXPECT_EQ(elsewhere.read("victim.txt"), "keep me");
}

TEST_F(zip_extract, a_link_entry_replaces_a_file_of_the_same_name)
{
	out.write("Resources", "a file in the way");
	ASSERT_EQ(extract({{"Versions/", ""}, {"Versions/A/", ""}, {"Resources", "Versions/A", zip_link_attr()}}), 0u);
	ASSERT_TRUE(out.is_link("Resources"));
	char target[PATH_MAX] = {};
	ASSERT_GT(readlink((out / "Resources").c_str(), target, sizeof target - 1), 0);
	EXPECT_STREQ(target, "Versions/A");
}

TEST_F(zip_extract, unix_modes_and_dates_are_applied_dos_attributes_keep_defaults)
{
	tm_zip date{30, 45, 10, 17, 5, 2021};  // 17 June 2021 10:45:30 local time
	ASSERT_EQ(extract({{"tool", "#!/bin/sh\n", zip_unix_attr(S_IFREG | 0750), date},
	                   {"dos.txt", "dos", 0x20, date},
	                   {"bare.txt", "none", 0, date}}),
	          0u);
	struct stat st;
	ASSERT_EQ(stat((out / "tool").c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 0777, 0750u);
	struct tm want{};
	want.tm_year = 121, want.tm_mon = 5, want.tm_mday = 17, want.tm_hour = 10, want.tm_min = 45, want.tm_sec = 30;
	want.tm_isdst = -1;
	EXPECT_EQ(st.st_mtime, mktime(&want));

	ASSERT_EQ(stat((out / "dos.txt").c_str(), &st), 0);
	EXPECT_NE(st.st_mode & 0600, 0u) << "a DOS attribute must not leave the file unreadable";
	EXPECT_EQ(st.st_mtime, mktime(&want));

	ASSERT_EQ(stat((out / "bare.txt").c_str(), &st), 0);
	EXPECT_GT(st.st_mtime, mktime(&want)) << "attributes 0 keep the creation time";
}

TEST_F(zip_extract, the_first_entry_can_be_stored_under_another_name)
{
	std::string name = "directory.txt";
	ASSERT_EQ(extract({{"dir_1100.txt", "manifest"}, {"other.txt", "o"}}, no_limit, &name, 1), 0u);
	EXPECT_EQ(name, "directory.txt");
	EXPECT_EQ(out.read("directory.txt"), "manifest");
	EXPECT_FALSE(out.exists("dir_1100.txt"));
	EXPECT_EQ(out.read("other.txt"), "o");
}

TEST_F(zip_extract, unsafe_names_are_refused_and_logged)
{
	scratch_dir parent;  // out lives elsewhere; check nothing lands beside or above it
	const char* names[] = {"../escaped.txt", "a/../../escaped.txt", "/tmp/sky_abs_escape.txt", "./dot.txt",
	                       "a//b.txt"};
	for (const char* name : names) {
		SCOPED_TRACE(name);
		EXPECT_EQ(extract({{"a/", ""}, {name, "evil"}}), zip_err_bad_zip);
		EXPECT_NE(log.text().find(name), std::string::npos) << "the log names the entry";
	}
	struct stat st;
	EXPECT_NE(stat("/tmp/sky_abs_escape.txt", &st), 0);
	std::string above = out.path().substr(0, out.path().rfind('/', out.path().size() - 2) + 1);
	EXPECT_NE(stat((above + "escaped.txt").c_str(), &st), 0);
	EXPECT_EQ(out.names(), std::vector<std::string>{"a"});
}

TEST_F(zip_extract, links_out_of_the_folder_are_refused)
{
	EXPECT_EQ(extract({{"up", "../..", zip_link_attr()}}), zip_err_bad_zip);
	EXPECT_EQ(extract({{"abs", "/etc", zip_link_attr()}}), zip_err_bad_zip);
	EXPECT_FALSE(out.exists("up"));
	EXPECT_FALSE(out.exists("abs"));
}

TEST_F(zip_extract, nothing_is_written_through_a_link_folder)
{
	scratch_dir elsewhere;
	out.link(elsewhere.path(), "planted");
	EXPECT_EQ(extract({{"planted/f.txt", "x"}}), err_from_errno(ELOOP));
	// A link made by the archive itself, then used as a folder.
	out.mkdirs("real");
	EXPECT_EQ(extract({{"via", "real", zip_link_attr()}, {"via/f.txt", "x"}}), err_from_errno(ELOOP));
	EXPECT_TRUE(elsewhere.names().empty());
	EXPECT_TRUE(out.names("real").empty());
	EXPECT_NE(log.text().find("symbolic link"), std::string::npos);
}

TEST_F(zip_extract, an_entry_above_the_limit_is_refused_before_it_is_inflated)
{
	EXPECT_EQ(extract({{"small.txt", "ok"}, {"big.bin", std::string(1001, 'b')}}, 1000), corrupt);
	EXPECT_EQ(out.read("small.txt"), "ok") << "entries before the failure stay";
	EXPECT_FALSE(out.exists("big.bin"));
	expect_no_temporaries();
	EXPECT_EQ(extract({{"exact.bin", std::string(1000, 'e')}}, 1000), 0u);
}

TEST_F(zip_extract, damaged_archives_report_zip_domain_codes)
{
	std::string noisy(40000, '\0');
	uint32_t x = 12345;
	for (char& c : noisy) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
	std::vector<char> good = make_zip({{"data.bin", noisy}});
	ASSERT_GT(good.size(), 30000u);

	struct damage_case {
		const char* what;
		std::vector<char> bytes;
		bool open_fails;
	};
	std::vector<char> noise(good.size());
	for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 131 + 7);
	std::vector<char> truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
	std::vector<char> flipped = good;
	for (size_t i = 1000; i < 1020; ++i) flipped[i] ^= 0x5A;  // inside the compressed data of the only entry

	const damage_case cases[] = {
	    {"empty", {}, true},
	    {"noise", noise, true},
	    {"truncated", truncated, true},
	    {"flipped data", flipped, false},
	};
	for (const damage_case& c : cases) {
		SCOPED_TRACE(c.what);
		err_code_t e = mem_to_file(c.bytes.data(), c.bytes.size(), out.path(), nullptr, 0, no_limit);
		if (c.open_fails) EXPECT_EQ(e, zip_err_open);
		else {
			EXPECT_EQ(err_domain(e), err_dom_zip) << std::hex << e;
			EXPECT_NE(e, 0u);
		}
		EXPECT_FALSE(out.exists("data.bin"));
		expect_no_temporaries();
	}
	EXPECT_EQ(zip_to_file(out / "missing.zip", out.path(), nullptr, 0, no_limit), zip_err_open);
	EXPECT_NE(log.text().find("could not open a zip file"), std::string::npos);
}
