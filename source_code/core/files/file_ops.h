#pragma once
// The small file-system layer. Every path is made full first; failures come back as
// errno-domain codes; nothing throws. Deleting never follows a symbolic link.
#include <cstdint>
#include <string>
#include <vector>
#include "core/ui/err_code.h"

typedef int file_type_t;
enum { file_type_other = 0, file_type_folder = 1 };

// Listing filters of opensave_getitems.
enum {
	list_filter_visible = 0,  // entries whose names do not start with "."
	list_filter_all = 2       // everything but "." and ".."
};

bool file_exists(const std::string& path);  // exists and is not a folder
bool dir_exists(const std::string& path);   // a trailing "/" is ignored
// True when path is a symbolic link; its target text (up to 499 bytes) goes to target.
bool is_sim_link(const std::string& path, std::string* target = nullptr);

err_code_t make_folder(const std::string& path);  // one folder, 0755; "exists" is 0x40000011
bool show_make_dir_err(err_code_t code);          // false for success, "exists" and duplicate name
// "x/" removes the empty folder x (or the link x), any other path the file or link.
err_code_t delete_file(const std::string& path);
bool show_del_err(err_code_t code);  // deletion failures are never shown: always false
// Removes the folder and all it holds; links inside are removed as links. Stops at the first error.
err_code_t recursive_delete_folder(const std::string& path);
err_code_t rename_file(const std::string& folder, const std::string& old_name, const std::string& new_name);
// Copies the bytes in 1 MiB blocks, then gives `to` the permission bits of `from`.
err_code_t copy_file(const std::string& from, const std::string& to);
// A file is copied, a folder is made and filled recursively, a link is recreated as a link.
err_code_t copy_file_recursive(const std::string& from, const std::string& to);

// Lists folder (which must end with "/") sorted by name without regard to case. A link is
// reported as type 0, never as a folder. Names holding ":" or "\" are skipped and logged.
// Filter values other than 0 and 2 belong to the simulator's file dialogs and act as 0 here;
// `extra` is their file-type argument, unused by the installer.
int opensave_getitems(const std::string& folder, int filter, std::vector<std::string>& names,
                      std::vector<file_type_t>& types, const std::string& extra = std::string());

// Size and free space (available to this user) of the volume holding the folder of path;
// a folder that does not exist yet is measured on its nearest existing parent.
err_code_t get_free_space(const std::string& path, uint64_t* total_bytes, uint64_t* free_bytes);
