#pragma once
// Which manifest files concern this install: the package choice and the target operating system.
// The folder scan, make_dirs and choose_files all judge a file with file_passes_filters.
#include <string>
#include "core/installer/sim_info.h"
#include "core/ui/err_code.h"

// 0 or 1 each. Until a step sets them every package counts.
extern int g_want_sim;
extern int g_want_scenery;
extern int g_want_regional;  // files with package bit 0x10
extern int g_want_global;    // files with package bit 0x20

// The regional and global extra packages are chosen together.
void set_install_filter(int want_sim, int want_scenery, int want_extras);

// True when the version's packages are wanted and its os is 0 or stg.target_os.
bool file_passes_filters(const file_version_struct& v);

// True when path exists and its owner may write it. A link is judged by itself, not by what it
// points to. On failure: with out given, *out = 0x4000000D and nothing is shown; without, a
// warning alert names the path.
bool double_check_path_permissions(const std::string& path, err_code_t* out);

constexpr err_code_t err_permission_denied = 0x4000000Du;  // EACCES
