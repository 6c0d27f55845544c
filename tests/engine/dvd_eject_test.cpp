// Ejecting a disc: the unmount of a real volume, refusals, and the bound on the wait.
#include "engine/dvd_namespace.h"

#include <fcntl.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <memory>

#include "core/installer/dvd_locate.h"

namespace {

void eject_cases(const std::string& base, dvd_checks& c)
{
	const std::string disc = base + "d/SKYVANE11", bind = base + "bind/SKYVANE11";
	c.expect(dvd_mount_disc(disc), "mounting the disc");
	dvd_put(disc + "/R1/file.txt", "x");

	// A file open on the disc makes the unmount fail: reported, nothing ejected, still 0.
	const int fd = open((disc + "/R1/file.txt").c_str(), O_RDONLY);
	testing::internal::CaptureStdout();
	c.eq(eject_dvd(disc + "/"), 0u, "busy disc");
	const std::string out = testing::internal::GetCapturedStdout();
	c.expect(out.find("Unmount failed.\n" + disc + ": ") == 0, "unmount failure printed, got: " + out);
	c.expect(dvd_is_mounted(disc), "busy disc stays mounted");
	close(fd);

	// The whole file system goes, wherever it is mounted; a path inside it names it.
	std::filesystem::create_directories(bind);
	c.expect(mount(disc.c_str(), bind.c_str(), nullptr, MS_BIND, nullptr) == 0, "second mount of the disc");
	const auto start = std::chrono::steady_clock::now();
	c.eq(eject_dvd(disc + "/R1/"), 0u, "eject through a path inside the disc");
	c.expect(std::chrono::steady_clock::now() - start <= std::chrono::seconds(10), "eject kept to its bound");
	c.expect(!dvd_is_mounted(disc) && !dvd_is_mounted(bind), "both mounts gone");

	const struct {
		std::string path;
		err_code_t code;
	} refusals[] = {
	    {base + "missing/", err_from_errno(ENOENT)},
	    {"/", err_from_errno(EPERM)},
	    {"/proc/self/", err_from_errno(EPERM)},
	};
	for (const auto& r : refusals)
		c.eq(eject_dvd(r.path), r.code, "eject of " + r.path);
	c.expect(dvd_is_mounted("/") && dvd_is_mounted("/proc"), "system folders left mounted");
}

TEST(dvd_eject, unmounts_a_real_volume_and_refuses_the_system)
{
	DVD_IN_PRIVATE_MOUNTS(eject_cases);
}

TEST(dvd_eject, a_missing_path_has_no_file_system)
{
	EXPECT_EQ(eject_dvd("/nonexistent/SKYVANE11/"), err_from_errno(ENOENT));
}

TEST(dvd_run_bounded, gives_up_waiting_but_the_job_runs_on)
{
	auto release = std::make_shared<std::latch>(1);
	auto finished = std::make_shared<std::latch>(1);
	EXPECT_FALSE(dvd_run_bounded(
	    [release, finished] {
		    release->wait();
		    finished->count_down();
	    },
	    std::chrono::milliseconds(20)));
	release->count_down();
	finished->wait();

	std::atomic<int> ran{0};
	EXPECT_TRUE(dvd_run_bounded([&ran] { ran = 1; }, std::chrono::seconds(60)));
	EXPECT_EQ(ran.load(), 1);
}

}  // namespace
