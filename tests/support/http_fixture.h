#pragma once
// An HTTP server on 127.0.0.1 inside the test process, with the faults a broken or hostile
// mirror shows: refused connections, error statuses, stalls, truncated or dropped bodies,
// wrong bytes, a slow rate and redirects. Each path is served by a route; a route may be
// faulty for its first few requests only, to test retries.
//
//   http_fixture srv;
//   srv.serve("/a.txt", "hello");
//   srv.serve("/slow", http_route{.body = big, .fault = http_fault::slow_rate});
//   UTL_http_get_file get(srv.url("/a.txt"), "", 0, nullptr);
//
// Debian's build of the server library was compiled with these; its headers must see them too.
// (pkg-config's cflags for cpp-httplib define them too.)
#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#ifndef CPPHTTPLIB_ZLIB_SUPPORT
#define CPPHTTPLIB_ZLIB_SUPPORT
#endif
#ifndef CPPHTTPLIB_BROTLI_SUPPORT
#define CPPHTTPLIB_BROTLI_SUPPORT
#endif
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class http_fault {
	none,
	status_404,
	status_500,
	stall_after,    // send fault_bytes of the body, then nothing until release() or shutdown, then close
	truncate,       // announce the whole length, send fault_bytes, close
	drop_mid_body,  // chunked, send fault_bytes, close without the last chunk
	wrong_bytes,    // the byte at fault_bytes is inverted
	slow_rate,      // rate_bytes every tick_ms
	redirect,       // 302 to redirect_to
};

struct http_route {
	std::string body;
	http_fault fault = http_fault::none;
	size_t fault_bytes = 0;
	size_t rate_bytes = 64;
	int tick_ms = 20;
	std::string redirect_to;
	bool chunked = false;       // send a healthy body without a length
	int faulty_requests = -1;   // the fault applies to this many requests, then the body is served; -1 always
	std::string content_type = "application/octet-stream";
};

struct http_request_record {
	std::string method, path, body, content_type, user_agent;
	std::string target;  // the request target as sent, before decoding
};

class http_fixture {
public:
	http_fixture()
	{
		// Tests talk to loopback only, whatever the environment says about proxies.
		for (const char* v : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
			unsetenv(v);
		svr_.set_keep_alive_max_count(1);
		auto handler = [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); };
		svr_.Get(".*", handler);
		svr_.Post(".*", handler);
		port_ = svr_.bind_to_any_port("127.0.0.1");
		thread_ = std::thread([this] {
			svr_.listen_after_bind();
			listen_ended_ = true;
		});
		// stop() only works on a running server: wait until it runs.
		while (!svr_.is_running() && !listen_ended_) std::this_thread::yield();
		open_refusing_socket();
	}
	~http_fixture()
	{
		{
			std::lock_guard<std::mutex> g(mu_);
			stopping_ = true;
		}
		cv_.notify_all();
		svr_.stop();
		if (thread_.joinable()) thread_.join();
		if (refuse_fd_ >= 0) close(refuse_fd_);
	}
	http_fixture(const http_fixture&) = delete;
	http_fixture& operator=(const http_fixture&) = delete;

	void serve(const std::string& path, http_route route)
	{
		auto st = std::make_shared<route_state>();
		st->route = std::move(route);
		std::lock_guard<std::mutex> g(mu_);
		routes_[path] = st;
	}
	void serve(const std::string& path, const std::string& body)
	{
		http_route r;
		r.body = body;
		serve(path, std::move(r));
	}

	int port() const { return port_; }
	std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
	std::string url(const std::string& path) const { return "http://" + host() + path; }
	// A loopback address where connections are refused (a bound socket that never listens).
	std::string refused_host() const { return "127.0.0.1:" + std::to_string(refuse_port_); }
	std::string refused_url(const std::string& path) const { return "http://" + refused_host() + path; }

	std::vector<http_request_record> requests(const std::string& path) const
	{
		std::lock_guard<std::mutex> g(mu_);
		auto it = routes_.find(path);
		return it == routes_.end() ? std::vector<http_request_record>() : it->second->records;
	}
	size_t request_count(const std::string& path) const { return requests(path).size(); }
	// Every request the server has read, served routes or not.
	size_t total_request_count() const
	{
		std::lock_guard<std::mutex> g(mu_);
		return total_requests_;
	}

	// Waits until at least n body bytes of the path have been handed to the network.
	bool wait_body_sent(const std::string& path, size_t n, int timeout_ms = 20000)
	{
		std::unique_lock<std::mutex> lk(mu_);
		return cv_.wait_for(lk, std::chrono::milliseconds(timeout_ms), [&] {
			auto it = routes_.find(path);
			return it != routes_.end() && it->second->sent >= n;
		});
	}
	// Waits until every response of the path has ended (sent, failed or abandoned by the client).
	bool wait_responses_ended(const std::string& path, int timeout_ms = 20000)
	{
		std::unique_lock<std::mutex> lk(mu_);
		return cv_.wait_for(lk, std::chrono::milliseconds(timeout_ms), [&] {
			auto it = routes_.find(path);
			return it != routes_.end() && it->second->active == 0 && !it->second->records.empty();
		});
	}
	// Lets the responses stalled now end (they close their connection); later stalls stall again.
	void release()
	{
		{
			std::lock_guard<std::mutex> g(mu_);
			++release_gen_;
		}
		cv_.notify_all();
	}

private:
	struct route_state {
		http_route route;
		std::vector<http_request_record> records;
		size_t sent = 0;
		int active = 0;  // responses still streaming
	};

