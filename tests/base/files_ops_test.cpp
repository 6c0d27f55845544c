#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/statvfs.h>

#include "base/files_fixture.h"
#include "core/files/file_ops.h"
#include "core/ui/err_code.h"

namespace {
constexpr err_code_t e_noent = 0x40000002, e_exist = 0x40000011, e_notdir = 0x40000014,
                     e_isdir = 0x40000015, e_notempty = 0x40000042;
}

TEST_F(files_test, existence_tests)
{
	write("f.txt", "x");
	mkdirs("d");
	link("f.txt", "lf");
	link("d", "ld");
	link("missing", "dangling");
	struct {
		const char* rel;
		bool file, folder, is_link;
	} cases[] = {
	    {"f.txt", true, false, false}, {"d", false, true, false},   {"d/", false, true, false},
	    {"lf", true, false, true},     {"ld", false, true, true},   {"ld/", false, true, true},
	    {"dangling", false, false, true}, {"nothing", false, false, false},
	};
	for (auto& c : cases) {
		EXPECT_EQ(file_exists(path(c.rel)), c.file) << c.rel;
		EXPECT_EQ(dir_exists(path(c.rel)), c.folder) << c.rel;
		EXPECT_EQ(is_sim_link(path(c.rel)), c.is_link) << c.rel;
	}
	std::string target;
	EXPECT_TRUE(is_sim_link(path("dangling"), &target));
	EXPECT_EQ(target, "missing");
	// The target text is cut at 499 bytes.
	std::string long_target(700, 'q');
	link(long_target, "long");
	EXPECT_TRUE(is_sim_link(path("long"), &target));
	EXPECT_EQ(target, long_target.substr(0, 499));
}

