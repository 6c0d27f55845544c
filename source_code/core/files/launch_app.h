#pragma once
// Starting the simulator (or the installer's own copy) as a detached process.
#include <string>
#include <sys/types.h>
#include <vector>
#include "core/ui/err_code.h"

// Logs "Launching: ...", starts app with "-path" install_path (when not empty), and on success
// finishes the application shell with quit_mode and exits with status 0. -1 when the launch failed.
int launch_app(const std::string& app, const std::string& install_path, int quit_mode);

// Starts the executable app in a session of its own with argv = app, args...; does not wait.
// 0 or the error. pid (when given) receives the child's id.
int launch_app_spawn(const std::string& app, const std::vector<std::string>& args, pid_t* pid = nullptr);
