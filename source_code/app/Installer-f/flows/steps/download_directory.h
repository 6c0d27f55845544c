#pragma once
// The network fetch job of the network step: the server list from the lookup host, then the
// zipped manifest from the chosen mirror, unzipped on arrival; both are parsed into
// server_list and sim_info. One state per do_work() call, polled once per frame.
#include "core/sockets/UTL_http.h"
#include "core/ui/err_code.h"

enum download_directory_state {
	dld_start = 0,
	dld_server_list = 1,
	dld_manifest = 3,
	dld_done = 4,
	dld_failed = 5,
	dld_new_format = 6  // the server list or manifest is newer than this installer
};

// Bytes per second measured while the manifest of a full release came in; keeps its last value.
extern float s_cdn_rate_bytes_sec;

// Where the two files land in temp_path.
#define DLD_SERVER_LIST_FILE "server_list_10.txt"

class download_directory {
public:
	download_directory(bool demo, bool full, bool beta) : demo(demo), full(full), beta(beta) {}
	~download_directory();  // cancels a running transfer
	download_directory(const download_directory&) = delete;
	download_directory& operator=(const download_directory&) = delete;

	void do_work();
	// 0..100: the server list is the first quarter, the manifest the rest.
	float percent() const;

	double start_time = 0;  // application clock when the manifest was requested
	UTL_http_get_file* server_list_transfer = nullptr;
	UTL_http_get_file* manifest_transfer = nullptr;
	int state = dld_start;
	err_code_t error = 0;
	bool demo;
	bool full;
	bool beta;
};
