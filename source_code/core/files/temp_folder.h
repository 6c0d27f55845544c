#pragma once
// The per-user private temporary folder: $TMPDIR (or /tmp) + "skyvane-installer-<uid>/", mode 0700,
// used only when it is a real folder owned by the user and closed to others; otherwise a fresh
// unique folder is made beside it.
#include <string>
#include <sys/types.h>
#include "core/ui/err_code.h"

// The folder for this process, ending with "/"; made on first use; empty when none could be made.
std::string temp_folder_path();

// The rules above for a given base folder and owner: out = the folder, ending with "/".
err_code_t temp_folder_make(const std::string& base, uid_t uid, std::string& out);

// Creates folder + name for writing (0600): never an existing file, never through a link.
err_code_t temp_folder_create_file(const std::string& folder, const std::string& name, int& fd);
