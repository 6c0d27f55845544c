#include "core/platform/WIN_open_url.h"
#include "core/platform/WIN_spawn.h"

#include <cstdio>
#include <string>
#include <thread>

bool WIN_open_url_and_wait(const char* url)
{
	const std::string u = url ? url : "";
	bool ok = false;
	// A leading '-' would reach the handler as an option.
	if (!u.empty() && u[0] != '-') {
		const std::string opener = WIN_find_in_path("xdg-open");
		if (!opener.empty()) {
			pid_t pid = WIN_spawn(opener, {opener, u}, WIN_spawn_options(), nullptr);
			ok = pid > 0 && WIN_wait_child(pid) == 0;
		}
	}
	if (!ok) {
		printf("URL-Open '%s' failed.\n", u.c_str());
		fflush(stdout);
	}
	return ok;
}

void WIN_open_url(const char* url)
{
	// xdg-open may take a while to find and start a browser; the frame loop must not wait.
	std::string u = url ? url : "";
	std::thread([u] { WIN_open_url_and_wait(u.c_str()); }).detach();
}
