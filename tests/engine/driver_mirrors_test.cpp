// Installs of the sample release from loopback mirrors: one refusing and one corrupting while a
// healthy one carries on; every mirror down until one comes back; cancelling while all rest.
#include <sys/socket.h>

#include <memory>
#include <thread>

#include "engine/driver_fixture.h"
#include "support/mirror_fixture.h"

namespace {

bool contains(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

size_t count_of(const std::string& text, const std::string& what)
{
	size_t n = 0;
	for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
	return n;
}

// A mirror whose port refuses connections (bound, nobody listens) until it is revived; then it
// serves a folder under "/mirror/" on that same port.
class revivable_mirror {
public:
	revivable_mirror()
	{
		fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
		sockaddr_in a{};
		a.sin_family = AF_INET;
		a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
		socklen_t len = sizeof a;
		EXPECT_TRUE(fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
		            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) == 0);
		port_ = ntohs(a.sin_port);
	}
	~revivable_mirror()
	{
		if (svr_) {
			svr_->stop();
			thread_.join();
		}
		if (fd_ >= 0) close(fd_);
	}

	std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

	void revive(const std::string& folder)
	{
		close(fd_);
		fd_ = -1;
		svr_ = std::make_unique<httplib::Server>();
		ASSERT_TRUE(svr_->set_mount_point("/mirror", folder));
		ASSERT_TRUE(svr_->bind_to_port("127.0.0.1", port_));
		thread_ = std::thread([this] { svr_->listen_after_bind(); });
		while (!svr_->is_running()) std::this_thread::yield();
	}

private:
	int fd_ = -1;
	int port_ = 0;
	std::unique_ptr<httplib::Server> svr_;
	std::thread thread_;
};

class driver_mirrors : public driver_test {
protected:
	// The first file the plan fetches with this compression, or -1.
	int first_wanted(int compression) const
	{
		for (size_t i = 0; i < sim_info.files.size(); ++i)
			if (sim_info.files[i].cur().want_install && sim_info.files[i].cur().compression == compression)
				return static_cast<int>(i);
		return -1;
	}
};

TEST_F(driver_mirrors, one_refusing_and_one_corrupting_mirror_still_install_every_file)
{
	load_release(DRIVER_R1);
	scan();
	plan();
	ASSERT_GT(wanted_count(), 100);

	mirror_fixture m(root, {{}, {.refuse = true}, {}});
	// Two downloads arrive damaged the first time each healthy mirror sends them: a stored file and
	// a folder archive. That makes four corrupt downloads at most, below the limit that halts a run.
	std::vector<std::string> damaged;
	for (int compression : {ins_comp_stored, ins_comp_folder_zip}) {
		const int i = first_wanted(compression);
		ASSERT_GE(i, 0) << "the sample release has no download with compression " << compression;
		damaged.push_back(std::string(DRIVER_R1) + "/" + suffix_for_file(sim_info.files[i].cur().path, i));
	}
	for (const std::string& rel : damaged)
		for (size_t s : {size_t(0), size_t(2)}) {
			http_route r;
			r.body = scratch_dir::read_file(root + rel);
			ASSERT_FALSE(r.body.empty()) << rel;
			r.fault = http_fault::wrong_bytes;
			r.fault_bytes = r.body.size() / 2;
			r.faulty_requests = 1;
			m.server(s).serve(m.route(rel), std::move(r));
		}
	for (size_t i = 0; i < m.size(); ++i) add_server(m.host(i), m.path(), "Mirror " + std::to_string(i));

	bool refusing_rested = false, healthy_rested = false;
	std::vector<std::pair<std::string, float>> rates;
	float kb_done = 0, kb_total = 0;
	int last = -1;
	ASSERT_TRUE(run([&](int r) {
		last = r;
		install_get_download_rates(rates, kb_done, kb_total);
		if (r == install_files_done) {
			EXPECT_TRUE(rates.empty()) << "no servers once the pipeline is gone";
			return true;
		}
		EXPECT_EQ(rates.size(), 3u);
		if (rates.size() == 3) {
			EXPECT_EQ(rates[1].first, "Mirror 1");
			refusing_rested |= rates[1].second == -1;
			healthy_rested |= rates[0].second == -1 || rates[2].second == -1;
			for (const auto& rate : rates) EXPECT_TRUE(rate.second == -1 || rate.second >= 0) << rate.second;
		}
		EXPECT_NE(r, install_files_failed);
		return r == install_files_failed;
	}));
	ASSERT_EQ(last, install_files_done);
	EXPECT_TRUE(refusing_rested) << "the refusing mirror is shown as resting";
	EXPECT_FALSE(healthy_rested);
	EXPECT_NEAR(kb_done, kb_total, kb_total * 1e-4);
	EXPECT_GT(kb_total, 0.0f);

	expect_installation_matches();
	const std::string text = log.text();
	EXPECT_TRUE(contains(text, "Server http://" + m.host(1) + "/mirror/ hit error")) << text;
	EXPECT_TRUE(contains(text, "Error processing http://" + m.host(1) + "/mirror/")) << "the refused fetch is logged";
	const size_t retried = count_of(text, "We will retry the file to see if we can get a clean download.");
	EXPECT_GE(retried, 2u);
	EXPECT_LE(retried, 4u);
	EXPECT_FALSE(contains(text, "Halting on our"));
	for (const std::string& rel : damaged)
		EXPECT_GE(m.request_count(0, rel) + m.request_count(2, rel), 2u) << rel << " was fetched again";

	dl_stats s;
	install_get_download_stats(s);
	EXPECT_EQ(s.files_installed, wanted_count());
	EXPECT_GE(s.error_count, static_cast<int>(retried) + 1) << "the refused fetch counts too";
	EXPECT_GE(s.tickets_done, s.error_count + 1);
	EXPECT_NEAR(s.kb_done, kb_total, kb_total * 1e-4);
	EXPECT_GT(s.rate_mean, 0.0f);
	EXPECT_GE(s.rate_stddev, 0.0f);
	EXPECT_FALSE(install_files_running());
}

TEST_F(driver_mirrors, with_every_mirror_down_calls_return_4_until_one_comes_back)
{
	load_release(DRIVER_R1);
	scan();
	plan();
	revivable_mirror m[3];
	for (int i = 0; i < 3; ++i) add_server(m[i].host(), "/mirror/", "Mirror " + std::to_string(i));

	int last = -1;
	ASSERT_TRUE(run([&](int r) {
		last = r;
		return r != install_files_going;
	}, -1, 60));
	ASSERT_EQ(last, install_files_retrying);
	std::string text;
	const err_code_t e = install_files_get_error(text, false);
	EXPECT_TRUE(UTL_http_is_error_bad_net(e)) << std::hex << e;
	EXPECT_EQ(text, error_str(e));
	std::vector<std::pair<std::string, float>> rates;
	float kb_done = 0, kb_total = 0;
	install_get_download_rates(rates, kb_done, kb_total);
	ASSERT_EQ(rates.size(), 3u);
	for (const auto& rate : rates) EXPECT_EQ(rate.second, -1) << rate.first;
	EXPECT_EQ(kb_done, 0);

	// The readers wake after their first rest and take the retried requests again.
	m[1].revive(root);
	ASSERT_NO_FATAL_FAILURE(run_to_end());
	EXPECT_GE(results[install_files_retrying], 1);
	expect_installation_matches();
	dl_stats s;
	install_get_download_stats(s);
	EXPECT_EQ(s.files_installed, wanted_count());
	EXPECT_GE(s.error_count, 3);
}

TEST_F(driver_mirrors, cancelling_while_every_reader_rests_ends_at_once)
{
	load_release(DRIVER_R1);
	scan();
	plan();
	revivable_mirror m[3];
	for (int i = 0; i < 3; ++i) add_server(m[i].host(), "/mirror/", "Mirror " + std::to_string(i));
	int last = -1;
	ASSERT_TRUE(run([&](int r) {
		last = r;
		return r != install_files_going;
	}, -1, 60));
	ASSERT_EQ(last, install_files_retrying);

	// Every reader rests at least 10 seconds after its first failure; a cancel that waited for
	// the rests to run out would take that long.
	const auto t0 = std::chrono::steady_clock::now();
	install_files_kill();
	const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
	EXPECT_LT(seconds, 5.0);
	EXPECT_FALSE(install_files_running());
	dl_stats s;
	install_get_download_stats(s);
	EXPECT_EQ(s.files_installed, 0);
	EXPECT_GE(s.error_count, 1);
	// Every request issued came back (cancelled) before the pipeline went.
	EXPECT_GE(s.tickets_done, 3);
	// Nothing is left to kill.
	install_files_kill();
}

}  // namespace
