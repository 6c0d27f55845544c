#pragma once
// HTTP transfers outside the install pipeline (server list, manifest, analytics): one
// object per transfer, running on a thread of its own; the owner polls it once per frame
// or is called back. Also the process-wide HTTP settings and the network-error classes.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/thread/UTL_threads.h"
#include "core/ui/err_code.h"

// Called on the transfer thread right after the transfer has ended (state set, done_sem raised).
class UTL_http_subscriber {
public:
	virtual ~UTL_http_subscriber() = default;
	virtual void request_complete() = 0;
};

// Bounds of one transfer. The body comes from servers that may be broken or hostile:
// a body (or an unzipped entry) growing past max_bytes is aborted as corrupt.
constexpr uint64_t UTL_http_default_max_bytes = 64ull * 1024 * 1024;
struct UTL_http_limits {
	uint64_t max_bytes = UTL_http_default_max_bytes;
	int stall_ms = 30000;         // no new byte for this long: timed out
	int connect_timeout_s = 60;
};

class UTL_http_get_file {
public:
	// GET; dest_path may be empty (body kept in memory). unzip = 1: the body is a zip archive
	// whose entries go into dest_path's folder.
	UTL_http_get_file(const std::string& url, const std::string& dest_path, int unzip,
	                  UTL_http_subscriber* subscriber, const UTL_http_limits& limits = UTL_http_limits());
	// POST of *post_body as JSON when it is given and not empty, else GET; the body stays in memory.
	UTL_http_get_file(const std::string& url, const std::string* post_body, UTL_http_subscriber* subscriber,
	                  const UTL_http_limits& limits = UTL_http_limits());
	// The same with the body's content type given, e.g. "application/x-www-form-urlencoded".
	UTL_http_get_file(const std::string& url, const std::string* post_body, const std::string& content_type,
	                  UTL_http_subscriber* subscriber, const UTL_http_limits& limits = UTL_http_limits());
	// Cancels a running transfer and waits for its thread.
	~UTL_http_get_file();
	UTL_http_get_file(const UTL_http_get_file&) = delete;
	UTL_http_get_file& operator=(const UTL_http_get_file&) = delete;

	bool is_done() const { return state.load() != 0; }
	bool is_ok() const { return state.load() == 1; }
	err_code_t get_error() const { return error.load(); }
	int get_progress() const { return progress.load(); }
	float get_dl_rate() const { return rate.load(); }
	// 1 when the transfer ended within ms milliseconds (-1: no limit); later waits succeed too.
	int block_until_done(int ms);
	// Only once is_done() is true.
	void swap_data(std::vector<char>& other);

private:
	static void* thread_main(void* self);
	void run();
	void start();
	void finish(int final_state, err_code_t code);
	static size_t on_write(char* p, size_t size, size_t n, void* self);
	static int on_progress(void* self, int64_t total, int64_t received, int64_t, int64_t);

	std::atomic<int> progress{-1};    // percent of the body, -1 until the size is known
	std::atomic<int32_t> state{0};    // 0 running, 1 finished, 2 failed
	std::atomic<int32_t> cancel{0};
	std::atomic<err_code_t> error{0};
	UTL_thread_handle thread{}, thread_id1{}, thread_id2{};
	UTL_semaphore* done_sem = nullptr;
	std::vector<char> data;
	std::string dest_path;
	std::string dest_name;
	std::string url;
	int unzip = 0;
	std::string post_body;
	std::string post_content_type = "application/json";
	double last_received = 0;
	int64_t last_data_time = 0;       // microseconds, monotonic
	std::atomic<float> rate{0};       // body bytes per second over the whole transfer
	UTL_http_subscriber* subscriber = nullptr;
	UTL_http_limits limits;
	bool over_limit = false;          // the body passed limits.max_bytes
	bool stalled = false;
};

// Start-up: initialises libcurl and registers its result texts with error_str.
void UTL_http_init();
bool UTL_http_is_inited();
// Shutdown, after every transfer has been destroyed.
void UTL_http_shutdown();

// Replaces every space by "%20"; nothing else is encoded.
void UTL_http_encode_url(std::string& url);

// Network-class failures (name resolution, connect, partial, timeout, empty reply, send, receive)
// that make a caller rest a server; false for HTTP status errors and everything else.
bool UTL_http_is_error_bad_net(err_code_t code);

// "LIN" + the system version without "Version", "Build" and blanks + "_64bit".
std::string UTL_http_platform_tag_for(const std::string& system_version);
// The tag in the user agent; UTL_http_init sets it from the machine facts.
void UTL_http_set_platform_tag(const std::string& tag);
// "Skyvane Installer 4.01r1" + "-beta-" or "-final-" + the platform tag.
std::string UTL_http_user_agent(int beta);

// libcurl's own diagnostics on stderr, off unless asked for.
void UTL_http_set_verbose(bool on);
