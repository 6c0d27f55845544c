// The covering search that the world map runs while its screen is built, on the selections
// a user meets (nothing, one region, the default of a new installation, everything) and on
// selections built to make the search walk as many region masks as it can. The counter
// "masks" is the number of masks the search marked visited.
#include "app/Installer-f/scenery/scenery_region_table.h"
#include "app/Installer-f/scenery/world_map_regions.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <map>
#include <string>
#include <vector>

namespace {

using grid = int[scn_grid_cols][scn_grid_rows];

struct selection {
	grid g;
};

selection from_tiles(const tile_bitset& t)
{
	selection s{};
	for (int n = 0; n < scn_block_count; ++n)
		if (t.test(n))
			s.g[n / scn_grid_rows][n % scn_grid_rows] = 1;
	return s;
}

tile_bitset union_of(unsigned mask)
{
	tile_bitset u;
	for (int r = 0; r < region_count; ++r)
		if (mask & (1u << r))
			for (int i = 0; i < scn_tile_words; ++i)
				u.w[i] |= s_10x10_tiles_for_region[r].w[i];
	return u;
}

// Region of each block that exactly one region holds, else -1.
std::vector<int> sole_region()
{
	std::vector<int> only(scn_block_count, -1);
	for (int n = 0; n < scn_block_count; ++n) {
		int count = 0, last = -1;
		for (int r = 0; r < region_count; ++r)
			if (s_10x10_tiles_for_region[r].test(n))
				++count, last = r;
		if (count == 1)
			only[n] = last;
	}
	return only;
}

std::map<std::string, selection> make_selections()
{
	std::map<std::string, selection> out;
	out["1_empty"] = selection{};
	out["2_single_region"] = from_tiles(s_10x10_tiles_for_region[region_siberia]);

	selection def{};
	const int boxes[3][4] = {{5, 12, 12, 16}, {17, 19, 13, 15}, {29, 33, 5, 8}};
	for (const auto& b : boxes)
		for (int x = b[0]; x <= b[1]; ++x)
			for (int y = b[2]; y <= b[3]; ++y)
				def.g[x][y] = 1;
	out["3_default_new_install"] = def;

	selection all;
	for (auto& col : all.g)
		for (int& v : col)
			v = 1;
	out["4_everything"] = all;  // open ocean included: no cover exists
	out["5_all_regions"] = from_tiles(union_of((1u << region_count) - 1));

	// One block for every region that has a block of its own: every such region is needed and
	// every subset of them is a cheaper, incomplete mask.
	const std::vector<int> only = sole_region();
	tile_bitset one_each;
	unsigned seen = 0;
	for (int n = 0; n < scn_block_count; ++n)
		if (only[n] >= 0 && !(seen & (1u << only[n])))
			one_each.set(n), seen |= 1u << only[n];
	out["6_one_own_block_per_region"] = from_tiles(one_each);

	// Every region block but one of South America's own: South America is needed and wastes
	// that block, every mask without it wastes nothing and never completes.
	tile_bitset all_but_one = union_of((1u << region_count) - 1);
	all_but_one.reset(scn_block_number(13, 5));
	out["7_all_regions_but_one_own_block"] = from_tiles(all_but_one);
	return out;
}

int masks_visited(const world_map_regions& map, const grid& g)
{
	tile_bitset target;
	for (int x = 0; x < scn_grid_cols; ++x)
		for (int y = scn_first_map_row; y < scn_grid_rows; ++y)
			if (g[x][y])
				target.set(scn_block_number(x, y));
	tile_bitset uncovered = target;
	std::vector<uint64_t> visited(scn_visited_words, 0);
	std::pair<int, int> best{0, 541};
	int chosen = 0;
	map.build_covering_set_recursive(chosen, uncovered, target, region_count, visited, best);
	int n = 0;
	for (uint64_t w : visited)
		n += std::popcount(w);
	return n;
}

void run_search(benchmark::State& state, const selection* s, const world_map_regions* map)
{
	for (auto _ : state) {
		std::vector<region_t> r = map->find_optimal_covering_set(s->g, region_count);
		benchmark::DoNotOptimize(r.data());
	}
	state.counters["masks"] = masks_visited(*map, s->g);
	state.counters["regions"] = static_cast<double>(map->find_optimal_covering_set(s->g, region_count).size());
}

}  // namespace

int main(int argc, char** argv)
{
	initialize_10x10_tiles();
	static const std::map<std::string, selection> selections = make_selections();
	static world_map_regions map;  // built on the empty selection; only its search is used
	for (const auto& [name, sel] : selections)
		benchmark::RegisterBenchmark(("covering/" + name).c_str(), run_search, &sel, &map)
			->Unit(benchmark::kMicrosecond);
	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
