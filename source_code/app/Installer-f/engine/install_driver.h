#pragma once
// The install driver: builds the install pipeline for the source at hand (one download reader per
// mirror server, or one disc reader; then the decompressor and the writer), turns the plan into
// requests, reads the writer's results, retries broken downloads and decides when to give up.
// A step function, called once per frame from the main thread; it never waits, except while a
// run is cancelled or torn down.
#include <string>
#include <utility>
#include <vector>
#include "core/ui/err_code.h"

// Download statistics, shown by the install screens and sent by analytics.
struct dl_stats {
	int files_installed = 0;
	int tickets_done = 0;    // results read
	float kb_done = 0;       // kilobytes of the files installed
	float seconds = 0;       // since the pipeline was built
	float rate_mean = 0;     // kilobytes per second, over all servers
	float rate_stddev = 0;
	int error_count = 0;     // network failures and corrupt downloads retried
};

// What install_files returns.
enum {
	install_files_going = 0,
	install_files_done = 1,       // the pipeline is gone
	install_files_next_disc = 2,  // all done so far; the next file lies on another disc
	install_files_failed = 3,     // a request failed for good (install_files_get_error); the run goes on
	install_files_retrying = 4    // retried, but every server rests, or a disc read was corrupt
};

// One step. next_index (the next manifest path to request) and done_index (one past the highest
// path written so far) start at 0 and are kept by the caller. disk: the disc being read, -1 for
// network sources. Returns one of the values above.
int install_files(int& next_index, int disk, int& done_index);

// The files the download that starts at path index serves; returns the index after them.
int get_slot_set(int index, std::vector<int>& slots);

// The name a file is fetched under, by the compression of path index: the path itself, + ".zip",
// + ".7z", or its folder + ".zip" for a folder archive ("a/b/c.txt": "a/b.zip").
std::string suffix_for_file(const std::string& path, int index);

// The error that stopped a request, and its text; with clear both are reset.
err_code_t install_files_get_error(std::string& text, bool clear);

// While the pipeline runs, from its counters; afterwards, as saved at the tear-down.
void install_get_download_stats(dl_stats& stats);

// For network sources, one (server name, kilobytes per second) per server in server-list order,
// -1 while the server rests; nothing for a disc. kb_done and kb_total: what is installed so far
// and what the run downloads in all.
void install_get_download_rates(std::vector<std::pair<std::string, float>>& rates, float& kb_done,
                                float& kb_total);

// Cancels a running install: every request still under way ends, then the pipeline is torn down.
void install_files_kill();

// Tears the pipeline down, saving the statistics. Work still under way is cancelled first.
void nuke_any_pipeline();

// Whether a pipeline exists (between the first call and the end of the run).
bool install_files_running();
