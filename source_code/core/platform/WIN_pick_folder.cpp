#include "core/platform/WIN_pick_folder.h"
#include "core/platform/WIN_spawn.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/ui/log.h"

namespace {

std::string read_to_end(int fd)
{
	std::string out;
	char buf[4096];
	for (;;) {
		ssize_t n = read(fd, buf, sizeof buf);
		if (n < 0 && errno == EINTR) continue;
		if (n <= 0) break;
		out.append(buf, static_cast<size_t>(n));
		if (out.size() > 65536) break;  // no folder path is this long
	}
	return out;
}

std::vector<std::string> chooser_command(const std::string& exe, bool is_zenity, const std::string& title,
                                         const std::string& start)
{
	std::vector<std::string> argv{exe};
	if (is_zenity) {
		argv.push_back("--file-selection");
		argv.push_back("--directory");
		if (!title.empty()) argv.push_back("--title=" + title);
		if (!start.empty()) argv.push_back("--filename=" + (start.back() == '/' ? start : start + "/"));
	} else {
		if (!title.empty()) {
			argv.push_back("--title");
			argv.push_back(title);
		}
		argv.push_back("--getexistingdirectory");
		argv.push_back(start.empty() ? std::string(".") : start);
	}
	return argv;
}

}  // namespace

char* WIN_pick_folder(const char* title, const char* message, const char* prompt, const char* initial_folder)
{
	std::string exe = WIN_find_in_path("zenity");
	bool is_zenity = !exe.empty();
	if (!is_zenity) exe = WIN_find_in_path("kdialog");
	if (exe.empty()) {
		skyvane_log_write(log_warn, "GUI", "No folder chooser (zenity or kdialog) is installed");
		return nullptr;
	}

	const std::string start = initial_folder ? WIN_url_to_local_path(initial_folder) : std::string();
	const std::vector<std::string> argv = chooser_command(exe, is_zenity, title ? title : "", start);

	int out_fd = -1, err = 0;
	WIN_spawn_options opt;
	opt.stdout_pipe = &out_fd;
	pid_t pid = WIN_spawn(exe, argv, opt, &err);
	if (pid < 0) {
		skyvane_log_write(log_error, "GUI", "Could not start %s: %s", exe.c_str(), strerror(err));
		return nullptr;
	}
	std::string answer = read_to_end(out_fd);
	close(out_fd);
	const int status = WIN_wait_child(pid);
	if (status != 0) return nullptr;  // cancelled

	while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
	struct stat st;
	if (answer.empty() || answer[0] != '/' || answer.find('\n') != std::string::npos ||
	    stat(answer.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
		return nullptr;
	return strdup(answer.c_str());
}
