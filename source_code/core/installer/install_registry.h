#pragma once
// The installation registry: "skyvane_install_11.txt" in the user's preferences folder, one
// installation folder per line, so that later runs (and the updater) find what was installed.
// It only grows. Problems are logged and otherwise ignored. Main thread only.
#include <string>
#include <vector>

#define INS_REGISTRY_FILE "skyvane_install_11.txt"

// Adds path unless a line already equals it. A path holding a line break or NUL is refused:
// it would read back as other folders.
void UTL_register_skyvane(const std::string& path);
// out = the registered folders that still exist, in file order, duplicates kept.
void UTL_locate_all_skyvanes(std::vector<std::string>& out);

// The registry file's full path, "" when the preferences folder is unknown.
std::string registry_file_path();

// Seam: the preferences folder ("/" ended, "" unknown). Default: get_OS_abs_path(os_dir_prefs).
typedef std::string (*registry_folder_fn_t)();
extern registry_folder_fn_t registry_folder_fn;
