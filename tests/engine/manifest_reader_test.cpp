// The manifest reader: header, FILE fields and flags, sizes, DISK per source, history
// grouping, and the refusal of paths and values that must not reach the install engine.
#include "core/files/xmap_class.h"
#include "core/installer/manifest_reader.h"
#include "engine/manifest_fixture.h"

#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {

const std::string md5_a = "d41d8cd98f00b204e9800998ecf8427e";
const std::string md5_b = "0cc175b9c0f1b6a831c399e269772661";

std::string file_line(const std::string& path, const std::string& sig = md5_a, const std::string& sizes = "1 1",
                      const std::string& ints = "0 0 0 0 0 0")
{
	return "FILE " + ints + " " + sizes + " " + sig + " " + path + "\n";
}

class manifest_reader : public reader_test {
protected:
	int read(const std::string& text, ins_data_src src = ins_src_net)
	{
		return UTL_read_directory(file(text, "directory.txt"), info, src);
	}
	std::vector<std::string> paths() const
	{
		std::vector<std::string> out;
		for (const file_history_struct& h : info.files)
			out.push_back(h.cur().path);
		return out;
	}

	sim_info_struct info;
};

struct header_case {
	const char* name;
	std::string text;
	int result;
};

class manifest_header : public manifest_reader, public ::testing::WithParamInterface<header_case> {};

