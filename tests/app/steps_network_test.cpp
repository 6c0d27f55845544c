// The network step against a loopback lookup host and mirror: which release is fetched, the
// progress shown before sizes are known, failures reaching the report step with sim_info kept,
// a newer format, a new fetch on every visit, the DVD skip, and Back passing over work steps.
#include "app/Installer-f/flows/steps/any_checksum.h"
#include "app/Installer-f/flows/steps/any_get_install_info_net.h"
#include "core/installer/new_format.h"
#include "core/ui/alert.h"
#include "app/steps_fixture.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

namespace {

const any_get_install_info_net_msgs k_msgs = {"Search for Updates", "Contacting the lookup host.",
                                              "Downloading patch info from %1:server name%.",
                                              "Checking. %1:progress%% done checking."};

const std::vector<std::pair<std::string, std::string>> k_product = {
	{"Skyvane.app", "#!/bin/sh\necho fly\n"},
	{"Resources/a.txt", "alpha alpha alpha\n"},
	{"Resources/b.txt", "bravo\n"},
	{"Output/readme.txt", "out\n"},
};

using network_step = release_test;

TEST_F(network_step, beta_only_where_allowed_and_refetched_every_visit)
{
	make_release(k_product);
	struct fetch_case {
		int get_beta;
		bool beta_allowed;
		const char* want;
	};
	const fetch_case cases[] = {{1, true, beta_name}, {1, false, final_name}, {0, true, final_name}};
	size_t lists = 0;
	for (const fetch_case& c : cases) {
		stg.get_beta = c.get_beta;
		step_wizard w;
		auto* s = w.finish(new any_get_install_info_net(&w, false, false, c.beta_allowed, k_msgs));
		for (int visit = 0; visit < 2; ++visit) {
			ASSERT_EQ(s->open(), s);
			wizard_screen screen;
			EXPECT_EQ(run_until_moved(s, screen), w.after) << c.want;
			EXPECT_EQ(screen.title, "Search for Updates");
			s->close();
			EXPECT_EQ(server.request_count(server_list_route), ++lists);
			EXPECT_EQ(sim_info.install_name, c.want);
			EXPECT_EQ(sim_info.source, ins_src_net);
			EXPECT_EQ(sim_info.files.size(), k_product.size());
			ASSERT_EQ(server_list.servers.size(), 1u);
			EXPECT_EQ(server_list.servers[0].name, "Loopback One");
		}
		EXPECT_EQ(w.error_code, 0u);
	}
	EXPECT_EQ(server.request_count(manifest_route(beta_name)), 2u);
	EXPECT_EQ(server.request_count(manifest_route(final_name)), 4u);
}

TEST_F(network_step, full_release_measures_the_rate_and_skips_for_a_disc_set)
{
	make_release(k_product);
	step_wizard w;
	auto* s = w.finish(new any_get_install_info_net(&w, true, false, false, k_msgs));
	s_cdn_rate_bytes_sec = 0;
	ASSERT_EQ(s->open(), s);
	wizard_screen screen;
	EXPECT_EQ(run_until_moved(s, screen), w.after);
	s->close();
	EXPECT_EQ(sim_info.source, ins_src_net_full);
	EXPECT_GT(s_cdn_rate_bytes_sec, 0);

	sim_info.source = ins_src_dvd;
	const size_t before = server.total_request_count();
	EXPECT_EQ(s->open(), w.after);
	EXPECT_EQ(server.total_request_count(), before);
	auto* update = w.finish(new any_get_install_info_net(&w, false, false, true, k_msgs));
	EXPECT_EQ(update->open(), update);  // only the full release is skipped for a disc set
}

// Answers every request with a body of no announced length: the first bytes at once, the rest
// (then the end of the connection) only once its path is released.
class unsized_server {
public:
	unsized_server()
	{
		fd_ = socket(AF_INET, SOCK_STREAM, 0);
		sockaddr_in a{};
		a.sin_family = AF_INET;
		a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
		bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
		socklen_t n = sizeof a;
		getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n);
		port_ = ntohs(a.sin_port);
		listen(fd_, 8);
		thread_ = std::thread([this] { serve(); });
	}
	~unsized_server()
	{
		release();
		shutdown(fd_, SHUT_RDWR);
		close(fd_);
		thread_.join();
		for (auto& t : clients_)
			t.join();
	}
	std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
	void set_body(const std::string& path, const std::string& body)
	{
		std::lock_guard<std::mutex> g(mu_);
		bodies_[path] = body;
	}
	void release(const std::string& path = "")  // "" releases every path
	{
		std::lock_guard<std::mutex> g(mu_);
		if (path.empty())
			all_released_ = true;
		released_.insert(path);
		cv_.notify_all();
	}
	// Waits until a request for path has had its first bytes.
	bool wait_started(const std::string& path)
	{
		std::unique_lock<std::mutex> lk(mu_);
		return cv_.wait_for(lk, std::chrono::seconds(20), [&] { return started_.count(path) > 0; });
	}

private:
	void serve()
	{
		for (;;) {
			const int c = accept(fd_, nullptr, nullptr);
			if (c < 0)
				return;
			clients_.emplace_back([this, c] { answer(c); });
		}
	}
	void answer(int c)
	{
		std::string req;
		char buf[2048];
		while (req.find("\r\n\r\n") == std::string::npos) {
			const ssize_t n = recv(c, buf, sizeof buf, 0);
			if (n <= 0)
				break;
			req.append(buf, static_cast<size_t>(n));
		}
		const size_t sp = req.find(' ');
		const std::string path = req.substr(sp + 1, req.find(' ', sp + 1) - sp - 1);
		std::string body;
		{
			std::lock_guard<std::mutex> g(mu_);
			body = bodies_.count(path) ? bodies_[path] : std::string();
		}
		const std::string head = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n";
		const size_t first = std::min<size_t>(4, body.size());
		send(c, head.data(), head.size(), MSG_NOSIGNAL);
		send(c, body.data(), first, MSG_NOSIGNAL);
		{
			std::unique_lock<std::mutex> lk(mu_);
			started_.insert(path);
			cv_.notify_all();
			cv_.wait(lk, [&] { return all_released_ || released_.count(path) > 0; });
		}
		send(c, body.data() + first, body.size() - first, MSG_NOSIGNAL);
		close(c);
	}

