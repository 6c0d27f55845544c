// The folder scan on real folders: results in the model, quick mode, links, errors, a manifest
// larger than the queues, and ending a scan early.
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <thread>

#include "app/Installer-f/engine/checksum_directory.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/md5_text.h"
#include "core/installer/sim_info.h"
#include "core/ui/stg.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

namespace {

const std::string md5_hello = "5d41402abc4b2a76b9719d911017c592";
const std::string md5_empty = "d41d8cd98f00b204e9800998ecf8427e";

class checksum_scan : public ::testing::Test {
protected:
	void SetUp() override
	{
		saved_dest_ = dest_dir_path;
		saved_os_ = stg.target_os;
		dest_dir_path = dir.path();
		stg.target_os = 3;
		set_install_filter(1, 1, 1);
		sim_info.clear();
	}
	void TearDown() override
	{
		checksum_directory_kill();
		sim_info.clear();
		set_install_filter(1, 1, 1);
		dest_dir_path = saved_dest_;
		stg.target_os = saved_os_;
	}

	int add(const std::string& path, const std::string& sig_want, int os = 0, int is_scenery = 0)
	{
		file_history_struct h;
		file_version_struct v;
		v.path = path;
		v.sig_want = sig_want;
		v.os = os;
		v.is_scenery = is_scenery;
		v.sig_have = "untouched";
		v.local_ok = 7;
		h.versions.push_back(v);
		sim_info.files.push_back(h);
		return static_cast<int>(sim_info.files.size()) - 1;
	}
	file_version_struct& v(int i) { return sim_info.files[i].cur(); }

	// Calls the scan once per "frame" until it reports the end; records progress per call.
	int run(int quick)
	{
		int next = 0, result = 0;
		progress.clear();
		do {
			float p = -1;
			result = checksum_directory(next, quick, p);
			progress.push_back(p);
			if (result == 0)
				std::this_thread::yield();
		} while (result == 0);
		return result;
	}