TEST_P(manifest_header, result_and_version)
{
	const header_case& c = GetParam();
	info.version = 77;
	ASSERT_EQ(read(c.text + file_line("a.txt"), ins_src_net_full), c.result);
	EXPECT_EQ(info.source, ins_src_net_full);
	EXPECT_EQ(info.version, c.result == 0 ? 1100 : 0);
	EXPECT_EQ(info.files.size(), c.result == 0 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
	headers, manifest_header,
	::testing::Values(header_case{"plain", k_manifest_header, 0},
	                  header_case{"byte_order_mark_then_A", "\xEF\xBB\xBF" "A\n1100 Version\nINSTALLER\n", 0},
	                  header_case{"keyword_with_trailing_text", "I\n1100\nINSTALLER list\n\n\n", 0},
	                  header_case{"older_version", "I\n1000\nINSTALLER\n", 5},
	                  header_case{"server_list_keyword", k_server_list_header, 5},
	                  header_case{"keyword_glued", "I\n1100\nINSTALLERS\n", 5},
	                  header_case{"first_byte", "X\n1100\nINSTALLER\n", 5}),
	[](const ::testing::TestParamInfo<header_case>& p) { return std::string(p.param.name); });

TEST_F(manifest_reader, files_that_are_not_manifests)
{
	EXPECT_EQ(read("\xEF\xBB\xBF"), 5);  // the mark alone is not skipped: first byte is wrong
	EXPECT_EQ(read(""), 5);
	EXPECT_EQ(read(k_manifest_header.substr(0, k_manifest_header.size() - 1)), 0);  // keyword at the very end
	EXPECT_EQ(UTL_read_directory(dir / "missing.txt", info, ins_src_net), 3);
	EXPECT_EQ(info.source, ins_src_net);
	EXPECT_NE(log.text().find("missing.txt"), std::string::npos);
}

TEST_F(manifest_reader, file_line_fields_and_flags)
{
	ASSERT_EQ(read(k_manifest_header +
	               "FILE 72 0 0 0 0 0 12.5 0.3 d41d8cd98f00b204e9800998ecf8427e Resources/a b.txt\n"
	               "DIR Plugins/\n"
	               "  FILE\t243\t-5 1 2 3 4\t7 8 GONE \t  lin/p.so  \n"),
	          0);
	ASSERT_EQ(info.files.size(), 2u);
	const file_version_struct& a = info.files[0].cur();
	EXPECT_EQ(a.os, 0);
	EXPECT_EQ(a.package_bits, 0);
	EXPECT_EQ(a.compression, ins_comp_zip);
	EXPECT_EQ(a.is_scenery, 1);
	EXPECT_EQ(a.download_kb, 12.5);
	EXPECT_EQ(a.disk_kb, 4);
	EXPECT_EQ(a.sig_want, md5_a);
	EXPECT_EQ(a.path, "Resources/a b.txt");
	EXPECT_EQ(a.disk, -1);
	EXPECT_EQ(a.sig_have, "");
	EXPECT_EQ(a.local_ok + a.want_install + a.want_delete, 0);
	EXPECT_EQ(a.progress_start, 0.0f);

	// 243 = 0xF3: Linux, both extra packages, not scenery, one zip per folder.
	const file_version_struct& p = info.files[1].cur();
	EXPECT_EQ(p.os, 3);
	EXPECT_EQ(p.package_bits, ins_pkg_regional | ins_pkg_global);
	EXPECT_EQ(p.is_scenery, 0);
	EXPECT_EQ(p.compression, ins_comp_folder_zip);
	EXPECT_EQ(p.aux_value, -5);
	EXPECT_EQ(p.tile_lon_min, 1);
	EXPECT_EQ(p.tile_lat_min, 2);
	EXPECT_EQ(p.tile_lon_max, 3);
	EXPECT_EQ(p.tile_lat_max, 4);
	EXPECT_EQ(p.download_kb, 7);
	EXPECT_EQ(p.disk_kb, 8);
	EXPECT_EQ(p.sig_want, "GONE");
	EXPECT_EQ(p.path, "Plugins/lin/p.so  ");  // prefix taken as is, leading blanks dropped, trailing kept
}

TEST_F(manifest_reader, dir_prefix_and_unknown_lines)
{
	ASSERT_EQ(read(k_manifest_header + "DIR Res\n" + file_line("a.txt") +  // no separator is added
	               "DIR\n"                                                 // keyword at the line end: unknown
	               + file_line("b.txt") + "FILE\n" + "FILEX 0 0 0 0 0 0 1 1 " + md5_a + " c.txt\n" +
	               "# comment\n\n\n   \t\n" + "DIR \n" + file_line("d.txt")),
	          0);
	EXPECT_EQ(paths(), (std::vector<std::string>{"Resa.txt", "Resb.txt", "d.txt"}));
}

struct size_case {
	const char* installed;
	double disk_kb;
};

class manifest_sizes : public manifest_reader, public ::testing::WithParamInterface<size_case> {};

TEST_P(manifest_sizes, installed_size_rounds_up_to_4_kb_blocks)
{
	const size_case& c = GetParam();
	ASSERT_EQ(read(k_manifest_header + file_line("a.txt", md5_a, std::string("2.5 ") + c.installed)), 0);
	EXPECT_EQ(info.files[0].cur().disk_kb, c.disk_kb) << c.installed;
	EXPECT_EQ(manifest_disk_kb(std::stof(c.installed)), c.disk_kb);
}

INSTANTIATE_TEST_SUITE_P(sizes, manifest_sizes,
                         ::testing::Values(size_case{"0", 0}, size_case{"0.000", 0}, size_case{"0.001", 4},
                                           size_case{"1", 4}, size_case{"4.0", 4}, size_case{"4.001", 8},
                                           size_case{"8", 8}, size_case{"8.0001", 12},
                                           size_case{"1000000", 1000000}, size_case{"1000000.5", 1000004}));

struct real_case {
	const char* text;
	float value;
	int next;  // byte the cursor stops on
};

class manifest_real_reader : public manifest_reader, public ::testing::WithParamInterface<real_case> {};

TEST_P(manifest_real_reader, folds_every_byte_up_to_a_token_end)
{
	const real_case& c = GetParam();
	xmap_class m(file(c.text));
	EXPECT_EQ(m.scan_real(), c.value) << c.text;
	EXPECT_EQ(m.peek(), c.next) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
	reals, manifest_real_reader,
	::testing::Values(real_case{"12.5 x", 12.5f, ' '}, real_case{" \t0.3\n", 0.3f, '\n'},
	                  real_case{"+3\t", 3.0f, '\t'}, real_case{"-2.25", -2.25f, -1},
	                  real_case{"5-", -5.0f, -1},           // a sign counts wherever it stands
	                  real_case{"1.2.3", 1.23f, -1},        // a second "." changes nothing
	                  real_case{"1x", 82.0f, -1},           // 1 * 10 + ('x' - '0')
	                  real_case{"16777217", 16777216.0f, -1},  // single precision
	                  real_case{"", 0.0f, -1}, real_case{"\n7", 0.0f, '\n'}));

TEST_F(manifest_reader, disk_lines_count_only_for_a_dvd)
{
	const std::string text = k_manifest_header + file_line("a.txt") + "DISK 2\n" + file_line("b.txt") +
	                         "DISK\t3 junk\n" + file_line("c.txt") + "DISK\n" + file_line("d.txt");
	const struct {
		ins_data_src src;
		std::vector<int> disks;
	} cases[] = {{ins_src_dvd, {0, 2, 3, 3}}, {ins_src_net, {-1, -1, -1, -1}}, {ins_src_net_full, {-1, -1, -1, -1}}};
	for (const auto& c : cases) {
		ASSERT_EQ(read(text, c.src), 0);
		std::vector<int> disks;
		for (const file_history_struct& h : info.files)
			disks.push_back(h.cur().disk);
		EXPECT_EQ(disks, c.disks) << "source " << c.src;
	}
}

TEST_F(manifest_reader, consecutive_lines_of_a_path_make_one_history)
{
	ASSERT_EQ(read(k_manifest_header + file_line("Resources/a.txt", md5_b) + file_line("Resources/a.txt", md5_a) +
	               file_line("Resources/b.txt") + file_line("Resources/A.txt") + file_line("Resources/a.txt", "GONE") +
	               "DIR Resources/\n" + file_line("a.txt", md5_b)),  // same path again, through a prefix
	          0);
	ASSERT_EQ(paths(), (std::vector<std::string>{"Resources/a.txt", "Resources/b.txt", "Resources/A.txt",
	                                              "Resources/a.txt"}));
	ASSERT_EQ(info.files[0].versions.size(), 2u);
	EXPECT_EQ(info.files[0].versions[0].sig_want, md5_b);
	EXPECT_EQ(info.files[0].cur().sig_want, md5_a);
	EXPECT_EQ(info.files[1].versions.size(), 1u);
	ASSERT_EQ(info.files[3].versions.size(), 2u);
	EXPECT_EQ(info.files[3].versions[0].sig_want, "GONE");
	EXPECT_EQ(info.files[3].cur().sig_want, md5_b);
}

TEST_F(manifest_reader, rereading_replaces_the_files_and_keeps_the_release)
{
	info.install_name = "Skyvane 11.50";
	info.dvd_root = "/media/SKYVANE11/";
	info.dvd_info_lines = {"Disc 1"};
	ASSERT_EQ(read(k_manifest_header + file_line("a.txt") + file_line("b.txt")), 0);
	ASSERT_EQ(read(k_manifest_header + file_line("c.txt"), ins_src_dvd), 0);
	EXPECT_EQ(paths(), (std::vector<std::string>{"c.txt"}));
	EXPECT_EQ(info.source, ins_src_dvd);
	EXPECT_EQ(info.install_name, "Skyvane 11.50");
	EXPECT_EQ(info.dvd_root, "/media/SKYVANE11/");
	EXPECT_EQ(info.dvd_info_lines, (std::vector<std::string>{"Disc 1"}));
}

struct refused_case {
	const char* name;
	std::string lines;     // after the header
	int result;
	std::string logged;    // must appear in the log
};

class manifest_refused : public manifest_reader, public ::testing::WithParamInterface<refused_case> {};

TEST_P(manifest_refused, read_fails_and_names_the_culprit)
{
	const refused_case& c = GetParam();
	EXPECT_EQ(read(k_manifest_header + file_line("good.txt") + c.lines + file_line("after.txt")), c.result);
	EXPECT_TRUE(info.files.empty());
	EXPECT_EQ(info.version, 0);
	EXPECT_NE(log.text().find(c.logged), std::string::npos) << log.text();
}

INSTANTIATE_TEST_SUITE_P(
	refused, manifest_refused,
	::testing::Values(
		refused_case{"absolute", file_line("/etc/passwd"), 9, "\"/etc/passwd\""},
		refused_case{"parent", file_line("../x.txt"), 9, "\"../x.txt\""},
		refused_case{"parent_inside", file_line("a/../../b.txt"), 9, "\"a/../../b.txt\""},
		refused_case{"dot", file_line("a/./b.txt"), 9, "\"a/./b.txt\""},
		refused_case{"dot_alone", file_line("."), 9, "\".\""},
		refused_case{"empty_component", file_line("a//b.txt"), 9, "\"a//b.txt\""},
		refused_case{"backslash", file_line("a\\..\\b.txt"), 9, "\"a\\..\\b.txt\""},
		refused_case{"colon", file_line("C:x.txt"), 9, "\"C:x.txt\""},
		refused_case{"absolute_prefix", "DIR /tmp/\n" + file_line("x.txt"), 9, "\"/tmp/x.txt\""},
		refused_case{"parent_prefix", "DIR ../\n" + file_line("x.txt"), 9, "\"../x.txt\""},
		refused_case{"gone_outside", file_line("../../home/x", "GONE"), 9, "\"../../home/x\""},
		refused_case{"empty", "FILE 0 0 0 0 0 0 1 1 " + md5_a + "\n", 9, "\"\""},
		refused_case{"folder_outside", file_line("a/../"), 9, "\"a/../\""},  // refused before the folder alert
		refused_case{"negative_download", file_line("n.txt", md5_a, "-1 1"), 11, "\"n.txt\""},
		refused_case{"negative_installed", file_line("n.txt", md5_a, "1 -0.5"), 11, "\"n.txt\""},
		refused_case{"infinite_size", file_line("n.txt", md5_a, "1 " + std::string(400, '9')), 11, "\"n.txt\""},
		refused_case{"scenery_box_east_of_grid", file_line("s.dsf", md5_a, "1 1", "8 0 30 10 36 10"), 11,
		             "30,10..36,10"},
		refused_case{"scenery_box_south_of_grid", file_line("s.dsf", md5_a, "1 1", "8 0 0 -1 0 17"), 11,
		             "0,-1..0,17"}),
	[](const ::testing::TestParamInfo<refused_case>& p) { return std::string(p.param.name); });

TEST_F(manifest_reader, boxes_of_files_outside_the_scenery_are_not_judged)
{
	ASSERT_EQ(read(k_manifest_header + file_line("a.txt", md5_a, "1 1", "0 0 99 -7 500 40") +
	               file_line("s.dsf", md5_a, "1 1", "8 0 0 0 35 17")),
	          0);
	EXPECT_EQ(info.files[0].cur().tile_lon_max, 500);
	EXPECT_EQ(info.files[1].cur().tile_lat_max, 17);
}

TEST(manifest_path_is_safe, table)
{
	const struct {
		std::string path;
		bool safe;
	} cases[] = {
		{"a", true}, {"a b/c d.txt", true}, {".hidden", true}, {"..a/b..", true}, {"a/..b/...", true},
		{"\xC3\x9Cn\xC3\xAF" "code/na\xC3\xAFve.txt", true}, {"Folder/", true},  // a folder is the reader's own alert
		{"", false}, {"/", false}, {"/a", false}, {"..", false}, {"a/..", false}, {"./a", false}, {"a//", false},
		{"a\\b", false}, {"c:", false}, {std::string("a\0b", 3), false},
	};
	for (const auto& c : cases)
		EXPECT_EQ(manifest_path_is_safe(c.path), c.safe) << '"' << c.path << '"';
}

TEST_F(manifest_reader, files_above_the_cap_are_refused_unparsed)
{
	const struct {
		size_t size;
		int result;
	} cases[] = {{ins_read_max_bytes, 0}, {ins_read_max_bytes + 1, 10}};
	for (const auto& c : cases) {
		// Sparse: the header, then NUL bytes, which the reader skips as line ends.
		const std::string p = file(k_manifest_header + file_line("a.txt"), "big.txt");
		ASSERT_EQ(truncate(p.c_str(), static_cast<off_t>(c.size)), 0);
		EXPECT_EQ(UTL_read_directory(p, info, ins_src_net), c.result) << c.size;
		EXPECT_EQ(info.files.size(), c.result ? 0u : 1u);
	}
	EXPECT_NE(log.text().find("big.txt"), std::string::npos);
}

TEST_F(manifest_reader, a_path_naming_a_folder_is_fatal)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	const std::string p = file(k_manifest_header + "DIR Resources/\n" + file_line("") + file_line("a.txt"));
	EXPECT_EXIT(UTL_read_directory(p, info, ins_src_net), ::testing::ExitedWithCode(0),
	            "found a path that has no file.*\n.*cannot be used.*\n.*support@skyvane\\.example, and include the "
	            "path below:\nResources/\n");
}

}  // namespace
