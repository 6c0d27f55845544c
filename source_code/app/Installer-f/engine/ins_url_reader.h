#pragma once
// The download stage: fetches downloads from one mirror server. The install driver makes one
// reader per server, all reading one request queue and writing one encoded queue, so a slow or
// failing server simply takes fewer requests. A server that fails on the network rests for a
// growing time while the others go on. While any reader lives, idle sleep is held off.
//
// Every request yields exactly one ins_encoded_file, its err (stage 1) naming the URL; the
// reader never retries by itself. Only the worker thread touches the handle and the back-off
// state; the rate meter is shared with the main thread under its lock.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Installer-f/engine/UTL_fifo_processor.h"
#include "app/Installer-f/engine/ins_records.h"
#include "app/Installer-f/engine/rate_meter.h"

// Time limits of a reader's transfers; tests shorten the stall.
struct ins_url_reader_limits {
	int64_t stall_us = 60 * 1000000LL;  // no byte for longer than this: timed out
	long connect_timeout_s = 60;
};

// The largest body a download for these slots may have: a generous multiple of what the
// manifest announces (sum of download_kb in sim_info) plus a floor for archive overhead and
// tiny files. Slots outside sim_info count for nothing.
uint64_t ins_url_reader_body_limit(const std::vector<int>& slots);

// Rests after a server's network errors: 10, 70, 130, 190, 250, then 310 seconds.
constexpr float ins_url_reader_rest_seconds(int error_count)
{
	return static_cast<float>((error_count < 5 ? error_count : 5) * 60 + 10);
}

class ins_url_reader final : public UTL_fifo_processor<ins_req_file*, ins_encoded_file*> {
public:
	// base_url: "http://" + host + path; prefixed to relative request URLs, and the server's
	// name in log lines.
	ins_url_reader(UTL_atomic_fifo<ins_req_file*>* requests, UTL_atomic_fifo<ins_encoded_file*>* out,
	               const std::string& base_url, const ins_url_reader_limits& limits = ins_url_reader_limits());
	~ins_url_reader() override;

	// Returns the seconds to rest: 0, or the back-off after a network-class error.
	float process(ins_req_file* const& in, ins_encoded_file*& out) override;
	// Frees the handle, on the worker thread as it ends.
	void cleanup() override;
	// Aborts the transfer under way and every later request, and wakes a resting worker.
	void cancel();
	// Kilobytes per second over the recent transfers.
	float get_dl_rate_now();
	// kilobytes received and seconds spent in transfers so far, read together.
	void get_totals(float& kb, float& seconds);

	// The full URL of a request: relative ones go after base_url; blanks become "%20".
	static std::string full_url(const std::string& base_url, const std::string& request_url);

	std::atomic<int32_t> cancel_flag{0};
	const std::string base_url;
	rate_meter<20> meter;
	// Back-off state, worker thread only (tests read them while the worker rests).
	int error_count = 0;         // consecutive network errors of this server
	float timeout_until = -1;    // application clock until which the server rests

private:
	static size_t on_write(char* p, size_t size, size_t n, void* self);
	static int on_progress(void* self, int64_t total, int64_t received, int64_t, int64_t);
	float back_off(const ins_err& err);

	const ins_url_reader_limits limits_;
	void* curl = nullptr;  // one handle for all requests, so connections are kept alive
	float total_kb = 0;        // guarded by meter.lock
	float total_seconds = 0;   // guarded by meter.lock
	std::vector<char>* receive_buffer = nullptr;
	int64_t last_data_time = 0;  // microseconds, monotonic
	int stalled = 0;
	bool over_limit = false;
	uint64_t body_limit = 0;
};
