#include "app/Installer-f/scenery/world_map_regions.h"

#include <bit>
#include <chrono>
#include <cstdio>
#include <string>

#include "core/ui/log.h"
#include "core/ui/stg.h"

static_assert(int(stg_wrl_lon_count) == int(scn_grid_cols) && int(stg_wrl_lat_count) == int(scn_grid_rows));

namespace {

// One more than the 36 x 15 blocks of rows 3..17: any real cover beats it.
constexpr int k_no_cover_score = scn_grid_cols * (scn_grid_rows - scn_first_map_row) + 1;

bool visited_test(const std::vector<uint64_t>& v, int mask) { return (v[mask >> 6] >> (mask & 63)) & 1u; }
void visited_set(std::vector<uint64_t>& v, int mask) { v[mask >> 6] |= uint64_t{1} << (mask & 63); }

}  // namespace

world_map_regions::world_map_regions()
{
	if (s_10x10_tiles_for_region.empty())
		initialize_10x10_tiles();
	initialize_regions_from_wrl_sel();
}

world_map_regions::~world_map_regions()
{
	skyvane_log_write(log_debug, "SCN", "Scenery selection complete! User settled on the following regions:");
	for (region_t r : selected_regions())
		skyvane_log_write(log_debug, "SCN", "\t%s", s_region_names[r]);
}

void world_map_regions::pre_per_frame() { sync_regions_to_wrl_sel_internal(flags_, s_10x10_tiles_for_region, stg.wrl_sel); }

void world_map_regions::btn_command_received(int cmd)
{
	for (int r = 0; r < region_count; ++r)
		flags_[static_cast<region_t>(r)] = cmd == 0;
}

// Only regions 0..20 count: the picker reaches the map through a pointer and could leave an
// entry for its "no region" value behind.
bool world_map_regions::is_cmnd_btn_enabled(int cmd) const
{
	const size_t selected = selected_regions().size();
	return cmd == 0 ? selected < region_count : selected > 0;
}

std::vector<region_t> world_map_regions::selected_regions() const
{
	std::vector<region_t> out;
	for (const auto& [region, on] : flags_)
		if (on && static_cast<unsigned>(region) < region_count)
			out.push_back(region);
	return out;
}

int world_map_regions::count_extraneous_blocks(int mask, const tile_bitset& target, int) const
{
	uint64_t u[scn_tile_words] = {};
	for (unsigned m = static_cast<unsigned>(mask); m; m &= m - 1) {
		const tile_bitset& reg = s_10x10_tiles_for_region[std::countr_zero(m)];
		for (int i = 0; i < scn_tile_words; ++i)
			u[i] |= reg.w[i];
	}
	int n = 0;
	for (int i = 0; i < scn_tile_words; ++i)
		n += std::popcount(u[i] & ~target.w[i]);
	return n;
}

