#pragma once
// Platform-internal: starting helper programs without a shell, so that no argument is ever
// interpreted, and collecting them so that they leave no zombies.
#include <sys/types.h>

#include <string>
#include <vector>

// The full path of an executable found through PATH, or empty.
std::string WIN_find_in_path(const std::string& name);

struct WIN_spawn_options {
	bool new_session = false;  // detach into a session (and process group) of its own
	int* stdout_pipe = nullptr;  // when given, receives the read end of the child's standard output
};

// argv[0] is the program path. The child's id, or -1 with errno_out set (when given).
pid_t WIN_spawn(const std::string& path, const std::vector<std::string>& argv, const WIN_spawn_options& opt,
                int* errno_out);

// Waits for the child; its exit status (0-255), or -1 when it did not exit normally.
int WIN_wait_child(pid_t pid);
// Collects the child on a background thread.
void WIN_reap_in_background(pid_t pid);

// Hands a URL to xdg-open and waits for its answer; false (after printing the failure line)
// when it could not be opened. WIN_open_url runs this in the background.
bool WIN_open_url_and_wait(const char* url);

// A "file://" URL (percent-encoded) or a plain absolute path as a local path; empty otherwise.
std::string WIN_url_to_local_path(const std::string& url);
