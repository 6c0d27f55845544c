#pragma once
// Paths are UTF-8 strings with "/" as the only separator; a folder path ends with "/".
#include <string>

enum os_dir_type {
	os_dir_this_app = 0,      // the folder holding the running executable
	os_dir_app_bundle = 1,    // the executable itself (no trailing "/")
	os_dir_desktop = 2,       // the XDG desktop folder, else ~/Desktop
	os_dir_default_apps = 3,  // where new installations go by default: the desktop too
	os_dir_temp = 4,          // the per-user private temporary folder
	os_dir_prefs = 5          // $XDG_CONFIG_HOME or ~/.config
};

// The folder ending with "/" (kind 1: the executable's path); empty when the system does not know it.
void get_OS_abs_path(os_dir_type which, std::string& out);

bool is_path_full(const std::string& path);
// Expands "RESOURCE:", prefixes a relative path with the application base folder, then matches
// the case of missing components to what is on disk (the volume is case-sensitive).
void set_path_to_full(std::string& path);
// Re-reads text that is not valid UTF-8 as Mac Roman, then turns ":" and "\" into "/".
void set_path_to_right_dirchars(std::string& path);
void set_path_to_os_native_dirchars(std::string& path);

// "a/b/c.txt" -> "c.txt", "a/b/" -> "b/"; a path without "/" is returned whole.
void get_file_with_path(std::string& out, const std::string& path);
// "a/b/c.txt" -> "a/b/", "a/b/" -> "a/".
void get_path_with_path(std::string& out, const std::string& path);

bool is_valid_utf8(const std::string& text);

// Start-up and tests. The base folder defaults to the folder of the executable; the bundle
// (executable path) defaults to /proc/self/exe and also sets the os_dir_this_app folder.
void files_set_app_base_folder(const std::string& folder);
std::string files_get_app_base_folder();
void files_set_app_bundle_path(const std::string& executable);
// Off for a volume known to be case-insensitive: set_path_to_full then keeps paths as given.
void files_set_resolve_case(bool on);