	void open_refusing_socket()
	{
		refuse_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
		sockaddr_in a{};
		a.sin_family = AF_INET;
		a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
		socklen_t len = sizeof a;
		if (refuse_fd_ < 0 || bind(refuse_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
		    getsockname(refuse_fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
			return;
		refuse_port_ = ntohs(a.sin_port);
	}

	void count_sent(route_state& st, size_t n)
	{
		{
			std::lock_guard<std::mutex> g(mu_);
			st.sent += n;
		}
		cv_.notify_all();
	}
	void end_response(route_state& st)
	{
		{
			std::lock_guard<std::mutex> g(mu_);
			--st.active;
		}
		cv_.notify_all();
	}
	// Pauses for ms; false when the server is shutting down.
	bool pause(int ms)
	{
		std::unique_lock<std::mutex> lk(mu_);
		cv_.wait_for(lk, std::chrono::milliseconds(ms), [&] { return stopping_; });
		return !stopping_;
	}
	// Waits for a release() made after the request arrived (gen: the count then).
	void wait_release(unsigned gen)
	{
		std::unique_lock<std::mutex> lk(mu_);
		cv_.wait(lk, [&] { return stopping_ || release_gen_ != gen; });
	}

	// Streams [from, to) of the body, `step` bytes at a time with `tick_ms` between them.
	bool send_range(route_state& st, httplib::DataSink& sink, size_t from, size_t to, size_t step, int tick_ms)
	{
		const std::string& body = st.route.body;
		for (size_t at = from; at < to;) {
			size_t n = std::min(step, to - at);
			if (!sink.is_writable() || !sink.write(body.data() + at, n)) return false;
			count_sent(st, n);
			at += n;
			if (tick_ms > 0 && at < to && !pause(tick_ms)) return false;
		}
		return true;
	}

	void handle(const httplib::Request& req, httplib::Response& res)
	{
		std::shared_ptr<route_state> st;
		bool faulty = false;
		unsigned gen = 0;
		{
			std::lock_guard<std::mutex> g(mu_);
			++total_requests_;
			auto it = routes_.find(req.path);
			if (it != routes_.end()) {
				st = it->second;
				st->records.push_back({req.method, req.path, req.body, req.get_header_value("Content-Type"),
				                       req.get_header_value("User-Agent"), req.target});
				int n = static_cast<int>(st->records.size());
				faulty = st->route.faulty_requests < 0 || n <= st->route.faulty_requests;
				++st->active;
				gen = release_gen_;
			}
		}
		if (!st) {
			res.status = 404;
			res.set_content("no such route", "text/plain");
			return;
		}
		const http_route& r = st->route;
		http_fault f = faulty ? r.fault : http_fault::none;
		size_t size = r.body.size();
		size_t cut = std::min(r.fault_bytes, size);
		auto done = [this, st](bool) { end_response(*st); };
		switch (f) {
		case http_fault::status_404:
		case http_fault::status_500:
			res.status = f == http_fault::status_404 ? 404 : 500;
			res.set_content("error page", "text/html");
			end_response(*st);
			return;
		case http_fault::redirect:
			res.set_redirect(r.redirect_to);
			end_response(*st);
			return;
		case http_fault::wrong_bytes: {
			std::string bad = r.body;
			if (!bad.empty()) bad[r.fault_bytes % bad.size()] ^= 0xFF;
			res.set_content(bad, r.content_type.c_str());
			count_sent(*st, size);
			end_response(*st);
			return;
		}
		case http_fault::stall_after:
			res.set_content_provider(size, r.content_type, [this, st, cut, gen](size_t, size_t, httplib::DataSink& sink) {
				send_range(*st, sink, 0, cut, cut ? cut : 1, 0);
				wait_release(gen);
				return false;
			}, done);
			return;
		case http_fault::truncate:
			res.set_content_provider(size, r.content_type, [this, st, cut](size_t, size_t, httplib::DataSink& sink) {
				send_range(*st, sink, 0, cut, cut ? cut : 1, 0);
				return false;
			}, done);
			return;
		case http_fault::drop_mid_body:
			res.set_chunked_content_provider(r.content_type, [this, st, cut](size_t, httplib::DataSink& sink) {
				send_range(*st, sink, 0, cut, cut ? cut : 1, 0);
				return false;
			}, done);
			return;
		case http_fault::slow_rate:
			res.set_content_provider(size, r.content_type, [this, st, size](size_t, size_t, httplib::DataSink& sink) {
				return send_range(*st, sink, 0, size, st->route.rate_bytes, st->route.tick_ms);
			}, done);
			return;
		case http_fault::none:
			if (r.chunked) {
				res.set_chunked_content_provider(r.content_type, [this, st, size](size_t, httplib::DataSink& sink) {
					bool ok = send_range(*st, sink, 0, size, 16 * 1024, 0);
					if (ok) sink.done();
					return ok;
				}, done);
				return;
			}
			res.set_content(r.body, r.content_type.c_str());
			count_sent(*st, size);
			end_response(*st);
			return;
		}
	}

	httplib::Server svr_;
	std::thread thread_;
	std::atomic<bool> listen_ended_{false};
	int port_ = -1;
	int refuse_fd_ = -1;
	int refuse_port_ = 0;
	mutable std::mutex mu_;
	std::condition_variable cv_;
	bool stopping_ = false;
	unsigned release_gen_ = 0;
	size_t total_requests_ = 0;
	std::map<std::string, std::shared_ptr<route_state>> routes_;
};
