#include "app/Installer-f/flows/steps/disk_space.h"

#include <cmath>
#include <cstdio>

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/flows/questions.h"
#include "app/Installer-f/flows/steps/download_directory.h"
#include "core/files/file_ops.h"
#include "core/installer/sim_info.h"
#include "core/ui/stg.h"
#include "core/ui/translate.h"

disk_space_reader_fn disk_space_reader = get_free_space;

namespace {
std::string format(const char* fmt, double v)
{
	char buf[64];
	std::snprintf(buf, sizeof buf, fmt, v);
	return buf;
}

// Estimates divide by a measured rate that may be 0; such a time reads as the longest one
// shown instead of an undefined conversion.
constexpr float max_seconds = 3600.0f * 1e6f;

float download_seconds(double kb, float bytes_per_sec)
{
	if (!(bytes_per_sec > 0))
		return max_seconds;
	return static_cast<float>(kb * 1000.0 / bytes_per_sec);
}
}  // namespace

std::string size_str_kb(double kb)
{
	return kb > 1000000.0 ? format("%.1f GB", kb / 1000000.0) : format("%.0f MB", kb / 1000.0);
}

std::string size_str_volume_bytes(uint64_t bytes)
{
	const double kb = static_cast<double>(bytes / 1000);
	return bytes >= 1000001000ull ? format("%.1f GB", kb / 1000000.0) : format("%.0f MB", kb / 1000.0);
}

std::string get_time_str_one_unit(float seconds)
{
	if (!(seconds > 0))
		seconds = 0;  // also NaN
	if (seconds > max_seconds)
		seconds = max_seconds;
	if (seconds < 120) {
		const int n = static_cast<int>(seconds);
		return UTL_string_sub(UTL_translate_plural(n, "%1:seconds% second", "%1:seconds% seconds"), std::to_string(n));
	}
	if (seconds < 7200) {
		const int n = static_cast<int>(seconds / 60);
		return UTL_string_sub(UTL_translate_plural(n, "%1:minutes% minute", "%1:minutes% minutes"), std::to_string(n));
	}
	const int n = static_cast<int>(seconds / 3600);
	return UTL_string_sub(UTL_translate_plural(n, "%1:hours% hour", "%1:hours% hours"), std::to_string(n));
}

std::string UTIL_disk_space(const std::string& path, const std::string& enough_text,
                            const std::string& not_enough_text)
{
	recalc_disk_sizes();
	uint64_t total = 0, free_bytes = 0;
	if (disk_space_reader(path, &total, &free_bytes) != 0)
		return std::string();
	const double free_kb = static_cast<double>(free_bytes / 1000);
	const std::string status = stg.install_total_kb > free_kb ? not_enough_text : enough_text;
	const std::string total_s = size_str_volume_bytes(total);
	const std::string free_s = size_str_volume_bytes(free_bytes);
	const std::string need_s = size_str_kb(stg.install_total_kb);
	if (s_cdn_rate_bytes_sec > 0) {
		const std::string dl_s = size_str_kb(stg.download_total_kb);
		const std::string time_s = get_time_str_one_unit(download_seconds(stg.download_total_kb, s_cdn_rate_bytes_sec));
		return UTL_string_sub(
			UTL_translate_string("Disk size: %1:total disk space%\nFree disk space: %2:free disk space%\nDisk space "
		                         "needed to install: %3:required disk space%\nDownload size: %4:download size% "
		                         "(%5:download time%)\n\n%6:status message%"),
			total_s, free_s, need_s, dl_s, time_s, status);
	}
	return UTL_string_sub(UTL_translate_string("Disk size: %1:total disk space%\nFree disk space: %2:free disk "
	                                           "space%\nDisk space needed to install: %3:required disk "
	                                           "space%\n\n%4:status message%"),
	                      total_s, free_s, need_s, status);
}

bool UTIL_has_enough_disk_space()
{
	recalc_disk_sizes();
	uint64_t total = 0, free_bytes = 0;
	if (disk_space_reader(dest_dir_path, &total, &free_bytes) != 0)
		return true;
	return static_cast<double>(free_bytes) / 1000.0 > stg.install_total_kb;
}

bool UTIL_question_huge_dls()
{
	if (sim_info.source != ins_src_net_full || stg.download_total_kb < huge_download_kb)
		return true;
	const std::string time_s = get_time_str_one_unit(download_seconds(stg.download_total_kb, s_cdn_rate_bytes_sec));
	const std::string disk_s = size_str_kb(stg.install_total_kb);
	const bool change = abort_alert(
		UTL_translate_string("LONG INSTALLATION TIME EXPECTED"),
		UTL_string_sub(UTL_translate_string("You have selected a very large amount of scenery to install.") + "\n\n" +
		                   UTL_translate_string("This will take approximately %1:time% to complete, and it will "
		                                        "consume %2:disk space% on your hard drive."),
		               time_s, disk_s),
		UTL_translate_string("Change Scenery"),
		UTL_translate_string("To select less scenery for a faster installation."),
		UTL_translate_string("Continue Install"),
		UTL_translate_string("To keep your current scenery selection (and corresponding long installation time)."),
		question_huge_download);
	return !change;
}
