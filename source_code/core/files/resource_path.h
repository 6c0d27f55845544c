#pragma once
// "RESOURCE:" + name names a file in the application's resource folder.
#include <string>

extern const char* const resource_prefix;  // "RESOURCE:"

bool is_resource_path(const std::string& path);
// Replaces a leading "RESOURCE:" by the resource folder; other paths are left alone.
void resolve_resource_path(std::string& path);
// resources/ beside the executable (build tree), else ../share/skyvane-installer/resources/.
std::string files_get_resource_folder();
void files_set_resource_folder(const std::string& folder);  // tests and unusual layouts