namespace {

// The smallest waste of a cover that includes the regions already chosen (whose unselected
// blocks are waste and which leave uncovered open), with at most regions_left more regions; limit
// when no such cover wastes fewer than limit blocks. Every cover holds one of the at most four
// regions of any open block, so the search branches on the open block with the fewest regions
// that could still take part (one that alone would bring the waste to limit cannot).
int least_cover_waste(unsigned chosen, const uint64_t* waste, const uint64_t* uncovered, const tile_bitset& target,
                      int limit, int regions_left)
{
	int base = 0;
	bool open = false;
	for (int i = 0; i < scn_tile_words; ++i) {
		base += std::popcount(waste[i]);
		open = open || uncovered[i] != 0;
	}
	if (base >= limit)
		return limit;
	if (!open)
		return base;
	if (regions_left <= 0)
		return limit;

	// Open blocks by how many of the regions that could take part hold them.
	uint64_t once[scn_tile_words] = {}, twice[scn_tile_words] = {}, thrice[scn_tile_words] = {};
	unsigned useful = 0;
	for (int r = 0; r < region_count; ++r) {
		if (chosen & (1u << r))
			continue;
		const tile_bitset& reg = s_10x10_tiles_for_region[r];
		int e = base;
		for (int i = 0; i < scn_tile_words; ++i)
			e += std::popcount(reg.w[i] & ~target.w[i] & ~waste[i]);
		if (e >= limit)
			continue;
		useful |= 1u << r;
		for (int i = 0; i < scn_tile_words; ++i) {
			thrice[i] |= twice[i] & reg.w[i];
			twice[i] |= once[i] & reg.w[i];
			once[i] |= reg.w[i];
		}
	}
	int pick = -1, pick_rank = 4;
	for (int i = 0; i < scn_tile_words; ++i)
		if (uncovered[i] & ~once[i])
			return limit;  // nothing that could take part holds this block
	for (int i = 0; i < scn_tile_words && pick_rank > 1; ++i) {
		const uint64_t by_rank[3] = {uncovered[i] & ~twice[i], uncovered[i] & ~thrice[i], uncovered[i]};
		for (int k = 0; k < 3 && k + 1 < pick_rank; ++k)
			if (by_rank[k]) {
				pick = 64 * i + std::countr_zero(by_rank[k]);
				pick_rank = k + 1;
			}
	}

	int best = limit;
	for (unsigned m = useful; m; m &= m - 1) {
		const int r = std::countr_zero(m);
		const tile_bitset& reg = s_10x10_tiles_for_region[r];
		if (!reg.test(pick))
			continue;
		uint64_t w2[scn_tile_words], u2[scn_tile_words];
		for (int i = 0; i < scn_tile_words; ++i) {
			w2[i] = waste[i] | (reg.w[i] & ~target.w[i]);
			u2[i] = uncovered[i] & ~reg.w[i];
		}
		const int v = least_cover_waste(chosen | (1u << r), w2, u2, target, best, regions_left - 1);
		if (v < best)
			best = v;
	}
	return best;
}

}  // namespace

// A branch is searched only when some cover that includes chosen wastes fewer blocks than the
// best so far. The branches left out could never change the result (the first cover found
// with the least waste), and without this a scattered selection of a few hundred blocks walks
// millions of masks and takes seconds.
bool world_map_regions::may_beat(int chosen, const tile_bitset& uncovered, const tile_bitset& target,
                                 int max_regions, int best_score) const
{
	uint64_t waste[scn_tile_words] = {};
	for (unsigned m = static_cast<unsigned>(chosen); m; m &= m - 1) {
		const tile_bitset& reg = s_10x10_tiles_for_region[std::countr_zero(m)];
		for (int i = 0; i < scn_tile_words; ++i)
			waste[i] |= reg.w[i] & ~target.w[i];
	}
	return least_cover_waste(static_cast<unsigned>(chosen), waste, uncovered.w, target, best_score,
	                         max_regions - std::popcount(static_cast<unsigned>(chosen))) < best_score;
}

void world_map_regions::build_covering_set_recursive(int& chosen, tile_bitset& uncovered, const tile_bitset& target,
                                                     int max_regions, std::vector<uint64_t>& visited,
                                                     std::pair<int, int>& best) const
{
	if (std::popcount(static_cast<unsigned>(chosen)) >= max_regions)
		return;
	if (!may_beat(chosen, uncovered, target, max_regions, best.second))
		return;
	const int saved = chosen;
	for (int r = 0; r < region_count; ++r) {
		const int bit = 1 << r;
		if (chosen & bit)
			continue;
		const int cand = chosen | bit;
		if (visited_test(visited, cand))
			continue;
		const tile_bitset& reg = s_10x10_tiles_for_region[r];
		tile_bitset taken;
		for (int i = 0; i < scn_tile_words; ++i)
			taken.w[i] = uncovered.w[i] & reg.w[i];
		if (taken.none())
			continue;
		for (int i = 0; i < scn_tile_words; ++i)
			uncovered.w[i] &= ~taken.w[i];
		chosen = cand;
		visited_set(visited, cand);

		const int e = count_extraneous_blocks(cand, target, max_regions);
		if (uncovered.any()) {
			if (e < best.second)
				build_covering_set_recursive(chosen, uncovered, target, max_regions, visited, best);
		} else if (e < best.second) {
			best = {cand, e};
			// Mask 0 is never a candidate: its bit says that no cover at all wastes less.
			if (best.second == 0 || !may_beat(0, target, target, max_regions, best.second))
				visited_set(visited, 0);
		}
		if (best.second == 0 || visited_test(visited, 0))
			return;  // nothing can beat it: the whole search ends here
		chosen = saved;
		for (int i = 0; i < scn_tile_words; ++i)
			uncovered.w[i] |= taken.w[i];
	}
}

