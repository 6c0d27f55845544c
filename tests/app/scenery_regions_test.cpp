// The region table, the covering search (against a plain reference of the same search and a
// brute-force minimum), the write-back, the two buttons and the log of the map's start.
#include "app/Installer-f/scenery/scenery_region_table.h"
#include "app/Installer-f/scenery/world_map_regions.h"
#include "core/ui/stg.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using grid = int[scn_grid_cols][scn_grid_rows];
using block_set = std::set<std::pair<int, int>>;

const tile_bitset& tiles(int r) { return s_10x10_tiles_for_region[r]; }

block_set blocks_of(const tile_bitset& t)
{
	block_set out;
	for (int x = 0; x < scn_grid_cols; ++x)
		for (int y = 0; y < scn_grid_rows; ++y)
			if (t.test(scn_block_number(x, y)))
				out.insert({x, y});
	return out;
}

block_set blocks_of(const grid& g, int first_row = 0)
{
	block_set out;
	for (int x = 0; x < scn_grid_cols; ++x)
		for (int y = first_row; y < scn_grid_rows; ++y)
			if (g[x][y])
				out.insert({x, y});
	return out;
}

tile_bitset union_of(unsigned mask)
{
	tile_bitset u;
	for (int r = 0; r < region_count; ++r)
		if (mask & (1u << r))
			for (int i = 0; i < scn_tile_words; ++i)
				u.w[i] |= tiles(r).w[i];
	return u;
}

void fill(grid& g, const tile_bitset& t)
{
	std::memset(g, 0, sizeof(grid));
	for (int x = 0; x < scn_grid_cols; ++x)
		for (int y = 0; y < scn_grid_rows; ++y)
			if (t.test(scn_block_number(x, y)))
				g[x][y] = 1;
}

std::vector<region_t> regions_of(unsigned mask)
{
	std::vector<region_t> out;
	for (int r = 0; r < region_count; ++r)
		if (mask & (1u << r))
			out.push_back(static_cast<region_t>(r));
	return out;
}

int waste_of(unsigned mask, const tile_bitset& target)
{
	tile_bitset u = union_of(mask);
	int n = 0;
	for (int i = 0; i < scn_tile_words; ++i)
		n += std::popcount(u.w[i] & ~target.w[i]);
	return n;
}

// The search as plainly described, without the branch bound, for comparison. The union of the
// chosen regions is carried down so that the waste of a mask is one pass over the words.
struct reference_search {
	tile_bitset target, uncovered;
	std::vector<bool> visited = std::vector<bool>(1u << region_count);
	std::pair<int, int> best{0, 541};

	void step(int& chosen, const tile_bitset& chosen_union)
	{
		const int saved = chosen;
		for (int r = 0; r < region_count; ++r) {
			if (chosen & (1 << r))
				continue;
			const int cand = chosen | (1 << r);
			if (visited[cand])
				continue;
			tile_bitset taken, u;
			for (int i = 0; i < scn_tile_words; ++i)
				taken.w[i] = uncovered.w[i] & tiles(r).w[i];
			if (taken.none())
				continue;
			int e = 0;
			for (int i = 0; i < scn_tile_words; ++i) {
				uncovered.w[i] &= ~taken.w[i];
				u.w[i] = chosen_union.w[i] | tiles(r).w[i];
				e += std::popcount(u.w[i] & ~target.w[i]);
			}
			chosen = cand;
			visited[cand] = true;
			if (uncovered.any()) {
				if (e < best.second)
					step(chosen, u);
			} else if (e < best.second) {
				best = {cand, e};
			}
			if (best.second == 0)
				return;
			chosen = saved;
			for (int i = 0; i < scn_tile_words; ++i)
				uncovered.w[i] |= taken.w[i];
		}
	}
	unsigned run(const tile_bitset& t)
	{
		target = uncovered = t;
		int chosen = 0;
		step(chosen, tile_bitset{});
		return static_cast<unsigned>(best.first);
	}
};

