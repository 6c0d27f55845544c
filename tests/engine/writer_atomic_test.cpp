// Atomic replacement: a reader never sees a torn file, a killed or failed write leaves the old
// file, and the leftovers of a killed run are cleaned without following links.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <latch>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/Installer-f/engine/ins_atomic_write.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

namespace {

class writer_atomic : public ::testing::Test {
protected:
	std::vector<std::string> temp_names(const std::string& rel = "")
	{
		std::vector<std::string> out;
		for (const std::string& n : dest.names(rel))
			if (ins_is_temp_name(n)) out.push_back(n);
		return out;
	}
	// Runs fn in a child process limited to `limit` bytes per file; returns its wait status.
	template <class Fn>
	int in_child_with_file_limit(rlim_t limit, Fn fn)
	{
		pid_t pid = fork();
		if (pid == 0) {
			struct rlimit rl = {limit, limit};
			setrlimit(RLIMIT_FSIZE, &rl);
			_exit(fn());
		}
		int status = 0;
		EXPECT_EQ(waitpid(pid, &status, 0), pid);
		return status;
	}

	scratch_dir dest;
	log_capture log;
};

TEST_F(writer_atomic, reader_never_sees_a_partial_file)
{
	const std::string a(256 * 1024, 'a'), b(256 * 1024, 'b');
	dest.write("f.bin", a);
	std::latch go(2);
	std::atomic<bool> done{false};
	int reads = 0, torn = 0;
	std::thread reader([&] {
		go.arrive_and_wait();
		do {
			std::string seen = dest.read("f.bin");
			++reads;
			if (seen != a && seen != b) ++torn;
		} while (!done.load());
	});
	go.arrive_and_wait();
	for (int k = 0; k < 60; ++k) {
		const std::string& c = k % 2 ? a : b;
		ASSERT_EQ(ins_replace_file(dest.path(), "f.bin", c.data(), c.size(), 0644, 1500000000), 0u);
	}
	done.store(true);
	reader.join();
	EXPECT_GT(reads, 0);
	EXPECT_EQ(torn, 0);
	EXPECT_EQ(dest.read("f.bin"), a);
	EXPECT_TRUE(temp_names().empty());
}

TEST_F(writer_atomic, killed_write_leaves_the_old_file_and_a_leftover_that_is_cleaned)
{
	dest.write("f.bin", "old content");
	const std::string big(1 << 20, 'n');
	// Going past the file-size limit kills the child (SIGXFSZ) in the middle of its write.
	int status = in_child_with_file_limit(64 * 1024, [&] {
		signal(SIGXFSZ, SIG_DFL);
		ins_replace_file(dest.path(), "f.bin", big.data(), big.size(), 0644, 1500000000);
		return 0;
	});
	ASSERT_TRUE(WIFSIGNALED(status));
	EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
	EXPECT_EQ(dest.read("f.bin"), "old content");
	ASSERT_EQ(temp_names().size(), 1u);

	EXPECT_EQ(clean_stray_temp_files(dest.path()), 1);
	EXPECT_TRUE(temp_names().empty());
	EXPECT_EQ(dest.read("f.bin"), "old content");
	EXPECT_NE(log.text().find("Removed the stray temporary file"), std::string::npos);
}

TEST_F(writer_atomic, failed_write_leaves_the_old_file_and_nothing_else)
{
	dest.write("f.bin", "old content");
	const std::string big(1 << 20, 'n');
	int status = in_child_with_file_limit(64 * 1024, [&] {
		signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
		err_code_t e = ins_replace_file(dest.path(), "f.bin", big.data(), big.size(), 0644, 1500000000);
		return e == err_from_errno(EFBIG) ? 0 : 1;
	});
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 0) << "the error comes back as EFBIG";
	EXPECT_EQ(dest.read("f.bin"), "old content");
	EXPECT_EQ(dest.names(), std::vector<std::string>{"f.bin"});
}

TEST_F(writer_atomic, cleaning_removes_only_our_leftovers_and_never_follows_links)
{
	scratch_dir outside;
	outside.write("kept", "outside");
	outside.write(".x.skytmp-1-2", "outside leftover");
	dest.mkdirs("a/b");
	dest.mkdirs(".f.skytmp-5-6");  // a folder is never removed
	struct row { const char* name; bool removed; };
	const row rows[] = {
	    {".f.bin.skytmp-123-4", true},
	    {"a/b/.deep name.txt.skytmp-99-0", true},
	    {"a/..hidden.skytmp-7-8", true},
	    {".f.bin.skytmp-123-", false},
	    {".f.bin.skytmp-x-4", false},
	    {"f.bin.skytmp-1-2", false},
	    {".f.bin.skytmp-1-2.txt", false},
	    {".f.bin.unzip-1-2", false},
	    {"a/ordinary.txt", false},
	};
	for (const row& r : rows) dest.write(r.name, "x");
	dest.link(outside / "kept", ".link.skytmp-3-4");  // removed as a link; its target stays
	dest.link(outside.path(), "a/outside_folder");     // never entered

	EXPECT_EQ(clean_stray_temp_files(dest.path()), 4);
	for (const row& r : rows) EXPECT_EQ(dest.exists(r.name), !r.removed) << r.name;
	EXPECT_FALSE(dest.exists(".link.skytmp-3-4"));
	EXPECT_TRUE(dest.exists(".f.skytmp-5-6"));
	EXPECT_EQ(outside.read("kept"), "outside");
	EXPECT_EQ(outside.read(".x.skytmp-1-2"), "outside leftover");
	EXPECT_EQ(clean_stray_temp_files(dest / "no such folder/"), 0);
}

TEST_F(writer_atomic, temporary_names_fit_and_are_recognised)
{
	for (size_t len : {size_t(1), size_t(64), size_t(255)}) {
		std::string leaf(len, 'n');
		std::string tmp = ins_temp_name(leaf);
		EXPECT_TRUE(ins_is_temp_name(tmp)) << tmp;
		EXPECT_LE(tmp.size(), 255u);
		EXPECT_EQ(tmp.rfind("." + leaf.substr(0, 10), 0), 0u);
	}
	EXPECT_NE(ins_temp_name("a"), ins_temp_name("a"));
}

}  // namespace