std::vector<region_t> world_map_regions::find_optimal_covering_set(const int (*selection)[scn_grid_rows],
                                                                  int max_regions) const
{
	tile_bitset target;
	for (int x = 0; x < scn_grid_cols; ++x)
		for (int y = scn_first_map_row; y < scn_grid_rows; ++y)
			if (selection[x][y] != 0)
				target.set(scn_block_number(x, y));
	tile_bitset uncovered = target;
	std::pair<int, int> best{0, k_no_cover_score};
	int chosen = 0;
	std::vector<uint64_t> visited(scn_visited_words, 0);
	build_covering_set_recursive(chosen, uncovered, target, max_regions, visited, best);

	std::vector<region_t> out;
	for (int r = 0; r < region_count; ++r)
		if (best.first & (1 << r))
			out.push_back(static_cast<region_t>(r));
	return out;
}

void world_map_regions::initialize_regions_from_wrl_sel()
{
	const auto start = std::chrono::steady_clock::now();
	const std::vector<region_t> cover = find_optimal_covering_set(stg.wrl_sel, region_count);
	for (int r = 0; r < region_count; ++r)
		flags_[static_cast<region_t>(r)] = false;
	for (region_t r : cover)
		flags_[r] = true;

	skyvane_log_write(log_debug, "SCN", "Found some or all of the DSFs in the following 10x10 regions:");
	std::string line;
	for (int x = 0; x < scn_grid_cols; ++x)
		for (int y = 0; y < scn_grid_rows; ++y) {
			if (stg.wrl_sel[x][y] == 0)
				continue;
			if (line.size() > 79) {
				skyvane_log_write(log_debug, "SCN", "\t%s", line.c_str());
				line.clear();
			}
			char block[32];
			std::snprintf(block, sizeof block, "(%02d, %02d)  ", x, y);
			line += block;
		}
	if (!line.empty())
		skyvane_log_write(log_debug, "SCN", "\t%s", line.c_str());
	skyvane_log_write(log_debug, "SCN", "Mapped those DSFs to the following regions:");
	for (region_t r : cover)
		skyvane_log_write(log_debug, "SCN", "\t%s", s_region_names[r]);

	const long long usec =
		std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
	if (usec > 200)
		std::printf("%s: %d usec\n", "ins_ui_world_map::initialize_regions_from_wrl_sel() > find_optimal_covering_set()",
		            static_cast<int>(usec));
}

void sync_regions_to_wrl_sel_internal(const region_flag_map& flags, const std::vector<tile_bitset>& tiles,
                                      int (*selection)[scn_grid_rows])
{
	for (int x = 0; x < scn_grid_cols; ++x)
		for (int y = scn_first_map_row; y < scn_grid_rows; ++y)
			selection[x][y] = 0;
	for (const auto& [region, on] : flags) {
		if (!on || static_cast<size_t>(static_cast<unsigned>(region)) >= tiles.size())
			continue;
		const tile_bitset& reg = tiles[region];
		for (int x = 0; x < scn_grid_cols; ++x)
			for (int y = scn_first_map_row; y < scn_grid_rows; ++y)
				if (reg.test(scn_block_number(x, y)))
					selection[x][y] = 1;
	}
}
