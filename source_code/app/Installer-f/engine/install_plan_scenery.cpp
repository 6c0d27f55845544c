// The world selection and availability that the plan and the scenery map share.
#include "app/Installer-f/engine/install_plan.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/Installer-f/engine/install_dest.h"
#include "core/files/file_ops.h"
#include "core/installer/sim_info.h"
#include "core/ui/stg.h"

namespace {

struct block_box {
	int x0, x1, y0, y1;
};

// North America, Europe, Australia.
constexpr block_box default_selection[] = {
    {5, 12, 12, 16},
    {17, 19, 13, 15},
    {29, 33, 5, 8},
};

}  // namespace

std::string scenery_block_folder(int x, int y)
{
	char buf[32];
	std::snprintf(buf, sizeof(buf), "%+03d%+04d/", y * 10 - 90, x * 10 - 180);
	return buf;
}

void init_directory()
{
	std::memset(stg.wrl_avail, 0, sizeof(stg.wrl_avail));
	for (const file_history_struct& f : sim_info.files) {
		const file_version_struct& v = f.cur();
		if (v.is_scenery != 1)
			continue;
		// Bounds come from a downloaded manifest; they are clipped to the grid.
		const int x0 = std::max(v.tile_lon_min, 0), x1 = std::min(v.tile_lon_max, stg_wrl_lon_count - 1);
		const int y0 = std::max(v.tile_lat_min, 0), y1 = std::min(v.tile_lat_max, stg_wrl_lat_count - 1);
		for (int x = x0; x <= x1; ++x)
			for (int y = y0; y <= y1; ++y)
				stg.wrl_avail[x][y] = 1;
	}
}

void scenery_take_none() { std::memset(stg.wrl_sel, 0, sizeof(stg.wrl_sel)); }

void scenery_from_install(int use_default)
{
	scenery_take_none();
	if (use_default) {
		for (const block_box& b : default_selection)
			for (int x = b.x0; x <= b.x1; ++x)
				for (int y = b.y0; y <= b.y1; ++y)
					stg.wrl_sel[x][y] = 1;
		return;
	}

	const std::string global = dest_dir_path + "Global Scenery/";
	std::vector<std::string> packs, names;
	std::vector<file_type_t> pack_types, types;
	opensave_getitems(global, list_filter_visible, packs, pack_types);
	for (size_t i = 0; i < packs.size(); ++i) {
		if (pack_types[i] != file_type_folder)
			continue;
		const std::string nav = global + packs[i] + "/Earth nav data/";
		if (!dir_exists(nav))  // saves 648 listings of a pack without navigation data
			continue;
		for (int x = 0; x < stg_wrl_lon_count; ++x)
			for (int y = 0; y < stg_wrl_lat_count; ++y)
				if (opensave_getitems(nav + scenery_block_folder(x, y), list_filter_visible, names, types) > 0)
					stg.wrl_sel[x][y] = 1;
	}
}
