#pragma once
// Program-wide run state set at start and read by the wizards and the install engine.
#include <string>
#include <vector>
#include "app/Installer-f/engine/install_dest.h"

extern std::string cmd_line_path;           // the installation folder named by -path, prefixes removed
extern int go_scenery;                      // -path began with "SCN" or "UPG"
extern int foce_update_after_scenery;       // -path began with "UPG"
extern std::string launch_app_name;         // file name of the simulator that "Run" steps launch
extern std::string temp_path;               // the temporary folder, ending with "/"
extern std::vector<std::string> all_skysuites;  // installation folders found in the registry
