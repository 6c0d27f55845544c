#pragma once
// The install plan: which manifest files the run fetches, deletes or leaves alone, the folders
// it needs, the deletions, and the totals the wizard screens show. Main thread only, while no
// pipeline runs. Works on sim_info, stg and dest_dir_path.
#include <string>
#include <vector>
#include "core/ui/err_code.h"

// Sets want_install, want_delete and progress_start of every current version. With ask = 1 a
// local copy the user changed is asked about (prompt_for_modified_file_decision). Returns 1, or
// 0 when the answer was to cancel the installation.
int choose_files(int ask);

// choose_files(0), then the download and install totals and counts of stg.
void recalc_disk_sizes();

// stg.wrl_avail: the tiles for which the manifest holds scenery.
void init_directory();

// stg.wrl_sel: the default selection (1), or the blocks found in the installation's
// "Global Scenery" packs (0).
void scenery_from_install(int use_default);
void scenery_take_none();

// The installation folder, every folder the files to install need, and the standard output
// folders. Returns 0 or the error that stopped it (an err_code_t).
int make_dirs();
void make_dir_error(const std::string& path, err_code_t err);

// Deletes the files marked want_delete, then the folders they leave really empty. Nothing is
// removed through a symbolic link: a link is removed as a link.
void delete_files();

// The ancestor folders (relative, without a final "/") of the files to install, ascending, so
// that a folder always comes before its sub-folders.
std::vector<std::string> plan_needed_folders();

// The folder name of a block in a scenery pack's "Earth nav data": "%+03d%+04d/" of its
// south-west corner, latitude first ("+30-090/" for x = 9, y = 12).
std::string scenery_block_folder(int x, int y);
