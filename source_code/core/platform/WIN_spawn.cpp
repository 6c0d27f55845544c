#include "core/platform/WIN_spawn.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

extern char** environ;

std::string WIN_find_in_path(const std::string& name)
{
	if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
	const char* path = getenv("PATH");
	std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
	size_t start = 0;
	while (start <= dirs.size()) {
		size_t end = dirs.find(':', start);
		if (end == std::string::npos) end = dirs.size();
		std::string dir = dirs.substr(start, end - start);
		if (!dir.empty()) {
			std::string full = dir + "/" + name;
			struct stat st;
			if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0) return full;
		}
		start = end + 1;
	}
	return std::string();
}

pid_t WIN_spawn(const std::string& path, const std::vector<std::string>& argv, const WIN_spawn_options& opt,
                int* errno_out)
{
	std::vector<char*> args;
	args.reserve(argv.size() + 1);
	for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
	args.push_back(nullptr);

	posix_spawn_file_actions_t actions;
	posix_spawnattr_t attr;
	posix_spawn_file_actions_init(&actions);
	posix_spawnattr_init(&attr);
	short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
	if (opt.new_session) flags |= POSIX_SPAWN_SETSID;
	posix_spawnattr_setflags(&attr, flags);
	sigset_t none, all_default;
	sigemptyset(&none);
	posix_spawnattr_setsigmask(&attr, &none);
	sigemptyset(&all_default);
	sigaddset(&all_default, SIGPIPE);
	sigaddset(&all_default, SIGINT);
	sigaddset(&all_default, SIGTERM);
	posix_spawnattr_setsigdefault(&attr, &all_default);

	int fds[2] = {-1, -1};
	if (opt.stdout_pipe) {
		if (pipe2(fds, O_CLOEXEC) != 0) {
			if (errno_out) *errno_out = errno;
			posix_spawn_file_actions_destroy(&actions);
			posix_spawnattr_destroy(&attr);
			return -1;
		}
		posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
	}

	// The child gets standard input, output and error only: not our log file, sockets or pipes.
	posix_spawn_file_actions_addclosefrom_np(&actions, 3);

	pid_t pid = -1;
	int err = posix_spawn(&pid, path.c_str(), &actions, &attr, args.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	posix_spawnattr_destroy(&attr);
	if (opt.stdout_pipe) {
		close(fds[1]);
		if (err == 0) {
			*opt.stdout_pipe = fds[0];
		} else {
			close(fds[0]);
		}
	}
	if (err != 0) {
		if (errno_out) *errno_out = err;
		return -1;
	}
	return pid;
}

int WIN_wait_child(pid_t pid)
{
	int status = 0;
	pid_t r;
	do r = waitpid(pid, &status, 0);
	while (r < 0 && errno == EINTR);
	if (r != pid || !WIFEXITED(status)) return -1;
	return WEXITSTATUS(status);
}

void WIN_reap_in_background(pid_t pid)
{
	if (pid <= 0) return;
	std::thread([pid] { WIN_wait_child(pid); }).detach();
}

namespace {
int hex_value(char c)
{
	if (c >= '0' && c <= '9') return c - '0';
	if (c >= 'a' && c <= 'f') return c - 'a' + 10;
	if (c >= 'A' && c <= 'F') return c - 'A' + 10;
	return -1;
}
}  // namespace

std::string WIN_url_to_local_path(const std::string& url)
{
	if (!url.empty() && url[0] == '/') return url;
	const std::string scheme = "file://";
	if (url.compare(0, scheme.size(), scheme) != 0) return std::string();
	std::string rest = url.substr(scheme.size());
	// file://localhost/path names the same as file:///path; any other host is not local.
	if (rest.compare(0, 9, "localhost") == 0) rest.erase(0, 9);
	if (rest.empty() || rest[0] != '/') return std::string();
	std::string out;
	for (size_t i = 0; i < rest.size(); ++i) {
		if (rest[i] == '%' && i + 2 < rest.size() && hex_value(rest[i + 1]) >= 0 && hex_value(rest[i + 2]) >= 0) {
			char c = static_cast<char>(hex_value(rest[i + 1]) * 16 + hex_value(rest[i + 2]));
			if (c == '\0') return std::string();
			out += c;
			i += 2;
		} else {
			out += rest[i];
		}
	}
	return out;
}
