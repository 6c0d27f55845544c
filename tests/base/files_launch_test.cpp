#include <gtest/gtest.h>

#include <sys/wait.h>

#include "base/files_fixture.h"
#include "core/files/launch_app.h"

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
