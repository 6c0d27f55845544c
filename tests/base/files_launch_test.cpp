#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/files_fixture.h"
#include "core/files/launch_app.h"
#include "core/ui/log.h"
#include "core/ui/log_testing.h"

TEST_F(files_test, spawn_passes_arguments_in_a_new_session)
{
	// The script writes one argument per line, then its session id and our pid for comparison.
	write("app.sh",
	      "#!/bin/sh\n"
	      "out=\"$(dirname \"$0\")/args.txt\"\n"
	      "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out\"\n"
	      "ps -o sid= -p $$ | tr -d ' ' >> \"$out\"\n");
	chmod(path("app.sh").c_str(), 0755);
	pid_t child = 0;
	ASSERT_EQ(launch_app_spawn(path("app.sh"), {"-path", dir + "My Sim/"}, &child), 0);
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	// A session of its own: its session id is its own pid.
	EXPECT_EQ(read("args.txt"), "-path\n" + dir + "My Sim/\n" + std::to_string(child) + "\n");
}

TEST_F(files_test, spawn_failures)
{
	write("not_exec", "#!/bin/sh\n");
	chmod(path("not_exec").c_str(), 0644);
	struct {
		const char* rel;
		int want;
	} cases[] = {
	    {"missing", 0x40000002},
	    {"not_exec", 0x4000000D},  // EACCES
	};
	for (auto& c : cases)
		EXPECT_EQ(launch_app_spawn(path(c.rel), {}), c.want) << c.rel;
}

namespace {
// Reads a FIFO to its end. The writer cannot open it before we do, and poll reports
// nothing until a writer has come, so this waits on events, not on time.
std::string read_fifo(const std::string& p)
{
	int fd = open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return "(open failed)";
	std::string out;
	for (;;) {
		pollfd pfd{fd, POLLIN, 0};
		if (poll(&pfd, 1, 30000) <= 0)  // a guard against a child that never came, not a speed check
			break;
		char buf[256];
		ssize_t n = ::read(fd, buf, sizeof buf);
		if (n > 0)
			out.append(buf, static_cast<size_t>(n));
		else if (n == 0 || errno != EAGAIN)
			break;
	}
	close(fd);
	return out;
}
}  // namespace

TEST_F(files_test, launch_app_starts_then_shuts_down_and_exits)
{
	ASSERT_EQ(mkfifo(path("args.fifo").c_str(), 0600), 0);
	write("Skyvane.app",
	      "#!/bin/sh\n"
	      "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/args.fifo\"\n");
	chmod(path("Skyvane.app").c_str(), 0755);
	std::string log = path("log.txt"), install = dir + "Sim Folder/";
	EXPECT_EXIT(
	    {
		    skyvane_log_start();
		    skyvane_log_open(log);
		    launch_app(path("Skyvane.app/"), install, 0);  // the trailing "/" is dropped
		    _exit(3);                                        // not reached after a launch
	    },
	    testing::ExitedWithCode(0), "");
	EXPECT_EQ(read_fifo(path("args.fifo")), "-path\n" + install + "\n");
	EXPECT_EQ(read("log.txt"), "Launching: " + path("Skyvane.app") + " with " + install + "\n");
}

TEST_F(files_test, launch_app_failure_returns_minus_one)
{
	skyvane_log_reset_for_tests();
	skyvane_log_start();
	ASSERT_TRUE(skyvane_log_open(path("log.txt")));
	EXPECT_EQ(launch_app(path("absent.app"), "", 1), -1);
	skyvane_log_flush();
	skyvane_log_reset_for_tests();
	std::string text = read("log.txt");
	EXPECT_EQ(text.rfind("Launching: " + path("absent.app") + " with \n", 0), 0u) << text;
	EXPECT_NE(text.find("Could not launch"), std::string::npos) << text;
}
