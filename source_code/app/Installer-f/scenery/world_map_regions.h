#pragma once
// The world map's logic without a window: the per-region on/off flags, the covering search
// that turns a block selection (stg.wrl_sel) into the regions that hold it with the fewest
// unselected blocks, the write-back of the flags into the selection, and "Select All" /
// "Select None". The map controller owns one of these and forwards its frame, button and
// destructor calls; the picker widget changes the flags through region_flags().
// Main thread only.
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "app/Installer-f/scenery/scenery_region_table.h"

typedef std::map<region_t, bool> region_flag_map;

class world_map_regions {
public:
	// Builds the region table if it is still empty and derives the flags from stg.wrl_sel.
	world_map_regions();
	// Logs the regions the user settled on.
	~world_map_regions();
	world_map_regions(const world_map_regions&) = delete;
	world_map_regions& operator=(const world_map_regions&) = delete;

	// Every frame: the flags go into stg.wrl_sel rows 3..17.
	void pre_per_frame();
	// 0 "Select All", anything else "Select None".
	void btn_command_received(int cmd);
	bool is_cmnd_btn_enabled(int cmd) const;

	// An entry for every region 0..20, for as long as this object lives.
	region_flag_map* region_flags() { return &flags_; }
	const region_flag_map& flags() const { return flags_; }
	std::vector<region_t> selected_regions() const;

	// The regions of the best cover of the selection's blocks in rows 3..17, ascending; empty
	// when some selected block lies in no region.
	std::vector<region_t> find_optimal_covering_set(const int (*selection)[scn_grid_rows], int max_regions) const;
	// One step of the depth-first search. chosen and uncovered are updated in place (and left
	// as they are once a cover without waste is found); visited holds 2^21 bits, one per mask;
	// best is (mask, waste).
	void build_covering_set_recursive(int& chosen, tile_bitset& uncovered, const tile_bitset& target, int max_regions,
	                                  std::vector<uint64_t>& visited, std::pair<int, int>& best) const;
	// Blocks of the regions in mask that are not in target.
	int count_extraneous_blocks(int mask, const tile_bitset& target, int unused) const;

	void initialize_regions_from_wrl_sel();

private:
	bool may_beat(int chosen, const tile_bitset& uncovered, const tile_bitset& target, int max_regions,
	              int best_score) const;

	region_flag_map flags_;
};

enum { scn_visited_words = (1 << region_count) / 64 };

// The write-back: rows 3..17 of selection become the union of the flagged regions' blocks;
// rows 0..2 keep their values.
void sync_regions_to_wrl_sel_internal(const region_flag_map& flags, const std::vector<tile_bitset>& tiles,
                                      int (*selection)[scn_grid_rows]);