// The smallest waste of any cover, over all 2^21 masks; -1 when none covers.
int brute_force_min_waste(const tile_bitset& target)
{
	int best = -1;
	std::vector<tile_bitset> unions(region_count + 1);
	// Depth-first over masks so each union is one OR away from its parent's.
	auto walk = [&](auto&& self, int next, int depth) -> void {
		const tile_bitset& u = unions[depth];
		bool covers = true;
		int waste = 0;
		for (int i = 0; i < scn_tile_words; ++i) {
			covers = covers && (target.w[i] & ~u.w[i]) == 0;
			waste += std::popcount(u.w[i] & ~target.w[i]);
		}
		if (covers && (best < 0 || waste < best))
			best = waste;
		for (int r = next; r < region_count; ++r) {
			for (int i = 0; i < scn_tile_words; ++i)
				unions[depth + 1].w[i] = u.w[i] | tiles(r).w[i];
			self(self, r + 1, depth + 1);
		}
	};
	walk(walk, 0, 0);
	return best;
}

class scenery_regions : public ::testing::Test {
protected:
	void SetUp() override
	{
		saved_ = stg;
		std::memset(stg.wrl_sel, 0, sizeof(stg.wrl_sel));
		if (s_10x10_tiles_for_region.empty())
			initialize_10x10_tiles();
	}
	void TearDown() override { stg = saved_; }

	std::vector<region_t> search(const grid& g)
	{
		world_map_regions map;  // constructed on the empty stg selection
		return map.find_optimal_covering_set(g, region_count);
	}

	stg_record saved_;
};

TEST_F(scenery_regions, table_block_counts_overlaps_and_open_ocean)
{
	const int expected[region_count] = {15, 21, 34, 41, 23, 48, 31, 63, 15, 22, 9,
	                                    20, 36, 40, 14, 45, 21, 23, 103, 76, 40};
	ASSERT_EQ(s_10x10_tiles_for_region.size(), size_t(region_count));
	for (int r = 0; r < region_count; ++r) {
		EXPECT_EQ(tiles(r).count(), expected[r]) << s_region_names[r];
		for (const auto& [x, y] : blocks_of(tiles(r)))
			EXPECT_GE(y, scn_first_map_row) << s_region_names[r] << " holds (" << x << "," << y << ")";
	}

	block_set none;
	int shared = 0, most = 0;
	for (int x = 0; x < scn_grid_cols; ++x)
		for (int y = scn_first_map_row; y < scn_grid_rows; ++y) {
			int n = 0;
			for (int r = 0; r < region_count; ++r)
				n += tiles(r).test(scn_block_number(x, y));
			if (n == 0)
				none.insert({x, y});
			shared += n >= 2;
			most = std::max(most, n);
		}
	block_set ocean = {{0, 15}, {0, 16}, {0, 17}, {13, 11}, {13, 12}, {14, 11}, {14, 17}, {15, 17}, {16, 17}, {17, 16}, {17, 17}};
	for (int x = 9; x <= 13; ++x)
		ocean.insert({x, 17});
	for (int y = 3; y <= 8; ++y)
		ocean.insert({15, y});
	for (int y = 3; y <= 7; ++y)
		ocean.insert({25, y}), ocean.insert({26, y});
	EXPECT_EQ(ocean.size(), 32u);
	EXPECT_EQ(none, ocean);
	EXPECT_EQ(shared, 196);
	EXPECT_EQ(most, 4);
}

TEST_F(scenery_regions, exact_region_selection_yields_that_region_alone)
{
	for (int r = 0; r < region_count; ++r) {
		grid g;
		fill(g, tiles(r));
		EXPECT_EQ(search(g), std::vector<region_t>{static_cast<region_t>(r)}) << s_region_names[r];
	}
}

