#include "core/installer/dvd_locate.h"

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_plan.h"
#include "core/files/file_ops.h"
#include "core/files/xmap_class.h"
#include "core/installer/dvd_directory_reader.h"
#include "core/installer/mounted_volumes.h"
#include "core/installer/sim_info.h"
#include "core/ui/log.h"

#include <vector>

std::string dvd_desc_key_file = INS_DVD_KEY_FILE;
std::string dvd_check_key_file;
int current_disk = -1;
int want_file_disk = 0;

namespace {

// An empty file is still there: only being able to open it counts.
int can_open(const std::string& path)
{
	xmap_class m(path);
	return m.is_open() ? 1 : 0;
}

// The DVD description reader sits below the volume search; it is handed the search here.
[[maybe_unused]] const bool s_reader_seam_set = [] {
	dvd_locate_fn = dvd_locate_for_description;
	return true;
}();

}  // namespace

std::string UTL_locate_dvd(int (*has_file)(const std::string& root))
{
	std::vector<mounted_volume> volumes;
	if (!has_file)
		return std::string();
	if (!mounted_volumes_list(volumes)) {
		skyvane_log_write(log_warn, "INS", "Cannot read the table of mounted volumes");
		return std::string();
	}
	for (const mounted_volume& v : volumes) {
		if (v.name != INS_DVD_VOLUME_NAME)
			continue;
		std::string root = v.mount_path;
		if (root.back() != '/')
			root += '/';
		if (has_file(root))
			return root;
	}
	return std::string();
}

int dvd_has_file(const std::string& root) { return can_open(root + dvd_check_key_file); }

int dvd_desc_has_file(const std::string& root) { return can_open(root + dvd_desc_key_file); }

std::string UTIL_locate_dvd_by_root_file(const std::string& root_file)
{
	dvd_check_key_file = root_file;
	return UTL_locate_dvd(dvd_has_file);
}

std::string dvd_locate_for_description(const std::string& key)
{
	dvd_desc_key_file = key;
	return UTL_locate_dvd(dvd_desc_has_file);
}

int UTIL_scan_dvd()
{
	const int r = UTL_read_dvd_directory(sim_info);
	if (r == 0) {
		current_disk = 0;
		init_directory();
	}
	return r;
}

std::string dvd_download_name(int index)
{
	return ins_download_name(sim_info.files[index].cur());
}

int UTIL_verify_disk()
{
	if (want_file_disk < 0 || want_file_disk >= static_cast<int>(sim_info.files.size())) {
		skyvane_log_write(log_error, "INS", "Disc check for file %d of a manifest of %zu files", want_file_disk,
		                  sim_info.files.size());
		return 0;
	}
	const int disk = sim_info.files[want_file_disk].cur().disk;
	if (disk == -1) {
		current_disk = -1;
		return 1;
	}
	const std::string key = sim_info.install_name + "/" + dvd_download_name(want_file_disk);
	dvd_check_key_file = key;
	const std::string root = UTL_locate_dvd(dvd_has_file);
	// No disc at all: the bare key would be looked up beside the executable.
	if (root.empty() || !file_exists(root + key))
		return 0;
	current_disk = disk;
	sim_info.dvd_root = root;
	return 1;
}

int path_is_to_a_sim()
{
	if (dest_dir_path.empty())
		return 0;
	std::string folder = dest_dir_path;
	if (folder.back() != '/')
		folder += '/';
	static const char* const k_parts[] = {"Airfoils", "Instructions", "Output", "Resources"};
	bool found[4] = {false, false, false, false};
	std::vector<std::string> names;
	std::vector<file_type_t> types;
	opensave_getitems(folder, list_filter_visible, names, types);
	for (size_t i = 0; i < names.size() && i < types.size(); ++i) {
		if (types[i] != file_type_folder)
			continue;
		for (int k = 0; k < 4; ++k)
			if (names[i].find(k_parts[k]) != std::string::npos)
				found[k] = true;
	}
	return found[0] && found[1] && found[2] && found[3];
}
