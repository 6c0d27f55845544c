#pragma once
// The installer's working settings and selections shared by many steps.

enum { stg_wrl_lon_count = 36, stg_wrl_lat_count = 18 };  // 10-degree tiles of the world

struct stg_record {
	int target_os;     // 0 all, 1 macOS, 2 Windows, 3 Linux
	int server_index;  // mirror in use within the server list
	int wrl_sel[stg_wrl_lon_count][stg_wrl_lat_count];    // 1 = tile wanted, [lon index][lat index]
	int wrl_avail[stg_wrl_lon_count][stg_wrl_lat_count];  // 1 = the source offers scenery there
	int get_beta;
	int send_analytics;        // not persisted
	double download_total_kb;  // of the files the current plan fetches
	double install_total_kb;
	int install_file_count;
	int delete_file_count;
};

// Plain data with static storage: every byte is zero at program start.
extern stg_record stg;
