// Download and disk totals, and the world availability and selection the plan fills.
#include "plan_fixture.h"

#include <set>
#include <utility>

namespace {

using tile_set = std::set<std::pair<int, int>>;

tile_set tiles_of(const int grid[stg_wrl_lon_count][stg_wrl_lat_count])
{
	tile_set out;
	for (int x = 0; x < stg_wrl_lon_count; ++x)
		for (int y = 0; y < stg_wrl_lat_count; ++y)
			if (grid[x][y])
				out.insert({x, y});
	return out;
}

tile_set box(int x0, int y0, int x1, int y1)
{
	tile_set out;
	for (int x = x0; x <= x1; ++x)
		for (int y = y0; y <= y1; ++y)
			out.insert({x, y});
	return out;
}

class plan_totals : public plan_test {};

TEST_F(plan_totals, recalc_disk_sizes_counts_the_plan_without_asking)
{
	stg.wrl_sel[3][3] = 1;
	add("a.txt", {"v2"}, "NONE", 4, 1.5);
	add("b.txt", {"v1", "v2"}, "v1", 8, 2.25);
	add("c.txt", {"v2"}, "v2", 400, 100);       // up to date
	add("d.txt", {"v1", "GONE"}, "v1", 40, 10);  // deleted, not counted in sizes
	add_scenery("s/off.dsf", "v2", "v2", 4, 4, 5, 5);  // deselected: deleted
	add_scenery("s/on.dsf", "v2", "NONE", 3, 3, 3, 3).disk_kb = 12;
	add("e.txt", {"v2"}, "mine", 4, 0.25);      // changed by the user; the totals never ask
	add("f.txt", {"v2"}, "NONE", 1000, 1000).os = 1;
	stg.download_total_kb = stg.install_total_kb = -1;
	stg.install_file_count = stg.delete_file_count = -1;

	recalc_disk_sizes();
	EXPECT_DOUBLE_EQ(stg.download_total_kb, 1.5 + 2.25 + 1 + 0.25);
	EXPECT_DOUBLE_EQ(stg.install_total_kb, 4 + 8 + 12 + 4);
	EXPECT_EQ(stg.install_file_count, 4);
	EXPECT_EQ(stg.delete_file_count, 2);
	EXPECT_TRUE(questions.empty());

	set_install_filter(0, 0, 0);
	recalc_disk_sizes();
	EXPECT_EQ(stg.download_total_kb, 0);
	EXPECT_EQ(stg.install_total_kb, 0);
	EXPECT_EQ(stg.install_file_count, 0);
	EXPECT_EQ(stg.delete_file_count, 0);
}

TEST_F(plan_totals, init_directory_marks_the_boxes_of_current_scenery)
{
	stg.wrl_avail[0][0] = 1;  // stale
	add_scenery("s/a.dsf", "v2", "NONE", 1, 2, 3, 4);
	file_history_struct& moved = sim_info.files.emplace_back();
	moved.versions.resize(2);
	moved.versions[0].is_scenery = 1;
	moved.versions[0].tile_lon_min = moved.versions[0].tile_lon_max = 20;  // an older box: ignored
	moved.versions[1].is_scenery = 1;
	moved.versions[1].tile_lon_min = moved.versions[1].tile_lon_max = 30;
	moved.versions[1].tile_lat_min = moved.versions[1].tile_lat_max = 9;
	add("Resources/not_scenery.txt", {"v2"}).tile_lon_max = 35;
	add_scenery("s/edge.dsf", "v2", "NONE", 34, 17, 40, 20);  // clipped to the grid

	init_directory();
	tile_set expected = box(1, 2, 3, 4);
	expected.insert({30, 9});
	expected.insert({34, 17});
	expected.insert({35, 17});
	EXPECT_EQ(tiles_of(stg.wrl_avail), expected);
}

TEST_F(plan_totals, default_selection_and_none)
{
	stg.wrl_sel[0][0] = 1;
	scenery_from_install(1);
	tile_set expected = box(5, 12, 12, 16);  // 130 W to 50 W, 30 N to 80 N
	const tile_set europe = box(17, 13, 19, 15), australia = box(29, 5, 33, 8);
	expected.insert(europe.begin(), europe.end());
	expected.insert(australia.begin(), australia.end());
	EXPECT_EQ(tiles_of(stg.wrl_sel), expected);
	EXPECT_EQ(expected.size(), 69u);

	scenery_take_none();
	EXPECT_TRUE(tiles_of(stg.wrl_sel).empty());
}

TEST(plan_scenery, block_folder_names)
{
	const struct {
		int x, y;
		const char* name;
	} cases[] = {
	    {9, 12, "+30-090/"}, {0, 0, "-90-180/"}, {18, 9, "+00+000/"}, {35, 17, "+80+170/"}, {32, 5, "-40+140/"},
	    {17, 8, "-10-010/"},
	};
	for (const auto& c : cases)
		EXPECT_EQ(scenery_block_folder(c.x, c.y), c.name);
}

TEST_F(plan_totals, selection_from_the_installed_packs)
{
	dir.mkdirs("Global Scenery/Pack A/Earth nav data/+30-090");
	dir.write("Global Scenery/Pack A/Earth nav data/+30-090/+34-085.dsf", "x");
	dir.mkdirs("Global Scenery/Pack B/Earth nav data/-40+140/sub");  // a folder counts as an item
	dir.mkdirs("Global Scenery/Pack B/Earth nav data/+50+000");      // empty
	dir.mkdirs("Global Scenery/Pack C/Earth nav data/+00-180");
	dir.write("Global Scenery/Pack C/Earth nav data/+00-180/.hidden", "x");  // hidden: not an item
	dir.mkdirs("Global Scenery/Pack D/+10+010");                             // no Earth nav data
	dir.write("Global Scenery/Pack D/+10+010/x.dsf", "x");
	dir.write("Global Scenery/readme.txt", "x");
	scratch_dir elsewhere;  // a linked pack is listed as a file, not a folder
	elsewhere.mkdirs("Earth nav data/+10+010");
	elsewhere.write("Earth nav data/+10+010/x.dsf", "x");
	dir.link(elsewhere.path(), "Global Scenery/Linked pack");
	stg.wrl_sel[0][0] = 1;  // stale

	scenery_from_install(0);
	EXPECT_EQ(tiles_of(stg.wrl_sel), (tile_set{{9, 12}, {32, 5}}));

	dest_dir_path = dir / "nothing here/";
	scenery_from_install(0);
	EXPECT_TRUE(tiles_of(stg.wrl_sel).empty());
}

}  // namespace
