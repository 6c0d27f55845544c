#include "core/files/launch_app.h"

#include <cstdlib>

#include "core/files/paths.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/log.h"

int launch_app(const std::string& app, const std::string& install_path, int quit_mode)
{
	std::string path = app;
	while (path.size() > 1 && path.back() == '/')
		path.pop_back();
	set_path_to_full(path);
	xer << "Launching: " << path << " with " << install_path << "\n";
	xer.flush();
	std::vector<std::string> args;
	if (!install_path.empty())
		args = {"-path", install_path};
	int err = launch_app_spawn(path, args);
	if (err != 0) {
		skyvane_log_write(log_error, "SYS", "Could not launch %s: %s", path.c_str(),
		                  error_str(static_cast<err_code_t>(err)).c_str());
		return -1;
	}
	RADAVI_finishup(quit_mode);
	exit(0);
}