	std::map<std::string, std::string> bodies_;
	int fd_ = -1;
	int port_ = 0;
	std::thread thread_;
	std::vector<std::thread> clients_;
	std::mutex mu_;
	std::condition_variable cv_;
	bool all_released_ = false;
	std::set<std::string> released_;
	std::set<std::string> started_;
};

TEST_F(network_step, progress_before_sizes_are_known)
{
	make_release(k_product);
	unsized_server raw;  // both the lookup host and the mirror
	std::string list = scratch_dir::read_file(dir / "out/_lookup_11_/server_list_11.txt");
	for (size_t at; (at = list.find(server.host())) != std::string::npos;)
		list.replace(at, server.host().size(), raw.host());
	const std::string manifest = "/m/Skyvane%2011%20Final/directory.txt.zip";
	raw.set_body(server_list_route, list);
	raw.set_body(manifest, scratch_dir::read_file(dir / "out/" + std::string(final_name) + "/directory.txt.zip"));
	const std::string host = "--lookup_host=" + raw.host();
	const char* argv[] = {"test", host.c_str()};
	cmdline.clear();
	cmdline.parse(2, argv);

	step_wizard w;
	auto* s = w.finish(new any_get_install_info_net(&w, false, false, false, k_msgs));
	ASSERT_EQ(s->open(), s);
	wizard_screen screen;
	ASSERT_EQ(s->go(screen), s);
	ASSERT_TRUE(raw.wait_started(server_list_route));
	screen.reset();
	ASSERT_EQ(s->go(screen), s);
	EXPECT_EQ(screen.message, "Contacting the lookup host.");
	EXPECT_EQ(screen.progress, 0.0f);
	EXPECT_EQ(screen.back_step, w.start);
	EXPECT_EQ(screen.next_step, wiz_target_none);
	raw.release(server_list_route);

	const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	while (s->job && s->job->state != dld_manifest && std::chrono::steady_clock::now() < end) {
		screen.reset();
		ASSERT_EQ(s->go(screen), s);
	}
	ASSERT_TRUE(s->job && s->job->state == dld_manifest);
	ASSERT_TRUE(raw.wait_started(manifest));
	screen.reset();
	ASSERT_EQ(s->go(screen), s);
	EXPECT_EQ(screen.message, "Downloading patch info from Loopback One.");
	EXPECT_EQ(screen.progress_text, "Checking. 25% done checking.");
	EXPECT_FLOAT_EQ(screen.progress, 0.25f);
	raw.release(manifest);
	EXPECT_EQ(run_until_moved(s, screen), w.after);
	EXPECT_EQ(sim_info.files.size(), k_product.size());
	s->close();
}

