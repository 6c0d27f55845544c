#pragma once
// Disk-space texts and tests shared by the location, disk-space and scenery steps, the
// very-large-download question and the one-unit duration text.
#include <cstdint>
#include <string>

#include "core/ui/err_code.h"

// The summary of path's volume against the plan's totals; "" when the volume cannot be read.
std::string UTIL_disk_space(const std::string& path, const std::string& enough_text,
                            const std::string& not_enough_text);
// For dest_dir_path; true when its free space cannot be read.
bool UTIL_has_enough_disk_space();
// True to go on; asks only for a network full install of at least 30 GiB of downloads.
bool UTIL_question_huge_dls();
constexpr double huge_download_kb = 31457280.0;  // 30 x 1024 x 1024

// "N seconds" below 120 s, "N minutes" below 7200 s, else "N hours", truncated.
std::string get_time_str_one_unit(float seconds);

// Plan kilobytes: "%.1f GB" of kb / 1e6 above 1,000,000 kb, else "%.0f MB" of kb / 1000.
std::string size_str_kb(double kb);
// A volume's bytes: "%.1f GB" from 1,000,001,000 bytes, else "%.0f MB", of bytes / 1000 as kb.
std::string size_str_volume_bytes(uint64_t bytes);

// Seam for tests: the free-space reader (default get_free_space).
typedef err_code_t (*disk_space_reader_fn)(const std::string& path, uint64_t* total_bytes, uint64_t* free_bytes);
extern disk_space_reader_fn disk_space_reader;