TEST_F(scenery_regions, search_cases)
{
	struct test_case {
		const char* what;
		std::vector<std::pair<int, int>> blocks;
		std::vector<region_t> expected;
	};
	const test_case cases[] = {
		{"nothing", {}, {}},
		{"equal waste: the first found wins", {{32, 14}}, {region_siberia}},
		{"a block in no region", {{15, 5}}, {}},
		{"a block in no region beside coverable ones", {{17, 13}, {18, 13}, {15, 5}}, {}},
		{"rows 0..2 play no part", {{10, 0}, {20, 2}, {0, 1}, {32, 14}}, {region_siberia}},
		{"one block, smallest region holding it", {{21, 13}}, {region_eastern_europe}},
		{"two far blocks", {{9, 12}, {33, 4}}, {region_eastern_us, region_australia}},
	};
	for (const test_case& c : cases) {
		grid g = {};
		for (const auto& [x, y] : c.blocks)
			g[x][y] = 1;
		EXPECT_EQ(search(g), c.expected) << c.what;
	}
}

// A selection of random regions and blocks; the search must give exactly what the plain search
// gives, and that must be a cover of the smallest waste there is.
TEST_F(scenery_regions, search_matches_the_plain_search_and_the_minimum_waste)
{
	std::vector<int> region_blocks;
	const tile_bitset every_region = union_of((1u << region_count) - 1);
	for (int n = 0; n < scn_block_count; ++n)
		if (every_region.test(n))
			region_blocks.push_back(n);
	std::mt19937 rng(11);
	for (int round = 0; round < 40; ++round) {
		tile_bitset t;
		const int regions = int(rng() % 4), singles = int(rng() % 6), removed = int(rng() % 4);
		for (int i = 0; i < regions; ++i) {
			const tile_bitset& reg = tiles(int(rng() % region_count));
			for (int w = 0; w < scn_tile_words; ++w)
				t.w[w] |= reg.w[w];
		}
		for (int i = 0; i < singles; ++i)
			t.set(region_blocks[rng() % region_blocks.size()]);
		for (int i = 0; i < removed; ++i)
			t.reset(region_blocks[rng() % region_blocks.size()]);

		grid g;
		fill(g, t);
		const std::vector<region_t> got = search(g);
		const unsigned ref = reference_search().run(t);
		EXPECT_EQ(got, regions_of(ref)) << "round " << round;
		const int min_waste = brute_force_min_waste(t);
		if (t.none()) {
			EXPECT_TRUE(got.empty());
			continue;
		}
		ASSERT_GE(min_waste, 0) << "round " << round;
		unsigned mask = 0;
		for (region_t r : got)
			mask |= 1u << r;
		EXPECT_EQ(waste_of(mask, t), min_waste) << "round " << round;
	}
}

// Selections that make the search walk many masks: each forces the regions it needs through
// blocks no other region holds, or wastes a block that only one needed region holds.
TEST_F(scenery_regions, search_of_selections_that_need_many_regions)
{
	std::vector<int> only_in(scn_block_count, -1);
	for (int n = 0; n < scn_block_count; ++n) {
		int count = 0;
		for (int r = 0; r < region_count; ++r)
			if (tiles(r).test(n))
				++count, only_in[n] = r;
		if (count != 1)
			only_in[n] = -1;
	}
	// One block that only region r holds, for every region that has one.
	tile_bitset one_each;
	unsigned forced = 0;
	for (int n = 0; n < scn_block_count; ++n)
		if (only_in[n] >= 0 && !(forced & (1u << only_in[n])))
			one_each.set(n), forced |= 1u << only_in[n];
	// Every region block but one that only South America holds.
	tile_bitset all_but_one = union_of((1u << region_count) - 1);
	all_but_one.reset(scn_block_number(13, 5));
	ASSERT_EQ(only_in[scn_block_number(13, 5)], int(region_south_america));

	for (const tile_bitset& t : {one_each, all_but_one}) {
		grid g;
		fill(g, t);
		const std::vector<region_t> got = search(g);
		EXPECT_EQ(got, regions_of(reference_search().run(t)));
		unsigned mask = 0;
		for (region_t r : got)
			mask |= 1u << r;
		EXPECT_EQ(waste_of(mask, t), brute_force_min_waste(t));
	}
}

