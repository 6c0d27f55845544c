#include "app/Installer-f/engine/ins_url_reader.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <strings.h>

#include "app/Installer-f/engine/sleep_inhibitor.h"
#include "core/installer/sim_info.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/app_clock.h"
#include "core/ui/log.h"
#include "core/ui/proxy_setting.h"

namespace {

int64_t now_usec()
{
	using namespace std::chrono;
	return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// Only a scheme makes a URL absolute: a relative name such as "httpdocs/a.txt" goes after the base.
bool is_absolute_url(const std::string& u)
{
	return strncasecmp(u.c_str(), "http://", 7) == 0 || strncasecmp(u.c_str(), "https://", 8) == 0;
}

// What the manifest says a download may weigh, times this, plus the floor.
constexpr uint64_t k_body_multiple = 4;
constexpr uint64_t k_body_floor = 1024 * 1024;

}  // namespace

uint64_t ins_url_reader_body_limit(const std::vector<int>& slots)
{
	double announced_kb = 0;
	for (int s : slots)
		if (s >= 0 && static_cast<size_t>(s) < sim_info.files.size() && !sim_info.files[s].versions.empty() &&
		    sim_info.files[s].cur().download_kb > 0)
			announced_kb += sim_info.files[s].cur().download_kb;
	// A hostile manifest cannot make the sum overflow into a small number.
	double bytes = announced_kb * 1000.0 * k_body_multiple;
	if (bytes > 1.0e18)
		return UINT64_MAX;
	return static_cast<uint64_t>(bytes) + k_body_floor;
}

ins_url_reader::ins_url_reader(UTL_atomic_fifo<ins_req_file*>* requests, UTL_atomic_fifo<ins_encoded_file*>* out,
                               const std::string& base, const ins_url_reader_limits& limits)
    : UTL_fifo_processor(1, requests, out, nullptr, "Net Read"), base_url(base), limits_(limits)
{
	sleep_inhibitor_acquire();
	meter.add_rate_sample(0, 0);
	start();
}

ins_url_reader::~ins_url_reader()
{
	cancel_flag.store(1);
	stop();
	sleep_inhibitor_release();
}

std::string ins_url_reader::full_url(const std::string& base, const std::string& request_url)
{
	std::string u = is_absolute_url(request_url) ? request_url : base + request_url;
	UTL_http_encode_url(u);
	return u;
}

void ins_url_reader::cancel()
{
	cancel_flag.store(1);
	end_pauses();
}

float ins_url_reader::get_dl_rate_now()
{
	UTL_cs_guard g(&meter.lock);
	if (total_seconds == 0)
		return 0;
	float recent = meter.recent_rate_locked();
	return recent >= 0 ? recent : total_kb / total_seconds;
}

void ins_url_reader::get_totals(float& kb, float& seconds)
{
	UTL_cs_guard g(&meter.lock);
	kb = total_kb;
	seconds = total_seconds;
}

void ins_url_reader::cleanup()
{
	if (curl)
		curl_easy_cleanup(static_cast<CURL*>(curl));
	curl = nullptr;
}

size_t ins_url_reader::on_write(char* p, size_t size, size_t n, void* self_v)
{
	ins_url_reader* self = static_cast<ins_url_reader*>(self_v);
	size_t bytes = size * n;
	if (self->receive_buffer->size() + bytes > self->body_limit) {
		self->over_limit = true;
		return 0;  // libcurl aborts the transfer
	}
	self->receive_buffer->insert(self->receive_buffer->end(), p, p + bytes);
	self->last_data_time = now_usec();
	return bytes;
}

int ins_url_reader::on_progress(void* self_v, int64_t total, int64_t, int64_t, int64_t)
{
	ins_url_reader* self = static_cast<ins_url_reader*>(self_v);
	if (total > 0 && static_cast<uint64_t>(total) > self->body_limit) {
		// The announced length alone is too much: no need to receive it first.
		self->over_limit = true;
		return 1;
	}
	if (now_usec() - self->last_data_time <= self->limits_.stall_us)
		return self->cancel_flag.load();
	self->stalled = 1;
	return 1;
}

float ins_url_reader::process(ins_req_file* const& in, ins_encoded_file*& out)
{
	out = new ins_encoded_file;
	const std::string u = full_url(base_url, in->url);
	auto finish = [&] {
		out->slots = std::move(in->slots);
		delete in;
	};
	if (cancel_flag.load()) {
		INS_ERR_SET(out->err, err_cancelled, u, ins_stage_download);
		finish();
		return 0;
	}

	if (!curl)
		curl = curl_easy_init();
	CURL* h = static_cast<CURL*>(curl);
	if (!h) {
		skyvane_log_write(log_error, "INS", "Could not create a transfer for server %s\n", base_url.c_str());
		INS_ERR_SET(out->err, err_make(err_dom_ins, ins_err_net_alloc), u, ins_stage_download);
		finish();
		return 0;
	}
	std::string proxy;
	UTL_get_proxy_host(proxy);
	curl_easy_setopt(h, CURLOPT_URL, u.c_str());
	curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
	// A mirror may redirect, but only to another web address (never file: or the like), and not forever.
	curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
	curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
	curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
	curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &ins_url_reader::on_write);
	curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
	curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &ins_url_reader::on_progress);
	curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
	curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
	curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, limits_.connect_timeout_s);
	curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
	// The handle keeps options between requests: a proxy dropped from the settings must go too.
	curl_easy_setopt(h, CURLOPT_PROXY, proxy.empty() ? nullptr : proxy.c_str());

	stalled = 0;
	over_limit = false;
	body_limit = ins_url_reader_body_limit(in->slots);
	receive_buffer = &out->data;
	int64_t start = now_usec();
	last_data_time = start;
	CURLcode result = curl_easy_perform(h);
	int64_t elapsed = now_usec() - start;
	receive_buffer = nullptr;
	int r = static_cast<int>(result);
	if (r == CURLE_ABORTED_BY_CALLBACK && stalled)
		r = CURLE_OPERATION_TIMEDOUT;

	{
		UTL_cs_guard g(&meter.lock);
		total_seconds += static_cast<float>(elapsed) / 1.0e6f;
		total_kb += static_cast<float>(out->data.size()) / 1000.0f;
	}
	meter.add_rate_sample(total_seconds, total_kb);

	long status = 0;
	if (r == CURLE_OK)
		curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
	if (over_limit) {
		skyvane_log_write(log_error, "INS", "Download aborted: more than %llu bytes for URL %s\n",
		                  static_cast<unsigned long long>(body_limit), u.c_str());
		INS_ERR_SET(out->err, err_make(err_dom_ins, ins_err_corrupt), u, ins_stage_download);
	} else if (r == CURLE_OK && status == 200) {
		out->source = u;
	} else if (r == CURLE_OK) {
		// A success of the library without any status is no answer at all, not a download.
		INS_ERR_SET(out->err,
		            status != 0 ? err_make(err_dom_http, static_cast<int>(status))
		                        : err_make(err_dom_ins, ins_err_net_bad_state),
		            u, ins_stage_download);
	} else if (r == CURLE_ABORTED_BY_CALLBACK) {
		INS_ERR_SET(out->err, err_cancelled, u, ins_stage_download);
	} else if (r == CURLE_PARTIAL_FILE) {
		// Part of a body is a broken download: the driver fetches it again like a corrupt one.
		printf("  (will retry, tries = %d\n", 0);
		fflush(stdout);
		INS_ERR_SET(out->err, err_make(err_dom_ins, ins_err_corrupt), u, ins_stage_download);
	} else {
		INS_ERR_SET(out->err, err_make(err_dom_curl, r), u, ins_stage_download);
	}
	if (out->err.code != 0)
		std::vector<char>().swap(out->data);
	finish();
	return back_off(out->err);
}

float ins_url_reader::back_off(const ins_err& err)
{
	if (!UTL_http_is_error_bad_net(err.code))
		return 0;
	float now = static_cast<float>(xtim.real_time);
	if (error_count > 0 && now - timeout_until > 300) {
		skyvane_log_write(log_info, "INS",
		                  "Server %s had its last error %f seconds ago; resetting error counter.\n",
		                  base_url.c_str(), now - timeout_until);
		error_count = 0;
	}
	float pause = ins_url_reader_rest_seconds(error_count);
	error_count += 1;
	timeout_until = now + pause;
	skyvane_log_write(log_error, "INS",
	                  "Server %s hit error %s and will time out for %f seconds.  Error count is now %d.\n",
	                  base_url.c_str(), error_str(err.code).c_str(), pause, error_count);
	return pause;
}
