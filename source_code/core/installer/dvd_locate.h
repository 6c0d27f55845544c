#pragma once
// Finding the product disc among the mounted volumes (volumes named "SKYVANE11"), checking that
// the disc holding the next wanted file is in, recognising a simulator folder, ejecting a disc.
// Main thread only.
#include <chrono>
#include <functional>
#include <string>
#include "core/ui/err_code.h"

#define INS_DVD_VOLUME_NAME "SKYVANE11"

// The two key files: the one the disc description search looks for (dvd_version.txt) and the one
// disc checks look for (install name + "/" + download name of the wanted file).
extern std::string dvd_desc_key_file;
extern std::string dvd_check_key_file;

extern int current_disk;    // the disc in use, -1 for none or for network sources
extern int want_file_disk;  // index of the manifest path whose disc is wanted

// Root ("/" ended) of the first mounted product disc for which has_file answers true, or "".
std::string UTL_locate_dvd(int (*has_file)(const std::string& root));
// True when root + dvd_check_key_file can be opened.
int dvd_has_file(const std::string& root);
// True when root + dvd_desc_key_file can be opened.
int dvd_desc_has_file(const std::string& root);
// Makes root_file the disc-check key and searches with dvd_has_file.
std::string UTIL_locate_dvd_by_root_file(const std::string& root_file);
// What the DVD description reader searches with: key becomes the description key.
std::string dvd_locate_for_description(const std::string& key);

// Reads the disc set's description and manifest into sim_info; on success (0) current_disk = 0
// and the plan's tile table is set up. Returns UTL_read_dvd_directory's result.
int UTIL_scan_dvd();
// 1 when the disc holding path want_file_disk is mounted (current_disk and sim_info.dvd_root then
// name it), or when the manifest is not a disc manifest; else 0.
int UTIL_verify_disk();
// The name a file of the manifest is stored under on a disc or a server, relative to the
// install name's folder.
std::string dvd_download_name(int index);

// dest_dir_path holds folders named with "Airfoils", "Instructions", "Output" and "Resources".
int path_is_to_a_sim();

// Unmounts the file system holding path, then ejects its device; best effort, waits at most
// 10 seconds. Returns 0 once the file system was found (whatever the unmount and eject did), an
// errno-domain code when it was not, or when it is one of the system's own folders.
err_code_t eject_dvd(const std::string& path);

// Runs job on a thread of its own and waits for it at most bound; false when it was still running
// (it then finishes, or not, on its own).
bool dvd_run_bounded(std::function<void()> job, std::chrono::milliseconds bound);
