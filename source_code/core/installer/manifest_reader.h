#pragma once
// The install manifest (directory.txt): DIR prefixes, DISK numbers and FILE lines.
#include <string>
#include "core/installer/ins_read_result.h"
#include "core/installer/sim_info.h"

// Empties info.files, sets version 0 and source = src, then reads path. Returns an
// ins_read_result: 0, 3, 5, 9, 10 or 11. On failure info.files is left empty. A sound path
// that ends with "/" raises the fatal alert.
int UTL_read_directory(const std::string& path, sim_info_struct& info, ins_data_src src);

// False for a path that must never be joined to the installation folder: empty, absolute,
// an empty, "." or ".." component, or a NUL, "\" or ":" anywhere. A trailing "/" alone is
// not judged here (the reader raises its own alert for it).
bool manifest_path_is_safe(const std::string& path);

// Installed kilobytes rounded up to whole 4-kilobyte blocks, from the manifest's second real.
double manifest_disk_kb(float installed_kb);
