#pragma once
// Real volumes for the disc tests: a child process in a private mount namespace mounts tmpfs file
// systems on folders named SKYVANE11 below a scratch folder, runs the code under test there and
// reports through its exit status, with what went wrong on standard error.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/installer/mounted_volumes.h"

inline bool dvd_can_unshare_mounts()
{
	const pid_t pid = fork();
	if (pid == 0) _exit(unshare(CLONE_NEWNS) == 0 ? 0 : 1);
	int status = 0;
	if (pid < 0 || waitpid(pid, &status, 0) != pid) return false;
	return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Failures collected in the child.
struct dvd_checks {
	std::string failures;
	void expect(bool ok, const std::string& what)
	{
		if (!ok) failures += what + "\n";
	}
	template <class A, class B>
	void eq(const A& actual, const B& expected, const std::string& what)
	{
		if (actual == expected) return;
		std::ostringstream s;
		s << what << ": got \"" << actual << "\", want \"" << expected << "\"";
		failures += s.str() + "\n";
	}
};

inline bool dvd_mount_disc(const std::string& at)
{
	std::filesystem::create_directories(at);
	return mount("tmpfs", at.c_str(), "tmpfs", 0, "size=4m") == 0;
}

inline void dvd_put(const std::string& path, const std::string& bytes)
{
	std::filesystem::create_directories(std::filesystem::path(path).parent_path());
	std::ofstream(path, std::ios::binary) << bytes;
}

inline bool dvd_is_mounted(const std::string& path)
{
	std::vector<mounted_volume> v;
	mounted_volumes_list(v);
	for (const mounted_volume& m : v)
		if (m.mount_path == path) return true;
	return false;
}

typedef void (*dvd_body_t)(const std::string& base, dvd_checks& c);

inline std::string& dvd_base_folder()
{
	static std::string base;
	return base;
}

// The mounts die with the namespace; the folders they sat on are removed here.
inline void dvd_remove_base_folder()
{
	const std::string base = dvd_base_folder();
	if (base.empty()) return;
	std::vector<mounted_volume> v;
	mounted_volumes_list(v);
	for (auto it = v.rbegin(); it != v.rend(); ++it)
		if (it->mount_path.compare(0, base.size(), base) == 0) umount2(it->mount_path.c_str(), MNT_DETACH);
	std::error_code ec;
	std::filesystem::remove_all(base, ec);
	if (ec) std::fprintf(stderr, "cleanup of %s: %s\n", base.c_str(), ec.message().c_str());
	dvd_base_folder().clear();
}

[[noreturn]] inline void dvd_run_in_private_mounts(dvd_body_t body)
{
	auto die = [](const char* what) {
		std::fprintf(stderr, "%s failed\n", what);
		std::fflush(stderr);
		_exit(2);
	};
	if (unshare(CLONE_NEWNS) != 0) die("unshare");
	// Nothing mounted here may reach the machine's own table.
	if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) die("making / private");
	char tmpl[] = "/tmp/sky_dvd_XXXXXX";
	if (!mkdtemp(tmpl)) die("mkdtemp");
	dvd_base_folder() = std::string(tmpl) + "/";
	// A fatal alert ends the process through exit().
	std::atexit(dvd_remove_base_folder);
	dvd_checks c;
	body(dvd_base_folder(), c);
	dvd_remove_base_folder();
	std::fflush(stdout);
	if (!c.failures.empty()) {
		std::fputs(c.failures.c_str(), stderr);
		std::fflush(stderr);
		_exit(1);
	}
	// A fatal alert also ends the process with 0: only this line tells that every check ran.
	std::fputs("dvd checks: all ran\n", stderr);
	std::fflush(stderr);
	_exit(0);
}

// A namespace can only be entered by a single-threaded process: the statement runs in a freshly
// started copy of the test binary.
#define DVD_IN_PRIVATE_MOUNTS(body)                                                                  \
	do {                                                                                             \
		if (!dvd_can_unshare_mounts()) GTEST_SKIP() << "no permission for a private mount namespace"; \
		GTEST_FLAG_SET(death_test_style, "threadsafe");                                              \
		EXPECT_EXIT(dvd_run_in_private_mounts(body), ::testing::ExitedWithCode(0), "dvd checks: all ran"); \
	} while (0)
