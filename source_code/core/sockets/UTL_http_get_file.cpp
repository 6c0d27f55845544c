#include "core/sockets/UTL_http.h"

#include <chrono>
#include <curl/curl.h>

#include "core/files/file_uncached.h"
#include "core/files/paths.h"
#include "core/files/zip/zip_extract.h"
#include "core/ui/log.h"
#include "core/ui/proxy_setting.h"
#include "core/ui/stg.h"
#include "core/sockets/UTL_http_internal.h"

namespace {

int64_t now_usec()
{
	using namespace std::chrono;
	return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

UTL_http_get_file::UTL_http_get_file(const std::string& u, const std::string& dest, int unz,
                                     UTL_http_subscriber* sub, const UTL_http_limits& lim)
	: dest_path(dest), url(u), unzip(unz), subscriber(sub), limits(lim)
{
	start();
}

UTL_http_get_file::UTL_http_get_file(const std::string& u, const std::string* body, UTL_http_subscriber* sub,
                                     const UTL_http_limits& lim)
	: url(u), post_body(body ? *body : std::string()), subscriber(sub), limits(lim)
{
	start();
}

UTL_http_get_file::UTL_http_get_file(const std::string& u, const std::string* body, const std::string& type,
                                     UTL_http_subscriber* sub, const UTL_http_limits& lim)
	: url(u), post_body(body ? *body : std::string()), post_content_type(type), subscriber(sub), limits(lim)
{
	start();
}

void UTL_http_get_file::start()
{
	UTL_http_global_setup();
	UTL_http_encode_url(url);
	if (!dest_path.empty()) set_path_to_full(dest_path);
	UTL_semaphore_create(&done_sem, 0);
	UTL_thread_create(&UTL_http_get_file::thread_main, this, &thread, &thread_id1, &thread_id2);
}

UTL_http_get_file::~UTL_http_get_file()
{
	cancel.store(1);
	UTL_thread_join(thread);
	UTL_semaphore_destroy(done_sem);
}

int UTL_http_get_file::block_until_done(int ms)
{
	if (!UTL_semaphore_dec(done_sem, ms)) return 0;
	UTL_semaphore_inc(done_sem);
	return 1;
}

void UTL_http_get_file::swap_data(std::vector<char>& other) { data.swap(other); }

void* UTL_http_get_file::thread_main(void* self)
{
	static_cast<UTL_http_get_file*>(self)->run();
	return nullptr;
}

size_t UTL_http_get_file::on_write(char* p, size_t size, size_t n, void* self_v)
{
	UTL_http_get_file* self = static_cast<UTL_http_get_file*>(self_v);
	size_t bytes = size * n;
	if (self->data.size() + bytes > self->limits.max_bytes) {
		self->over_limit = true;
		return 0;  // libcurl aborts the transfer
	}
	self->data.insert(self->data.end(), p, p + bytes);
	self->last_data_time = now_usec();
	return bytes;
}

int UTL_http_get_file::on_progress(void* self_v, int64_t total, int64_t received, int64_t, int64_t)
{
	UTL_http_get_file* self = static_cast<UTL_http_get_file*>(self_v);
	if (self->cancel.load()) return 1;
	int64_t now = now_usec();
	if (static_cast<double>(received) > self->last_received) {
		self->last_received = static_cast<double>(received);
		self->last_data_time = now;
	} else if (now - self->last_data_time > static_cast<int64_t>(self->limits.stall_ms) * 1000) {
		self->stalled = true;
		return 1;
	}
	if (total > 0) {
		// The announced size is the server's claim: never reserve past the cap.
		if (static_cast<uint64_t>(total) > self->limits.max_bytes) {
			self->over_limit = true;
			return 1;
		}
		if (self->data.capacity() < static_cast<size_t>(total)) self->data.reserve(static_cast<size_t>(total));
		self->progress.store(static_cast<int>(received * 100 / total));
	}
	return 0;
}

void UTL_http_get_file::finish(int final_state, err_code_t code)
{
	error.store(code);
	int32_t running = 0;
	state.compare_exchange_strong(running, final_state);
}

void UTL_http_get_file::run()
{
	int64_t start_time = now_usec();
	last_data_time = start_time;
	CURL* h = curl_easy_init();
	curl_slist* headers = nullptr;
	if (!h) {
		skyvane_log_write(log_error, "NET", "Could not create a transfer for URL %s", url.c_str());
		finish(2, err_make(err_dom_ins, ins_err_net_alloc));
	} else {
		curl_easy_setopt(h, CURLOPT_VERBOSE, UTL_http_verbose() ? 1L : 0L);
		curl_easy_setopt(h, CURLOPT_URL, url.c_str());
		curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
		// A mirror may redirect, but only to another web address, and not forever.
		curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
		curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
		curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
		curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &UTL_http_get_file::on_write);
		curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
		curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &UTL_http_get_file::on_progress);
		curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
		curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
		curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connect_timeout_s));
		curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);

		std::string proxy;
		UTL_get_proxy_host(proxy);
		if (!proxy.empty()) curl_easy_setopt(h, CURLOPT_PROXY, proxy.c_str());

		std::string agent = UTL_http_user_agent(stg.get_beta);
		curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());

		if (!post_body.empty()) {
			curl_easy_setopt(h, CURLOPT_POSTFIELDS, post_body.c_str());
			curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post_body.size()));
			headers = curl_slist_append(headers, ("Content-Type: " + post_content_type).c_str());
			curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
		}

		CURLcode r = curl_easy_perform(h);
		int64_t elapsed = now_usec() - start_time;
		if (elapsed > 0) rate.store(static_cast<float>(static_cast<double>(data.size()) * 1000000.0 / elapsed));

		if (r != CURLE_OK) {
			if (cancel.load()) {
				finish(2, err_cancelled);
			} else if (over_limit) {
				skyvane_log_write(log_error, "NET", "Download aborted: more than %llu bytes for URL %s",
				                  static_cast<unsigned long long>(limits.max_bytes), url.c_str());
				finish(2, err_make(err_dom_ins, ins_err_corrupt));
			} else {
				int code = (r == CURLE_ABORTED_BY_CALLBACK) ? CURLE_OPERATION_TIMEDOUT : static_cast<int>(r);
				skyvane_log_write(log_error, "NET", "Download failed with error: %d for URL %s", code, url.c_str());
				finish(2, err_make(err_dom_curl, code));
			}
		} else {
			long status = 0;
			curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
			if (status == 200 && dest_path.empty()) {
				finish(1, 0);
			} else if (status == 200 && unzip) {
				std::string folder;
				get_file_with_path(dest_name, dest_path);
				get_path_with_path(folder, dest_path);
				err_code_t e = mem_to_file(data.data(), data.size(), folder, &dest_name, 0, limits.max_bytes);
				finish(e == 0 ? 1 : 2, e);
			} else if (status == 200) {
				err_code_t e = FILE_buffer_to_disk_uncached(dest_path, data);
				finish(e == 0 ? 1 : 2, e);
			} else {
				skyvane_log_write(log_error, "NET", "Download failed with http error: %ld for URL %s", status,
				                  url.c_str());
				// A success of the library without any status is no answer at all.
				finish(2, status != 0 ? err_make(err_dom_http, static_cast<int>(status))
				                      : err_make(err_dom_ins, ins_err_net_bad_state));
			}
		}
	}
	curl_slist_free_all(headers);
	if (h) curl_easy_cleanup(h);
	UTL_semaphore_inc(done_sem);
	if (subscriber) subscriber->request_complete();
}