TEST_F(files_test, make_folder_results)
{
	EXPECT_EQ(make_folder(path("new/")), 0u);
	EXPECT_TRUE(dir_exists(path("new")));
	struct stat st;
	ASSERT_EQ(stat(path("new").c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 0777, 0755u & ~[] { mode_t m = umask(0); umask(m); return m; }());
	EXPECT_EQ(make_folder(path("new")), e_exist);
	EXPECT_EQ(make_folder(path("a/b/")), e_noent);  // parents are not made

	struct {
		err_code_t code;
		bool shown;
	} cases[] = {{0, false}, {e_exist, false}, {0x3FFFFFD0, false}, {e_noent, true}, {0x4000000D, true}};
	for (auto& c : cases)
		EXPECT_EQ(show_make_dir_err(c.code), c.shown) << std::hex << c.code;
	EXPECT_FALSE(show_del_err(e_noent));
}

TEST_F(files_test, delete_file_cases)
{
	mkdirs("x");
	write("x/.hidden", "h");
	EXPECT_EQ(delete_file(path("x/")), e_notempty);
	EXPECT_EQ(error_str(e_notempty), "Directory not empty");
	EXPECT_TRUE(exists_nofollow("x/.hidden"));

	mkdirs("empty");
	write("f", "1");
	mkdirs("target");
	write("target/keep", "k");
	link("target", "dlink");
	link("target/keep", "flink");
	EXPECT_EQ(delete_file(path("empty/")), 0u);
	EXPECT_FALSE(exists_nofollow("empty"));
	EXPECT_EQ(delete_file(path("f")), 0u);
	EXPECT_FALSE(exists_nofollow("f"));
	EXPECT_EQ(delete_file(path("x")), e_isdir);  // a folder must be named as one
	// Links go as links, named either way; what they point to stays.
	EXPECT_EQ(delete_file(path("dlink/")), 0u);
	EXPECT_EQ(delete_file(path("flink")), 0u);
	EXPECT_FALSE(exists_nofollow("dlink"));
	EXPECT_FALSE(exists_nofollow("flink"));
	EXPECT_EQ(read("target/keep"), "k");
	EXPECT_EQ(delete_file(""), e_noent);
	EXPECT_EQ(delete_file(path("gone")), e_noent);
}

TEST_F(files_test, recursive_delete_never_follows_links)
{
	mkdirs("outside/sub");
	write("outside/sub/precious", "p");
	write("outside_file", "f");
	mkdirs("victim/a/b");
	write("victim/a/b/deep.txt", "d");
	write("victim/.hidden", "h");
	write("victim/name:with\\chars", "c");
	link(path("outside"), "victim/to_folder");
	link(path("outside_file"), "victim/a/to_file");
	link("nowhere", "victim/dangling");

	EXPECT_EQ(recursive_delete_folder(path("victim/")), 0u);
	EXPECT_FALSE(exists_nofollow("victim"));
	EXPECT_EQ(read("outside/sub/precious"), "p");
	EXPECT_EQ(read("outside_file"), "f");

	// A link named as the folder to delete goes itself.
	link(path("outside"), "top_link");
	EXPECT_EQ(recursive_delete_folder(path("top_link/")), 0u);
	EXPECT_FALSE(exists_nofollow("top_link"));
	EXPECT_EQ(read("outside/sub/precious"), "p");

	mkdirs("empty");
	EXPECT_EQ(recursive_delete_folder(path("empty/")), 0u);
	EXPECT_FALSE(exists_nofollow("empty"));
	EXPECT_EQ(recursive_delete_folder(path("missing/")), e_noent);
	EXPECT_EQ(recursive_delete_folder(path("outside_file/")), e_notdir);
	EXPECT_EQ(read("outside_file"), "f");
}

// Root deletes from read-only folders, but not an immutable file.
static bool set_immutable(const std::string& p, bool on)
{
	int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	int flags = 0;
	bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
	flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
	ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
	close(fd);
	return ok;
}

TEST_F(files_test, recursive_delete_stops_at_first_error)
{
	mkdirs("t/locked");
	write("t/locked/f", "x");
	err_code_t want;
	if (geteuid() == 0) {
		if (!set_immutable(path("t/locked/f"), true))
			GTEST_SKIP() << "the file system has no immutable flag";
		want = 0x40000001;  // EPERM
	} else {
		chmod(path("t/locked").c_str(), 0555);
		want = 0x4000000D;  // EACCES
	}
	EXPECT_EQ(recursive_delete_folder(path("t/")), want);
	EXPECT_TRUE(exists_nofollow("t/locked/f"));
	if (geteuid() == 0)
		set_immutable(path("t/locked/f"), false);
	else
		chmod(path("t/locked").c_str(), 0755);
}

TEST_F(files_test, listing_filters_sorting_and_links)
{
	write(".DS_Store", "");
	write("b", "");
	write("A", "");
	std::vector<std::string> names;
	std::vector<file_type_t> types;
	EXPECT_EQ(opensave_getitems(dir, list_filter_visible, names, types), 2);
	EXPECT_EQ(names, (std::vector<std::string>{"A", "b"}));

	mkdirs("Cdir");
	mkdirs("real");
	link(path("real"), "dlink");
	link(path("b"), "flink");
	write("bad:name", "");
	write("bad\\name", "");
	EXPECT_EQ(opensave_getitems(dir, list_filter_all, names, types), 7);
	EXPECT_EQ(names, (std::vector<std::string>{".DS_Store", "A", "b", "Cdir", "dlink", "flink", "real"}));
	EXPECT_EQ(types, (std::vector<file_type_t>{0, 0, 0, 1, 0, 0, 1}));  // a link to a folder is type 0

	// Other filters are the dialogs' and behave as filter 0 here.
	EXPECT_EQ(opensave_getitems(dir, 7, names, types, ".txt"), 6);

	// A folder that cannot be opened lists nothing; earlier contents are cleared.
	EXPECT_EQ(opensave_getitems(path("missing/"), list_filter_all, names, types), 0);
	EXPECT_TRUE(names.empty());
	EXPECT_TRUE(types.empty());
	// A link to a folder can itself be listed.
	write("real/inside", "");
	EXPECT_EQ(opensave_getitems(path("dlink/"), list_filter_visible, names, types), 1);
}

TEST_F(files_test, listing_a_path_without_slash_is_fatal)
{
	EXPECT_EXIT(
	    {
		    std::vector<std::string> n;
		    std::vector<file_type_t> t;
		    opensave_getitems(dir.substr(0, dir.size() - 1), 0, n, t);
	    },
	    testing::ExitedWithCode(0), "Working path does not appear to be a directory!");
}

TEST_F(files_test, rename_file_in_folder)
{
	write("old.txt", "data");
	EXPECT_EQ(rename_file(dir, "old.txt", "new.txt"), 0u);
	EXPECT_EQ(read("new.txt"), "data");
	EXPECT_FALSE(exists_nofollow("old.txt"));
	EXPECT_EQ(rename_file(dir, "old.txt", "again.txt"), e_noent);
}

TEST_F(files_test, copy_file_bytes_and_permissions)
{
	std::string big(3 * 1024 * 1024 + 17, '\0');  // crosses several 1 MiB blocks
	for (size_t i = 0; i < big.size(); ++i)
		big[i] = static_cast<char>(i * 31 + (i >> 12));
	write("src.bin", big);
	for (mode_t mode : {0755, 0640, 0600, 0444}) {
		chmod(path("src.bin").c_str(), mode);
		std::filesystem::remove(path("dst.bin"));
		EXPECT_EQ(copy_file(path("src.bin"), path("dst.bin")), 0u);
		struct stat st;
		ASSERT_EQ(stat(path("dst.bin").c_str(), &st), 0);
		EXPECT_EQ(st.st_mode & 0777, mode);
	}
	EXPECT_EQ(read("dst.bin"), big);

	write("short", "ab");
	chmod(path("dst.bin").c_str(), 0644);
	EXPECT_EQ(copy_file(path("short"), path("dst.bin")), 0u);  // truncates the older copy
	EXPECT_EQ(read("dst.bin"), "ab");

	EXPECT_EQ(copy_file(path("missing"), path("out")), e_noent);
	EXPECT_EQ(copy_file(path("short"), path("no/such/dir/out")), e_noent);
	// Never written through a link planted at the target.
	write("victim", "v");
	link(path("victim"), "planted");
	EXPECT_NE(copy_file(path("short"), path("planted")), 0u);
	EXPECT_EQ(read("victim"), "v");
}

TEST_F(files_test, copy_file_recursive_tree)
{
	mkdirs("src/sub/deeper");
	write("src/top.txt", "t");
	write("src/.hidden", "h");
	write("src/sub/deeper/d.bin", std::string(5000, 'd'));
	chmod(path("src/top.txt").c_str(), 0750);
	link("sub/deeper", "src/rel_link");
	link("..", "src/loop");  // followed, this would copy without end

	EXPECT_EQ(copy_file_recursive(path("src"), path("dst")), 0u);
	EXPECT_EQ(read("dst/top.txt"), "t");
	EXPECT_EQ(read("dst/.hidden"), "h");
	EXPECT_EQ(read("dst/sub/deeper/d.bin"), std::string(5000, 'd'));
	struct stat st;
	ASSERT_EQ(stat(path("dst/top.txt").c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 0777, 0750u);
	std::string target;
	EXPECT_TRUE(is_sim_link(path("dst/rel_link"), &target));
	EXPECT_EQ(target, "sub/deeper");
	EXPECT_TRUE(is_sim_link(path("dst/loop"), &target));

	// Copying again over the earlier copy works.
	write("src/top.txt", "t2");
	EXPECT_EQ(copy_file_recursive(path("src/"), path("dst/")), 0u);
	EXPECT_EQ(read("dst/top.txt"), "t2");

	// A single file.
	EXPECT_EQ(copy_file_recursive(path("src/top.txt"), path("one.txt")), 0u);
	EXPECT_EQ(read("one.txt"), "t2");
	EXPECT_EQ(copy_file_recursive(path("absent"), path("x")), e_noent);
	// The first error stops the copy: the target folder's place is taken by a file.
	write("blocked", "");
	EXPECT_EQ(copy_file_recursive(path("src"), path("blocked")), e_notdir);
}

TEST(files_space, free_space_of_tmp)
{
	uint64_t total = 0, avail = 0;
	ASSERT_EQ(get_free_space("/tmp/", &total, &avail), 0u);
	EXPECT_GT(total, 0u);
	EXPECT_LE(avail, total);
	struct statvfs vs;
	ASSERT_EQ(statvfs("/tmp", &vs), 0);
	EXPECT_EQ(total, uint64_t(vs.f_frsize) * vs.f_blocks);

	// A folder not made yet is measured on its nearest existing parent.
	uint64_t total2 = 0;
	ASSERT_EQ(get_free_space("/tmp/not/made/yet/", &total2, nullptr), 0u);
	EXPECT_EQ(total2, total);
	EXPECT_EQ(get_free_space("/tmp/some_file.txt", nullptr, nullptr), 0u);

	// A folder path measures that folder's own volume, not its parent's.
	struct statvfs shm, dev;
	if (statvfs("/dev/shm", &shm) != 0 || statvfs("/dev", &dev) != 0 || shm.f_blocks == dev.f_blocks)
		GTEST_SKIP() << "needs /dev/shm and /dev on volumes of different sizes";
	uint64_t shm_total = 0;
	ASSERT_EQ(get_free_space("/dev/shm/", &shm_total, nullptr), 0u);
	EXPECT_EQ(shm_total, uint64_t(shm.f_frsize) * shm.f_blocks);
}
