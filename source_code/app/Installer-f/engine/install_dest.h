#pragma once
// The installation folder being worked on, ending with "/". It lives in the engine layer because
// the scan, the plan and the stages join manifest paths to it; the application layer sets it.
#include <string>

extern std::string dest_dir_path;
