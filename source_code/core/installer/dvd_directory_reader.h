#pragma once
// The DVD set: dvd_version.txt at the root of the first disc, then that release's manifest.
#include <string>
#include "core/installer/ins_read_result.h"
#include "core/installer/sim_info.h"

// Finds the disc (when dvd_root is empty), reads its description and its manifest.
// Returns 1, 6, 7, 8 or 10 as named in ins_read_result, or UTL_read_directory's result.
// A manifest that cannot be extracted raises the fatal alert.
int UTL_read_dvd_directory(sim_info_struct& info);

// Seams. The volume search lives in a later layer: dvd_locate_fn answers the root ("/" ended)
// of the first mounted disc holding key_file, or "" (the default answers ""). dvd_temp_path_fn
// gives the temporary folder the manifest is extracted to (default: the per-user temp folder).
// dvd_limit_lang_fn narrows the offered languages to the disc's (default: none).
typedef std::string (*dvd_locate_fn_t)(const std::string& key_file);
typedef std::string (*dvd_temp_path_fn_t)();
typedef void (*dvd_limit_lang_fn_t)(const std::string& version_file);
extern dvd_locate_fn_t dvd_locate_fn;
extern dvd_temp_path_fn_t dvd_temp_path_fn;
extern dvd_limit_lang_fn_t dvd_limit_lang_fn;