TEST_F(scenery_regions, write_back_is_the_union_of_the_flags_and_keeps_rows_below_the_map)
{
	stg.wrl_sel[15][5] = 1;  // in no region: nothing covers the selection
	stg.wrl_sel[17][13] = 1;
	stg.wrl_sel[4][0] = 7;
	stg.wrl_sel[30][2] = 1;
	world_map_regions map;
	for (const auto& [region, on] : map.flags())
		EXPECT_FALSE(on) << s_region_names[region];
	EXPECT_EQ(map.flags().size(), size_t(region_count));

	map.pre_per_frame();
	EXPECT_EQ(blocks_of(stg.wrl_sel, scn_first_map_row), block_set{});
	EXPECT_EQ(stg.wrl_sel[4][0], 7);
	EXPECT_EQ(stg.wrl_sel[30][2], 1);

	(*map.region_flags())[region_scandinavia] = true;
	(*map.region_flags())[region_islands_left] = true;  // its box reaches row 2
	map.pre_per_frame();
	EXPECT_EQ(blocks_of(stg.wrl_sel, scn_first_map_row),
	          blocks_of(union_of((1u << region_scandinavia) | (1u << region_islands_left))));
	EXPECT_EQ(stg.wrl_sel[4][0], 7);
	EXPECT_EQ(stg.wrl_sel[1][2], 0);
	EXPECT_EQ(stg.wrl_sel[30][2], 1);
}

TEST_F(scenery_regions, start_from_the_default_selection_and_write_back)
{
	for (int x = 5; x <= 12; ++x)
		for (int y = 12; y <= 16; ++y)
			stg.wrl_sel[x][y] = 1;
	for (int x = 17; x <= 19; ++x)
		for (int y = 13; y <= 15; ++y)
			stg.wrl_sel[x][y] = 1;
	for (int x = 29; x <= 33; ++x)
		for (int y = 5; y <= 8; ++y)
			stg.wrl_sel[x][y] = 1;
	tile_bitset t;
	for (const auto& [x, y] : blocks_of(stg.wrl_sel))
		t.set(scn_block_number(x, y));
	world_map_regions map;
	const std::vector<region_t> got = map.selected_regions();
	EXPECT_EQ(got, regions_of(reference_search().run(t)));
	unsigned mask = 0;
	for (region_t r : got)
		mask |= 1u << r;
	EXPECT_EQ(waste_of(mask, t), brute_force_min_waste(t));
	map.pre_per_frame();
	const block_set after = blocks_of(stg.wrl_sel);
	for (const auto& b : blocks_of(t))
		EXPECT_TRUE(after.count(b)) << "(" << b.first << "," << b.second << ") was dropped";
	EXPECT_EQ(after, blocks_of(union_of(mask)));
}

TEST_F(scenery_regions, select_all_and_none_and_the_button_states)
{
	for (const auto& [x, y] : blocks_of(tiles(region_siberia)))
		stg.wrl_sel[x][y] = 1;
	world_map_regions map;
	EXPECT_EQ(map.selected_regions(), std::vector<region_t>{region_siberia});
	EXPECT_TRUE(map.is_cmnd_btn_enabled(0));
	EXPECT_TRUE(map.is_cmnd_btn_enabled(1));

	map.btn_command_received(0);
	EXPECT_EQ(map.selected_regions().size(), size_t(region_count));
	EXPECT_FALSE(map.is_cmnd_btn_enabled(0));
	EXPECT_TRUE(map.is_cmnd_btn_enabled(1));
	map.pre_per_frame();
	EXPECT_EQ(blocks_of(stg.wrl_sel, scn_first_map_row), blocks_of(union_of((1u << region_count) - 1)));

	map.btn_command_received(1);
	EXPECT_TRUE(map.selected_regions().empty());
	EXPECT_TRUE(map.is_cmnd_btn_enabled(0));
	EXPECT_FALSE(map.is_cmnd_btn_enabled(1));
	EXPECT_EQ(map.flags().size(), size_t(region_count));
	map.pre_per_frame();
	EXPECT_EQ(blocks_of(stg.wrl_sel), block_set{});
}

