// Noticing mounts through /proc/self/mountinfo.
#include <gtest/gtest.h>

#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/platform/WIN_app.h"
#include "core/platform/WIN_mount_watch.h"

namespace {

TEST(MountInfo, KeysTellMountsApart)
{
	const std::string text =
	    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
	    "35 22 0:31 / /media/user/SKYVANE11 rw,nosuid shared:20 - iso9660 /dev/sr0 ro\n"
	    "garbage\n"
	    "36 22 0:32\n"
	    "\n";
	const std::set<std::string> keys = WIN_mountinfo_keys(text);
	EXPECT_EQ(keys, (std::set<std::string>{"22 1 8:1 / /", "35 22 0:31 / /media/user/SKYVANE11"}));

	// The same id on another device (an id the kernel handed out again) is another mount; a
	// change of options alone is the same mount.
	const std::set<std::string> reused = WIN_mountinfo_keys("35 22 0:40 / /media/user/SKYVANE11 rw - udf /dev/sr0 ro\n");
	EXPECT_EQ(keys.count(*reused.begin()), 0u);
	const std::set<std::string> remount = WIN_mountinfo_keys("35 22 0:31 / /media/user/SKYVANE11 ro - iso9660 /dev/sr0 ro\n");
	EXPECT_EQ(keys.count(*remount.begin()), 1u);
}

TEST(MountWatch, QuietTableRaisesNothing)
{
	WIN_mount_watch w;
	ASSERT_TRUE(w.is_open());
	EXPECT_FALSE(w.poll_new_mount());
	EXPECT_FALSE(w.poll_new_mount());
	WIN_mount_watch missing("/nonexistent/mountinfo");
	EXPECT_FALSE(missing.is_open());
	EXPECT_FALSE(missing.poll_new_mount());
}

bool can_unshare_mounts()
{
	pid_t pid = fork();
	if (pid == 0) _exit(unshare(CLONE_NEWNS) == 0 ? 0 : 1);
	int status = 0;
	if (pid < 0 || waitpid(pid, &status, 0) != pid) return false;
	return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs in a process of its own, in a private mount namespace; exits 0 when all went as expected.
[[noreturn]] void mount_sequence()
{
	auto fail = [](const char* what) {
		fprintf(stderr, "%s\n", what);
		exit(1);
	};
	if (unshare(CLONE_NEWNS) != 0) fail("unshare");
	if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) fail("make private");
	char tmpl[] = "/tmp/mount_watch_XXXXXX";
	if (!mkdtemp(tmpl)) fail("mkdtemp");
	const std::string disc = std::string(tmpl) + "/SKYVANE11";
	if (mkdir(disc.c_str(), 0755) != 0) fail("mkdir");

	WIN_mount_watch w;
	if (w.poll_new_mount()) fail("raised before any mount");
	if (mount("tmpfs", disc.c_str(), "tmpfs", 0, "size=1m") != 0) fail("mount");
	if (!w.poll_new_mount()) fail("mount not noticed");
	if (w.poll_new_mount()) fail("one mount raised twice");
	if (mount(nullptr, disc.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=1m") != 0) fail("remount");
	if (w.poll_new_mount()) fail("remount counted as a mount");
	if (umount2(disc.c_str(), 0) != 0) fail("umount");
	if (w.poll_new_mount()) fail("unmount counted as a mount");
	if (mount("tmpfs", disc.c_str(), "tmpfs", 0, "size=1m") != 0) fail("second mount");
	if (!w.poll_new_mount()) fail("second mount not noticed");
	umount2(disc.c_str(), 0);
	rmdir(disc.c_str());
	rmdir(tmpl);
	exit(0);
}

// The same through the event loop and the application delegate.
[[noreturn]] void mount_through_the_loop()
{
	auto fail = [](const char* what) {
		fprintf(stderr, "%s\n", what);
		exit(1);
	};
	if (unshare(CLONE_NEWNS) != 0) fail("unshare");
	if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) fail("make private");
	char tmpl[] = "/tmp/mount_loop_XXXXXX";
	if (!mkdtemp(tmpl)) fail("mkdtemp");
	static int discs = 0;
	skyvane_app_delegate app;
	app.got_new_dvd = [](void*) { ++discs; };
	WIN_set_app_deleate(&app);
	WIN_event_loop_once(nullptr, nullptr);
	if (discs != 0) fail("raised before any mount");
	if (mount("tmpfs", tmpl, "tmpfs", 0, "size=1m") != 0) fail("mount");
	WIN_event_loop_once(nullptr, nullptr);
	WIN_event_loop_once(nullptr, nullptr);
	if (discs != 1) fail("not raised exactly once");
	umount2(tmpl, 0);
	rmdir(tmpl);
	exit(0);
}

TEST(MountWatch, MountingATmpfsRaisesOncePerMount)
{
	if (!can_unshare_mounts()) GTEST_SKIP() << "no permission for a private mount namespace";
	// A fresh process: a mount namespace can only be left by a single-threaded process.
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT(mount_sequence(), ::testing::ExitedWithCode(0), "");
	EXPECT_EXIT(mount_through_the_loop(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
