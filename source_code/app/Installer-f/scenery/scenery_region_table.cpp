#include "app/Installer-f/scenery/scenery_region_table.h"

#include <map>

std::vector<tile_bitset> s_10x10_tiles_for_region;

const char* const s_region_names[region_count] = {
	"Eastern United States",
	"Western United States",
	"Eastern Canada, Greenland, & Iceland",
	"Western Canada & Alaska",
	"Mexico & Northern South America",
	"Southern South America",
	"Northwestern Africa",
	"Southern Africa",
	"Middle East",
	"Western Europe",
	"Eastern Europe",
	"Scandinavia",
	"Western Russia",
	"Siberia",
	"West-Central Asia",
	"Southeast Asia",
	"Southwestern Asia",
	"China & Mongolia",
	"Australia & New Zealand",
	"Pacific Islands (Left)",
	"Pacific Islands (Right)",
};

const char* const s_map_region_assets[region_count] = {
	"ins_map_region_eastern_us.png",
	"ins_map_region_western_us.png",
	"ins_map_region_eastern_canada.png",
	"ins_map_region_western_canada.png",
	"ins_map_region_central_america.png",
	"ins_map_region_south_america.png",
	"ins_map_region_northwest_africa.png",
	"ins_map_region_southern_africa.png",
	"ins_map_region_middle_east.png",
	"ins_map_region_western_europe.png",
	"ins_map_region_eastern_europe.png",
	"ins_map_region_scandinavia.png",
	"ins_map_region_western_russia.png",
	"ins_map_region_siberia.png",
	"ins_map_region_west_central_asia.png",
	"ins_map_region_southeast_asia.png",
	"ins_map_region_southwestern_asia.png",
	"ins_map_region_china_mongolia.png",
	"ins_map_region_australia.png",
	"ins_map_region_islands_left.png",
	"ins_map_region_islands_right.png",
};

namespace {

// Boxes as stored, columns x1..x2 by rows y1..y2; rows below 3 and columns past 35 are
// clipped away when the bits are set.
Bbox2 box(int x1, int x2, int y1, int y2)
{
	return Bbox2{double(x1), double(y1), double(x2), double(y2)};
}

std::map<region_t, std::vector<Bbox2>> region_boxes()
{
	std::map<region_t, std::vector<Bbox2>> m;
	m[region_eastern_us] = {box(8, 12, 11, 13)};
	m[region_western_us] = {box(5, 8, 11, 13), box(1, 3, 10, 12)};
	m[region_eastern_canada] = {box(8, 15, 13, 16), box(15, 16, 15, 16)};
	m[region_western_canada] = {box(1, 8, 13, 17)};
	m[region_central_america] = {box(6, 12, 9, 11), box(6, 7, 12, 12)};
	m[region_south_america] = {box(9, 14, 2, 10)};
	m[region_northwest_africa] = {box(15, 20, 9, 12), box(21, 21, 9, 11), box(22, 23, 10, 10)};
	m[region_southern_africa] = {box(16, 24, 3, 9)};
	m[region_middle_east] = {box(21, 24, 10, 12), box(20, 21, 11, 12)};
	m[region_western_europe] = {box(14, 20, 12, 14)};
	m[region_eastern_europe] = {box(20, 22, 12, 14)};
	m[region_scandinavia] = {box(18, 22, 14, 17)};
	m[region_western_russia] = {box(21, 28, 14, 17)};
	m[region_siberia] = {box(28, 35, 13, 17)};
	m[region_west_central_asia] = {box(23, 26, 12, 14), box(22, 22, 13, 14)};
	m[region_southeast_asia] = {box(27, 33, 8, 11), box(34, 35, 8, 8), box(30, 35, 12, 13), box(35, 36, 6, 7)};
	m[region_southwestern_asia] = {box(24, 27, 8, 12)};
	m[region_china_mongolia] = {box(26, 30, 11, 14), box(25, 25, 12, 13)};
	m[region_australia] = {box(27, 35, 3, 7), box(31, 32, 8, 8), box(0, 6, 3, 10)};
	m[region_islands_left] = {box(0, 4, 2, 13), box(7, 9, 3, 9)};
	m[region_islands_right] = {box(30, 30, 11, 12), box(31, 32, 9, 13), box(33, 35, 6, 14)};
	return m;
}

struct extra_block {
	region_t region;
	int x, y;
};

const extra_block extra_blocks[] = {
	{region_western_canada, 0, 14},
	{region_northwest_africa, 22, 9},
	{region_northwest_africa, 23, 9},
	{region_middle_east, 22, 13},
	{region_western_europe, 17, 15},
	{region_western_russia, 21, 13},
	{region_western_russia, 22, 13},
	{region_western_russia, 26, 13},
	{region_western_russia, 28, 13},
	{region_southeast_asia, 33, 7},
	{region_southwestern_asia, 28, 11},
	{region_china_mongolia, 31, 13},
	{region_islands_right, 32, 14},
};

}  // namespace

void initialize_10x10_tiles()
{
	s_10x10_tiles_for_region.assign(region_count, tile_bitset{});
	const std::map<region_t, std::vector<Bbox2>> boxes = region_boxes();
	for (int x = 0; x < scn_grid_cols; ++x)
		for (int y = scn_first_map_row; y < scn_grid_rows; ++y)
			for (const auto& [region, list] : boxes)
				for (const Bbox2& b : list)
					if (b.contains(x, y))
						s_10x10_tiles_for_region[region].set(scn_block_number(x, y));
	for (const extra_block& e : extra_blocks)
		s_10x10_tiles_for_region[e.region].set(scn_block_number(e.x, e.y));
}