	scratch_dir dir;
	log_capture log;
	std::vector<float> progress;

private:
	std::string saved_dest_;
	int saved_os_ = 0;
};

TEST_F(checksum_scan, missing_folder_finishes_at_once_with_nothing_found)
{
	dest_dir_path = dir / "not_there/";
	int a = add("a.txt", md5_hello);
	int gone = add("gone.txt", "GONE");
	int none = add("none.txt", "NONE");
	int next = 0;
	float p = -1;
	EXPECT_EQ(checksum_directory(next, 0, p), 1);
	EXPECT_FALSE(checksum_directory_running());
	EXPECT_EQ(p, 1.0f);
	for (int i : {a, gone, none})
		EXPECT_EQ(v(i).sig_have, "NONE") << v(i).path;
	EXPECT_EQ(v(a).local_ok, 0);
	EXPECT_EQ(v(gone).local_ok, 0);
	EXPECT_EQ(v(none).local_ok, 1) << "a wanted checksum of literally NONE matches";
}

TEST_F(checksum_scan, empty_manifest_finishes_with_progress_zero)
{
	int next = 0;
	float p = -1;
	EXPECT_EQ(checksum_directory(next, 0, p), 1);
	EXPECT_EQ(p, 0.0f);
	EXPECT_FALSE(checksum_directory_running());
}

struct local_case {
	std::string path;
	enum { none, file, link } kind;
	std::string bytes;  // content, or link target text
	std::string sig_want;
	std::string sig_have;  // expected
	int local_ok;          // expected
};

TEST_F(checksum_scan, full_scan_writes_checksums_of_local_copies)
{
	const std::string binary("\x00\x01\xfe\xff zero and high bytes", 24);
	const local_case cases[] = {
	    {"same.txt", local_case::file, "hello", md5_hello, md5_hello, 1},
	    {"differs.txt", local_case::file, "changed", md5_hello, md5_text(std::string("changed")), 0},
	    {"missing.txt", local_case::none, "", md5_hello, "NONE", 0},
	    {"gone.txt", local_case::none, "", "GONE", "NONE", 0},
	    {"empty.txt", local_case::file, "", md5_empty, md5_empty, 1},
	    {"sub/deep/data.bin", local_case::file, binary, md5_text(binary), md5_text(binary), 1},
	    // A link is hashed by its target text, never by the file it points to.
	    {"link_to_same", local_case::link, "same.txt", md5_text(std::string("same.txt")),
	     md5_text(std::string("same.txt")), 1},
	    {"dangling", local_case::link, "no/such/target", md5_text(std::string("no/such/target")),
	     md5_text(std::string("no/such/target")), 1},
	    {"link_wrong", local_case::link, "same.txt", md5_hello, md5_text(std::string("same.txt")), 0},
	};
	dir.mkdirs("sub/deep");
	for (const local_case& c : cases) {
		if (c.kind == local_case::file)
			dir.write(c.path, c.bytes);
		else if (c.kind == local_case::link)
			dir.link(c.bytes, c.path);
		add(c.path, c.sig_want);
	}
	// Files that do not concern this install keep their previous results.
	dir.write("other_os.txt", "hello");
	int other_os = add("other_os.txt", md5_hello, 2);
	set_install_filter(1, 0, 0);
	int scenery = add("same.txt", md5_hello, 0, 1);

	ASSERT_EQ(run(0), 1);
	EXPECT_FALSE(checksum_directory_running());
	for (size_t i = 0; i < std::size(cases); ++i) {
		EXPECT_EQ(v(i).sig_have, cases[i].sig_have) << cases[i].path;
		EXPECT_EQ(v(i).local_ok, cases[i].local_ok) << cases[i].path;
	}
	for (int i : {other_os, scenery}) {
		EXPECT_EQ(v(i).sig_have, "untouched") << v(i).path;
		EXPECT_EQ(v(i).local_ok, 7) << v(i).path;
	}
	EXPECT_EQ(progress.back(), 1.0f);
	EXPECT_EQ(log.text().find("Error processing"), std::string::npos);
}

TEST_F(checksum_scan, quick_mode_takes_any_existing_file_as_a_match)
{
	dir.write("differs.txt", "not what the manifest says");
	dir.link("differs.txt", "link");
	int differs = add("differs.txt", md5_hello);
	int link = add("link", md5_hello);
	int missing = add("missing.txt", md5_hello);
	ASSERT_EQ(run(1), 1);
	for (int i : {differs, link}) {
		EXPECT_EQ(v(i).sig_have, md5_hello) << v(i).path;
		EXPECT_EQ(v(i).local_ok, 1) << v(i).path;
	}
	EXPECT_EQ(v(missing).sig_have, "NONE");
	EXPECT_EQ(v(missing).local_ok, 0);
}

struct error_case {
	const char* what;
	std::string path;
	err_code_t code;
};

TEST_F(checksum_scan, read_and_permission_errors_stop_the_scan_with_code_and_path)
{
	dir.write("ro.txt", "hello");
	chmod((dir / "ro.txt").c_str(), 0444);
	dir.mkdirs("a_folder");
	dir.mkdirs("ro_folder");
	chmod((dir / "ro_folder").c_str(), 0555);
	dir.write("fine.txt", "hello");
	const error_case cases[] = {
	    {"read-only file", "ro.txt", 0x4000000Du},
	    {"folder where a file should be", "a_folder", err_from_errno(EISDIR)},
	    {"read-only folder: the permission error wins", "ro_folder", 0x4000000Du},
	};
	for (const error_case& c : cases) {
		sim_info.clear();
		add("fine.txt", md5_hello);
		add(c.path, md5_hello);
		EXPECT_EQ(run(0), 2) << c.what;
		std::string path;
		EXPECT_EQ(static_cast<err_code_t>(checksum_get_error(path)), c.code) << c.what;
		EXPECT_EQ(path, dir / c.path) << c.what;
		EXPECT_TRUE(checksum_directory_running()) << "the pipeline stays up until it is killed";
		checksum_directory_kill();
		EXPECT_FALSE(checksum_directory_running());
		EXPECT_NE(log.text().find(dir / c.path), std::string::npos) << c.what << ": the error is logged";
	}
}

class checksum_scan_big : public checksum_scan {
protected:
	void SetUp() override
	{
		checksum_scan::SetUp();
		for (int i = 0; i < count; ++i) {
			std::string folder = "f" + std::to_string(i % 10) + "/";
			if (i < 10)
				dir.mkdirs(folder);
			std::string path = folder + "file_" + std::to_string(i) + ".txt";
			std::string bytes = "content of file " + std::to_string(i) + std::string(i % 97, '#');
			dir.write(path, bytes);
			// Every third local copy differs from the manifest.
			add(path, i % 3 ? md5_text(bytes) : md5_hello);
			expected.push_back(md5_text(bytes));
		}
	}
	void expect_all_results()
	{
		for (int i = 0; i < count; ++i) {
			ASSERT_EQ(v(i).sig_have, expected[i]) << v(i).path;
			ASSERT_EQ(v(i).local_ok, i % 3 ? 1 : 0) << v(i).path;
		}
	}

	static constexpr int count = 1000;
	std::vector<std::string> expected;
};

TEST_F(checksum_scan_big, manifest_larger_than_the_queues_is_queued_over_several_calls)
{
	ASSERT_EQ(run(0), 1);
	ASSERT_GE(progress.size(), 2u);
	EXPECT_GT(progress.front(), 0.0f);
	EXPECT_LT(progress.front(), 1.0f) << "the first call cannot queue all 1000 requests";
	for (size_t i = 1; i < progress.size(); ++i)
		EXPECT_GE(progress[i], progress[i - 1]) << "call " << i;
	EXPECT_EQ(progress.back(), 1.0f);
	expect_all_results();
}

TEST_F(checksum_scan_big, kill_mid_scan_then_a_new_scan_starts_over)
{
	int next = 0;
	float p = 0;
	ASSERT_EQ(checksum_directory(next, 0, p), 0);
	ASSERT_TRUE(checksum_directory_running());
	checksum_directory_kill();
	EXPECT_FALSE(checksum_directory_running());
	// What was scanned before the kill is right; the rest kept its old fields.
	for (int i = 0; i < count; ++i) {
		if (v(i).sig_have != "untouched") {
			ASSERT_EQ(v(i).sig_have, expected[i]) << v(i).path;
		}
	}
	EXPECT_EQ(log.text().find("Error processing"), std::string::npos) << "skipped files are not errors";

	checksum_directory_kill();  // nothing runs: no effect
	ASSERT_EQ(run(0), 1);
	expect_all_results();
}

}  // namespace
