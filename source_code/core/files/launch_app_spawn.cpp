// Separate from launch_app so that starting a process can be used (and tested) without the
// shutdown that launch_app runs after it.
#include "core/files/launch_app.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <spawn.h>

extern char** environ;

int launch_app_spawn(const std::string& app, const std::vector<std::string>& args, pid_t* pid)
{
	std::vector<char*> argv;
	argv.push_back(const_cast<char*>(app.c_str()));
	for (const std::string& a : args)
		argv.push_back(const_cast<char*>(a.c_str()));
	argv.push_back(nullptr);

	posix_spawnattr_t attr;
	int rc = posix_spawnattr_init(&attr);
	if (rc != 0)
		return static_cast<int>(err_from_errno(rc));
	// Its own session, so it outlives us; a clean signal state whatever our threads block.
	sigset_t none, all;
	sigemptyset(&none);
	sigfillset(&all);
	posix_spawnattr_setsigmask(&attr, &none);
	posix_spawnattr_setsigdefault(&attr, &all);
	posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
	// None of our descriptors (log, sockets, pipes of whoever started us) go with it.
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addclosefrom_np(&actions, 3);
	pid_t child = 0;
	rc = posix_spawn(&child, app.c_str(), &actions, &attr, argv.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	posix_spawnattr_destroy(&attr);
	if (rc != 0) {
		fprintf(stderr, "Could not start %s: %s\n", app.c_str(), strerror(rc));
		return static_cast<int>(err_from_errno(rc));
	}
	if (pid)
		*pid = child;
	return 0;
}
