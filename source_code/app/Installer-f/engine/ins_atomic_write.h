#pragma once
// Putting one file into the installation folder without trusting what is already there.
// Downloads come from mirrors that may be hostile, and the folder may hold links planted by
// anyone, so:
//  - the folders between the installation folder and the file are walked without following
//    links; a link among them refuses the write (ELOOP). The installation folder itself may be
//    a link: the user chose it.
//  - an existing file or link at the target is replaced, never opened: the new content goes
//    to a temporary name beside it (".<name>.skytmp-<pid>-<n>", created O_EXCL|O_NOFOLLOW),
//    is flushed to disk, given its mode and times, then renamed over the target. A kill
//    leaves the old file or the new one, never a torn one; clean_stray_temp_files removes
//    what a killed run left behind.
#include <cstddef>
#include <ctime>
#include <string>
#include "core/ui/err_code.h"

// dest: the installation folder, ending with "/"; rel: a relative path below it.
// mode: permission bits (& 0777), or -1 to keep those of the regular file being replaced
// (a new file gets 0660 less the umask). Times are set to when.
err_code_t ins_replace_file(const std::string& dest, const std::string& rel, const void* data, size_t size,
                            int mode, time_t when);

// A symbolic link holding link_to. Refused (EPERM) when link_to is empty, absolute or leads
// out of dest from where the link lives. The link's own times are set; links have no mode here.
err_code_t ins_replace_with_link(const std::string& dest, const std::string& rel, const std::string& link_to,
                                 time_t when);

// Whether a file name is one of ours: "." + name + ".skytmp-" + digits + "-" + digits.
bool ins_is_temp_name(const std::string& name);
std::string ins_temp_name(const std::string& leaf);

// Removes every leftover temporary file below the folder (a link among them is removed as a
// link; linked folders are never entered). Returns how many were removed.
int clean_stray_temp_files(const std::string& dest_dir_path);
