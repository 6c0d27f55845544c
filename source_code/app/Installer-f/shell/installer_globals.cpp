#include "app/Installer-f/shell/installer_globals.h"

std::string cmd_line_path;
int go_scenery = 0;
int foce_update_after_scenery = 0;
std::string launch_app_name;
std::string temp_path;
std::vector<std::string> all_skysuites;
