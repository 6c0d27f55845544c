// --regions in the unattended mode, on a step that stands in for the map step: the map's own
// start from stg.wrl_sel, the option, the write-back, the plan totals and the printed line, once
// per visit of the step.
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/scenery/scenery_region_table.h"
#include "app/Installer-f/unattended/unattended_host.h"
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/installer/sim_info.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/stg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// What the location step leaves in stg.wrl_sel: Western Europe and Scandinavia exactly, and a
// block south of the map.
void preset_selection()
{
	std::memset(stg.wrl_sel, 0, sizeof(stg.wrl_sel));
	for (region_t r : {region_western_europe, region_scandinavia})
		for (int n = 0; n < scn_block_count; ++n)
			if (s_10x10_tiles_for_region[r].test(n))
				stg.wrl_sel[n / 18][n % 18] = 1;
	stg.wrl_sel[20][1] = 1;
}

class map_step : public wizard_func {
public:
	explicit map_step(wizard_collection* w) : wizard_func(w, "Select Scenery", "DVD Scenery Selection") {}
	wizard_func* open() override
	{
		preset_selection();
		return this;
	}
	wizard_func* go(wizard_screen& s) override
	{
		++frames;
		s.title = title;
		s.next_step = owner->next_for_step(this);
		return this;
	}
	int frames = 0;
};

// Sends the run back to the map once, then ends it; keeps the plan's count seen on arrival.
class after_step : public wizard_func {
public:
	explicit after_step(wizard_collection* w) : wizard_func(w, "After", "After") {}
	wizard_func* open() override
	{
		counts.push_back(stg.install_file_count);
		return this;
	}
	wizard_func* go(wizard_screen& s) override
	{
		s.title = title;
		s.next_step = wiz_target_quit;
		return counts.size() == 1 ? owner->prev_for_step(this) : this;
	}
	std::vector<int> counts;
};

struct scenery_unattended : ::testing::Test {
	void SetUp() override
	{
		saved_stg = stg;
		if (s_10x10_tiles_for_region.empty())
			initialize_10x10_tiles();
		sim_info.clear();
		set_install_filter(1, 1, 1);
		stg.target_os = 3;
		// One scenery file in block (17, 13), Western Europe, not installed yet.
		file_version_struct& v = sim_info.files.emplace_back().versions.emplace_back();
		v.path = "Global Scenery/Pack/Earth nav data/+40+000/+40+000.dsf";
		v.sig_want = "0123456789abcdef0123456789abcdef";
		v.sig_have = "NONE";
		v.is_scenery = 1;
		v.tile_lon_min = v.tile_lon_max = 17;
		v.tile_lat_min = v.tile_lat_max = 13;
		v.disk_kb = 8;
		sim_is_done = false;
	}
	void TearDown() override
	{
		sim_info.clear();
		stg = saved_stg;
		sim_is_done = false;
	}
	stg_record saved_stg;
};

TEST_F(scenery_unattended, regions_option_on_each_visit_of_the_map_step)
{
	const struct {
		const char* regions;
		std::vector<int> list;
		std::vector<region_t> expected;
		const char* line;
	} cases[] = {
		{"default", {}, {region_western_europe, region_scandinavia}, "  Regions: Western Europe, Scandinavia\n"},
		{"none", {}, {}, "  Regions: none\n"},
		{"0,18", {0, 18}, {region_eastern_us, region_australia},
		 "  Regions: Eastern United States, Australia & New Zealand\n"},
		{"9", {9}, {region_western_europe}, "  Regions: Western Europe\n"},
		{"all", {}, {}, nullptr},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.regions);
		wizard_collection wiz(nullptr);
		map_step* map = wiz.add_step(new map_step(&wiz));
		after_step* after = wiz.add_step(new after_step(&wiz));
		unattended_options opt;
		opt.regions = c.regions;
		opt.region_list = c.list;
		FILE* out = std::tmpfile();
		{
			unattended_session s(opt, out);
			s.start(map);
			for (int i = 0; i < 100 && !s.finished(); ++i)
				s.turn();
			EXPECT_EQ(s.status(), unattended_ok);
		}
		std::string text(static_cast<size_t>(std::ftell(out)), '\0');
		std::rewind(out);
		EXPECT_EQ(std::fread(text.data(), 1, text.size(), out), text.size());
		std::fclose(out);

		std::vector<region_t> expected = c.expected;
		std::string line = c.line ? c.line : "  Regions: ";
		if (!c.line) {
			for (int r = 0; r < region_count; ++r) {
				expected.push_back(static_cast<region_t>(r));
				line += std::string(r ? ", " : "") + s_region_names[r];
			}
			line += "\n";
		}
		// Two visits, one line each; Continue waits a frame after the regions were set.
		size_t first = text.find(line);
		ASSERT_NE(first, std::string::npos) << text;
		EXPECT_NE(text.find(line, first + 1), std::string::npos) << text;
		EXPECT_EQ(text.find("  Regions: ", text.find(line, first + 1) + 1), std::string::npos) << text;
		EXPECT_EQ(map->frames, 4);

		tile_bitset want;
		for (region_t r : expected)
			for (int i = 0; i < scn_tile_words; ++i)
				want.w[i] |= s_10x10_tiles_for_region[r].w[i];
		for (int x = 0; x < scn_grid_cols; ++x)
			for (int y = scn_first_map_row; y < scn_grid_rows; ++y)
				ASSERT_EQ(stg.wrl_sel[x][y], want.test(scn_block_number(x, y)) ? 1 : 0) << x << "," << y;
		EXPECT_EQ(stg.wrl_sel[20][1], 1) << "rows below the map are kept";
		const int in_europe = want.test(scn_block_number(17, 13)) ? 1 : 0;
		EXPECT_EQ(after->counts, (std::vector<int>{in_europe, in_europe})) << "the plan saw the new selection";
		sim_is_done = false;
	}
}

}  // namespace