std::vector<std::string> scn_messages(const std::string& log)
{
	std::vector<std::string> out;
	std::istringstream in(log);
	std::string line;
	while (std::getline(in, line)) {
		const auto at = line.find("SCN: ");
		if (at != std::string::npos)
			out.push_back(line.substr(at + 5));
	}
	return out;
}

TEST_F(scenery_regions, start_log_lists_every_block_in_wrapped_lines_and_the_regions)
{
	log_capture log;
	block_set selected;
	for (const auto& b : blocks_of(tiles(region_western_europe)))
		selected.insert(b);
	selected.insert({15, 5});  // in no region
	selected.insert({2, 0});   // below the map
	for (const auto& [x, y] : selected)
		stg.wrl_sel[x][y] = 1;
	{
		world_map_regions map;
		map.btn_command_received(1);
		(*map.region_flags())[region_scandinavia] = true;
	}
	const std::vector<std::string> m = scn_messages(log.text());
	ASSERT_GE(m.size(), 3u);
	EXPECT_EQ(m.front(), "Found some or all of the DSFs in the following 10x10 regions:");
	size_t i = 1;
	std::string listed;
	std::vector<size_t> lengths;
	for (; i < m.size() && !m[i].empty() && m[i][0] == '\t'; ++i) {
		listed += m[i].substr(1);
		lengths.push_back(m[i].size() - 1);
	}
	std::string expected_list;
	for (const auto& [x, y] : selected) {
		char b[32];
		std::snprintf(b, sizeof b, "(%02d, %02d)  ", x, y);
		expected_list += b;
	}
	EXPECT_EQ(listed, expected_list);  // every block, column by column, in order
	ASSERT_EQ(lengths.size(), (selected.size() + 7) / 8);
	for (size_t k = 0; k + 1 < lengths.size(); ++k)
		EXPECT_EQ(lengths[k], 80u) << "line " << k;
	EXPECT_LE(lengths.back(), 80u);

	// Nothing covers (15, 5): no region is mapped.
	const std::vector<std::string> rest(m.begin() + long(i), m.end());
	const std::vector<std::string> expected_rest = {
		"Mapped those DSFs to the following regions:",
		"Scenery selection complete! User settled on the following regions:",
		"\tScandinavia",
	};
	EXPECT_EQ(rest, expected_rest);
}

TEST_F(scenery_regions, start_log_of_an_empty_selection_and_of_a_mapped_one)
{
	struct test_case {
		std::vector<std::pair<int, int>> blocks;
		std::vector<std::string> expected;
	};
	const test_case cases[] = {
		{{}, {"Found some or all of the DSFs in the following 10x10 regions:",
		      "Mapped those DSFs to the following regions:",
		      "Scenery selection complete! User settled on the following regions:"}},
		{{{9, 12}, {33, 4}}, {"Found some or all of the DSFs in the following 10x10 regions:",
		                      "\t(09, 12)  (33, 04)  ", "Mapped those DSFs to the following regions:",
		                      "\tEastern United States", "\tAustralia & New Zealand",
		                      "Scenery selection complete! User settled on the following regions:",
		                      "\tEastern United States", "\tAustralia & New Zealand"}},
	};
	for (const test_case& c : cases) {
		log_capture log;
		std::memset(stg.wrl_sel, 0, sizeof(stg.wrl_sel));
		for (const auto& [x, y] : c.blocks)
			stg.wrl_sel[x][y] = 1;
		{ world_map_regions map; }
		EXPECT_EQ(scn_messages(log.text()), c.expected);
	}
}

}  // namespace
