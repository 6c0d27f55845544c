#include "core/platform/WIN_launch_app.h"
#include "core/platform/WIN_spawn.h"

#include <cstdio>
#include <cstring>

bool WIN_launch_app(const char* path, const char* const* arguments)
{
	if (!path || !*path) {
		fprintf(stderr, "Could not launch the application: no path given\n");
		return false;
	}
	std::vector<std::string> argv{path};
	for (const char* const* a = arguments; a && *a; ++a) argv.emplace_back(*a);
	WIN_spawn_options opt;
	opt.new_session = true;
	int err = 0;
	pid_t pid = WIN_spawn(path, argv, opt, &err);
	if (pid < 0) {
		fprintf(stderr, "Could not launch %s: %s\n", path, strerror(err));
		return false;
	}
	WIN_reap_in_background(pid);
	return true;
}