TEST_F(network_step, failures_reach_the_report_step)
{
	make_release(k_product);
	struct fail_case {
		const char* name;
		std::function<void()> break_it;
		int domain;
		bool keeps_sim_info;
	};
	const fail_case cases[] = {
		{"server list 404", [&] { server.serve(server_list_route, http_route{.fault = http_fault::status_404}); },
		 err_dom_http, true},
		{"manifest 500", [&] { server.serve(manifest_route(final_name), http_route{.fault = http_fault::status_500}); },
		 err_dom_http, false},
		{"manifest not a zip", [&] { server.serve(manifest_route(final_name), "plain text"); }, 0, false},
		{"no such mirror", [&] { stg.server_index = 3; }, err_dom_ins, false},
	};
	for (const fail_case& c : cases) {
		serve_release();
		stg.server_index = 0;
		c.break_it();
		sim_info.clear();
		sim_info.install_name = "kept";
		step_wizard w;
		auto* s = w.finish(new any_get_install_info_net(&w, false, false, false, k_msgs));
		ASSERT_EQ(s->open(), s);
		wizard_screen screen;
		EXPECT_EQ(run_until_moved(s, screen), w.report) << c.name;
		EXPECT_NE(w.error_code, 0u) << c.name;
		if (c.domain)
			EXPECT_EQ(err_domain(w.error_code), c.domain) << c.name;
		EXPECT_EQ(w.error_text, error_str(w.error_code)) << c.name;
		EXPECT_EQ(sim_info.install_name == "kept", c.keeps_sim_info) << c.name;
		EXPECT_EQ(s->job, nullptr);
	}
}

TEST_F(network_step, newer_server_list_format_asks_for_a_new_installer)
{
	server.serve(server_list_route, "Z\n9999 SERVER_LIST\n");
	std::vector<std::string> events;
	static std::vector<std::string>* s_events;
	s_events = &events;
	const auto saved_quit = new_format_quit_fn;
	const auto saved_url = new_format_open_url_fn;
	new_format_quit_fn = [] { s_events->push_back("quit"); };
	new_format_open_url_fn = [](const std::string& url) { s_events->push_back("open " + url); };
	alert_set_gui([](const std::string[4], RADAVI_alert_mode_t, const std::string&) {
		s_events->push_back("alert");
		return true;
	});
	step_wizard w;
	auto* s = w.finish(new any_get_install_info_net(&w, false, true, false, k_msgs));
	ASSERT_EQ(s->open(), s);
	wizard_screen screen;
	const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	while (std::find(events.begin(), events.end(), "quit") == events.end() && std::chrono::steady_clock::now() < end) {
		screen.reset();
		ASSERT_EQ(s->go(screen), s);
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	s->close();
	new_format_quit_fn = saved_quit;
	new_format_open_url_fn = saved_url;
	alert_set_gui(nullptr);
	ASSERT_FALSE(events.empty());
	EXPECT_EQ(events.back(), "quit");
	EXPECT_EQ(w.error_code, 0u);
	EXPECT_EQ(server.request_count(manifest_route(final_name)), 0u);
}

TEST(work_steps, back_passes_over_them)
{
	const any_get_install_info_net_msgs msgs{};
	for (bool start_skips : {false, true}) {
		plain_step* parent_step = nullptr;
		step_wizard parent_wizard;
		parent_step = parent_wizard.start;
		step_wizard w(parent_step);
		w.start->skips = start_skips;
		w.add_step(new any_get_install_info_net(&w, false, false, true, msgs));
		auto* scan = w.add_step(new any_checksum(&w, {1, 1, 1, 0}, {"Checking Installed Files", "%1:folder path%"}));
		auto* after = w.add_step(new plain_step(&w, "after"));
		EXPECT_EQ(w.prev_for_step(after), start_skips ? static_cast<wizard_func*>(parent_step) : w.start);
		EXPECT_EQ(w.prev_for_step(scan), start_skips ? static_cast<wizard_func*>(parent_step) : w.start);
		EXPECT_TRUE(scan->skip_back());
	}
}

}  // namespace
