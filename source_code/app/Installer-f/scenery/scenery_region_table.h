#pragma once
// The world grid of 10-degree blocks and the 21 fixed scenery regions drawn on the map.
// Block (x, y): column x spans longitudes -180+10x .. -170+10x, row y latitudes -90+10y ..
// -80+10y. Block number 18x+y, so the 18 blocks of a column are consecutive. Rows 0..2 lie
// south of the map: no region holds them.
#include <bit>
#include <cstdint>
#include <vector>

enum {
	scn_grid_cols = 36,
	scn_grid_rows = 18,
	scn_block_count = scn_grid_cols * scn_grid_rows,  // 648
	scn_first_map_row = 3,
	scn_tile_words = (scn_block_count + 63) / 64,  // 11
};

inline int scn_block_number(int x, int y) { return 18 * x + y; }

// In the order of the map's table; 21 stands for a point over no region.
enum region_t {
	region_eastern_us = 0,
	region_western_us,
	region_eastern_canada,
	region_western_canada,
	region_central_america,
	region_south_america,
	region_northwest_africa,
	region_southern_africa,
	region_middle_east,
	region_western_europe,
	region_eastern_europe,
	region_scandinavia,
	region_western_russia,
	region_siberia,
	region_west_central_asia,
	region_southeast_asia,
	region_southwestern_asia,
	region_china_mongolia,
	region_australia,
	region_islands_left,
	region_islands_right,
	region_count,
	region_none = region_count,
};

// 648 bits kept as eleven 64-bit words, so unions, differences and counts go word by word.
struct tile_bitset {
	uint64_t w[scn_tile_words] = {};

	bool test(int n) const { return (w[n >> 6] >> (n & 63)) & 1u; }
	void set(int n) { w[n >> 6] |= uint64_t{1} << (n & 63); }
	void reset(int n) { w[n >> 6] &= ~(uint64_t{1} << (n & 63)); }
	bool any() const
	{
		uint64_t a = 0;
		for (uint64_t x : w)
			a |= x;
		return a != 0;
	}
	bool none() const { return !any(); }
	int count() const
	{
		int c = 0;
		for (uint64_t x : w)
			c += std::popcount(x);
		return c;
	}
	bool operator==(const tile_bitset&) const = default;
};

// Box of the table while it is built: corners (x1, y1) and (x2, y2), both ends included.
struct Bbox2 {
	double x1, y1, x2, y2;
	bool contains(double x, double y) const { return x1 <= x && x <= x2 && y1 <= y && y <= y2; }
};

// One bitset per region, bit 18x+y set when block (x, y) belongs to it. Empty until
// initialize_10x10_tiles runs; never changed afterwards.
extern std::vector<tile_bitset> s_10x10_tiles_for_region;
void initialize_10x10_tiles();

// Region names for the log, and the picker's region images.
extern const char* const s_region_names[region_count];
extern const char* const s_map_region_assets[region_count];
