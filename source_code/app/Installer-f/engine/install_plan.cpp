#include "app/Installer-f/engine/install_plan.h"

#include <algorithm>
#include <cstdio>

#include "app/Installer-f/engine/file_conflict_seam.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "core/installer/sim_info.h"
#include "core/ui/stg.h"

namespace {

// An empty sig_have means the path was never scanned: nothing is known of a local copy, so
// there is nothing to delete and nothing to ask the user about.
bool has_local_copy(const file_version_struct& v) { return !v.sig_have.empty() && v.sig_have != "NONE"; }

// Tile bounds come from a downloaded manifest; they are clipped to the grid.
bool any_tile_selected(const file_version_struct& v)
{
	const int x0 = std::max(v.tile_lon_min, 0), x1 = std::min(v.tile_lon_max, stg_wrl_lon_count - 1);
	const int y0 = std::max(v.tile_lat_min, 0), y1 = std::min(v.tile_lat_max, stg_wrl_lat_count - 1);
	for (int x = x0; x <= x1; ++x)
		for (int y = y0; y <= y1; ++y)
			if (stg.wrl_sel[x][y])
				return true;
	return false;
}

// A copy equal to an older release was left as we installed it; only a checksum that no
// release ever had is the user's own change.
bool changed_by_user(const file_history_struct& f, const std::string& sig_have)
{
	for (const file_version_struct& old : f.versions)
		if (old.sig_want == sig_have)
			return false;
	return true;
}

bool listed(const std::vector<std::string>& dirs, const std::string& dir)
{
	return std::find(dirs.begin(), dirs.end(), dir) != dirs.end();
}

void set_progress_starts()
{
	float total = 0;
	for (const file_history_struct& f : sim_info.files)
		if (f.cur().want_install)
			total += static_cast<float>(f.cur().disk_kb);
	float s = 0;
	for (file_history_struct& f : sim_info.files) {
		file_version_struct& v = f.cur();
		if (total > 0) {
			v.progress_start = s / total;
			if (v.want_install)
				s += static_cast<float>(v.disk_kb);
		} else {
			v.progress_start = 0.5f;
		}
	}
}

}  // namespace

int choose_files(int ask)
{
	// The folder-wide answers hold for this run only.
	std::vector<std::string> replace_all_dirs, keep_all_dirs;

	for (file_history_struct& f : sim_info.files) {
		file_version_struct& v = f.cur();
		v.want_install = 0;
		v.want_delete = 0;
		if (!file_passes_filters(v))
			continue;

		const std::string target = dest_dir_path + v.path;
		const bool have = has_local_copy(v);
		const bool gone = v.sig_want == "GONE";
		const bool unwanted = gone || (v.is_scenery == 1 && !any_tile_selected(v));
		const bool match = !unwanted && have && v.sig_have == v.sig_want;
		bool act = unwanted ? have : !match;

		if (ask == 1 && have && !match && changed_by_user(f, v.sig_have)) {
			const std::string folder = target.substr(0, target.rfind('/') + 1);
			if (listed(replace_all_dirs, folder)) {
				act = true;
			} else if (listed(keep_all_dirs, folder)) {
				act = false;
			} else {
				std::printf("File: %s  sig_want=%s  sig_have=%s\n", target.c_str(), v.sig_want.c_str(),
				            v.sig_have.c_str());
				switch (prompt_for_modified_file_decision(target, unwanted)) {
				case file_conflict_replace: act = true; break;
				case file_conflict_keep: act = false; break;
				case file_conflict_replace_all_in_dir:
					replace_all_dirs.push_back(folder);
					act = true;
					break;
				case file_conflict_keep_all_in_dir:
					keep_all_dirs.push_back(folder);
					act = false;
					break;
				default: return 0;  // cancel the installation
				}
			}
		}

		v.want_install = !unwanted && act;
		v.want_delete = unwanted && act;
	}

	set_progress_starts();
	return 1;
}

void recalc_disk_sizes()
{
	choose_files(0);
	stg.download_total_kb = 0;
	stg.install_total_kb = 0;
	stg.install_file_count = 0;
	stg.delete_file_count = 0;
	for (const file_history_struct& f : sim_info.files) {
		const file_version_struct& v = f.cur();
		if (v.want_install) {
			stg.download_total_kb += v.download_kb;
			stg.install_total_kb += v.disk_kb;
			++stg.install_file_count;
		}
		if (v.want_delete)
			++stg.delete_file_count;
	}
}
