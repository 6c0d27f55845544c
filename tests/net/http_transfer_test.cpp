#include "core/sockets/UTL_http.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "core/files/zip/zip_err.h"
#include "core/ui/proxy_setting.h"
#include "core/ui/stg.h"
#include "support/http_fixture.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"
#include "support/zip_maker.h"

namespace {

const err_code_t corrupt = err_make(err_dom_ins, ins_err_corrupt);

std::string pattern(size_t n)
{
	std::string s(n, '\0');
	for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
	return s;
}

std::string body_of(UTL_http_get_file& g)
{
	std::vector<char> v;
	g.swap_data(v);
	return std::string(v.begin(), v.end());
}

// Records what the transfer looked like when it called back.
struct recording_subscriber : UTL_http_subscriber {
	std::atomic<UTL_http_get_file*> transfer{nullptr};
	std::atomic<int> calls{0};
	std::atomic<bool> saw_done{false};
	std::atomic<bool> saw_done_sem{false};
	std::atomic<err_code_t> saw_error{0};
	void request_complete() override
	{
		if (UTL_http_get_file* t = transfer.load()) {
			saw_done = t->is_done();
			saw_done_sem = t->block_until_done(0) == 1;
			saw_error = t->get_error();
		}
		++calls;
		calls.notify_all();
	}
};

class http_transfer : public ::testing::Test {
protected:
	void SetUp() override
	{
		UTL_http_init();
		UTL_set_proxy_host("");
	}
	void TearDown() override { UTL_set_proxy_host(""); }

	static UTL_http_limits quick()
	{
		UTL_http_limits l;
		l.stall_ms = 1000;
		return l;
	}

	log_capture log;
	http_fixture srv;
	scratch_dir dir;
};

}  // namespace

TEST_F(http_transfer, get_into_memory)
{
	const std::string body = pattern(300000);
	srv.serve("/data.bin", body);
	UTL_http_get_file g(srv.url("/data.bin"), "", 0, nullptr);
	ASSERT_EQ(g.block_until_done(-1), 1);
	EXPECT_TRUE(g.is_ok());
	EXPECT_EQ(g.get_error(), 0u);
	EXPECT_EQ(g.get_progress(), 100);
	EXPECT_GT(g.get_dl_rate(), 0.0f);
	EXPECT_EQ(body_of(g), body);

	auto reqs = srv.requests("/data.bin");
	ASSERT_EQ(reqs.size(), 1u);
	EXPECT_EQ(reqs[0].method, "GET");
	EXPECT_EQ(reqs[0].user_agent, UTL_http_user_agent(0));
}

TEST_F(http_transfer, the_user_agent_follows_the_beta_flag)
{
	srv.serve("/x", "x");
	int saved = stg.get_beta;
	stg.get_beta = 1;
	{
		UTL_http_get_file g(srv.url("/x"), "", 0, nullptr);
		g.block_until_done(-1);
	}
	stg.get_beta = saved;
	ASSERT_EQ(srv.request_count("/x"), 1u);
	EXPECT_NE(srv.requests("/x")[0].user_agent.find("4.01r1-beta-LIN"), std::string::npos);
}

TEST_F(http_transfer, spaces_in_the_url_are_sent_encoded)
{
	srv.serve("/a b/c d.txt", "spaced");
	UTL_http_get_file g(srv.url("/a b/c d.txt"), "", 0, nullptr);
	ASSERT_EQ(g.block_until_done(-1), 1);
	ASSERT_TRUE(g.is_ok()) << std::hex << g.get_error();
	EXPECT_EQ(body_of(g), "spaced");
}

struct failure_case {
	const char* what;
	http_route route;
	uint64_t max_bytes;
	err_code_t error;  // 0: any code of the curl domain
	bool bad_net;
};

TEST_F(http_transfer, failures_end_in_state_2_with_their_code)
{
	const std::string body = pattern(5000);
	auto route = [&](http_fault f, size_t n = 0, bool chunked = false) {
		http_route r;
		r.body = body;
		r.fault = f;
		r.fault_bytes = n;
		r.chunked = chunked;
		return r;
	};
	http_route to_file = route(http_fault::redirect);
	to_file.redirect_to = "file:///etc/passwd";
	const failure_case cases[] = {
	    {"404", route(http_fault::status_404), 1 << 20, 0x20000194, false},
	    {"500", route(http_fault::status_500), 1 << 20, 0x200001F4, false},
	    {"truncated body", route(http_fault::truncate, 1000), 1 << 20, 0x10000012, true},
	    {"connection dropped mid-body", route(http_fault::drop_mid_body, 1000), 1 << 20, 0, true},
	    {"stalled after 500 bytes", route(http_fault::stall_after, 500), 1 << 20, 0x1000001C, true},
	    {"announced length over the cap", route(http_fault::none), 1000, corrupt, false},
	    {"chunked body over the cap", route(http_fault::none, 0, true), 1000, corrupt, false},
	    {"redirect away from the web", to_file, 1 << 20, 0x10000001, false},
	};
	for (const failure_case& c : cases) {
		SCOPED_TRACE(c.what);
		std::string path = "/" + std::string(c.what);
		srv.serve(path, c.route);
		UTL_http_limits lim = quick();
		lim.max_bytes = c.max_bytes;
		UTL_http_get_file g(srv.url(path), "", 0, nullptr, lim);
		ASSERT_EQ(g.block_until_done(-1), 1);
		EXPECT_TRUE(g.is_done());
		EXPECT_FALSE(g.is_ok());
		if (c.error) EXPECT_EQ(g.get_error(), c.error) << std::hex << g.get_error();
		else EXPECT_EQ(err_domain(g.get_error()), err_dom_curl) << std::hex << g.get_error();
		EXPECT_EQ(UTL_http_is_error_bad_net(g.get_error()), c.bad_net);
		srv.release();
	}
	std::string text = log.text();
	EXPECT_NE(text.find("E/NET: Download failed with http error: 404 for URL " + srv.url("/404")), std::string::npos)
	    << text;
	EXPECT_NE(text.find("Download failed with error: 28 for URL"), std::string::npos);
}

TEST_F(http_transfer, a_refused_connection_is_a_network_error)
{
	UTL_http_get_file g(srv.refused_url("/x"), "", 0, nullptr);
	ASSERT_EQ(g.block_until_done(-1), 1);
	EXPECT_EQ(g.get_error(), 0x10000007u);
	EXPECT_TRUE(UTL_http_is_error_bad_net(g.get_error()));
}

TEST_F(http_transfer, redirects_are_followed)
{
	http_route moved;
	moved.fault = http_fault::redirect;
	moved.redirect_to = srv.url("/new");
	srv.serve("/old", moved);
	srv.serve("/new", "moved here");
	UTL_http_get_file g(srv.url("/old"), "", 0, nullptr);
	ASSERT_EQ(g.block_until_done(-1), 1);
	ASSERT_TRUE(g.is_ok());
	EXPECT_EQ(body_of(g), "moved here");
}

TEST_F(http_transfer, the_body_is_written_to_dest_path)
{
	srv.serve("/f.txt", "on disk");
	UTL_http_get_file g(srv.url("/f.txt"), dir / "f.txt", 0, nullptr);
	ASSERT_EQ(g.block_until_done(-1), 1);
	ASSERT_TRUE(g.is_ok()) << std::hex << g.get_error();
	EXPECT_EQ(dir.read("f.txt"), "on disk");

	UTL_http_get_file bad(srv.url("/f.txt"), dir / "no/such/folder/f.txt", 0, nullptr);
	ASSERT_EQ(bad.block_until_done(-1), 1);
	EXPECT_FALSE(bad.is_ok());
	EXPECT_EQ(bad.get_error(), err_from_errno(ENOENT));
}

TEST_F(http_transfer, a_zip_body_is_extracted_on_arrival)
{
	std::vector<char> zip = make_zip({{"directory.txt", "I\n1100 version\n" + pattern(20000)}});
	http_route r;
	r.body.assign(zip.begin(), zip.end());
	srv.serve("/directory.txt.zip", r);
	UTL_http_get_file g(srv.url("/directory.txt.zip"), dir / "directory.txt", 1, nullptr);
	ASSERT_EQ(g.block_until_done(-1), 1);
	ASSERT_TRUE(g.is_ok()) << std::hex << g.get_error();
	EXPECT_EQ(dir.read("directory.txt"), "I\n1100 version\n" + pattern(20000));

	// Not a zip at all; and a small archive that would inflate past the cap.
	srv.serve("/junk.zip", "this is not an archive");
	std::vector<char> bomb = make_zip({{"directory.txt", std::string(200000, 'a')}});
	http_route b;
	b.body.assign(bomb.begin(), bomb.end());
	srv.serve("/bomb.zip", b);
	UTL_http_limits lim;
	lim.max_bytes = 100000;
	ASSERT_LT(bomb.size(), lim.max_bytes) << "the body itself passes; its entry does not";
	const std::pair<const char*, err_code_t> cases[] = {{"/junk.zip", zip_err_open}, {"/bomb.zip", corrupt}};
	for (const auto& [path, want] : cases) {
		SCOPED_TRACE(path);
		scratch_dir target;
		UTL_http_get_file bad(srv.url(path), target / "directory.txt", 1, nullptr, lim);
		ASSERT_EQ(bad.block_until_done(-1), 1);
		EXPECT_EQ(bad.get_error(), want) << std::hex << bad.get_error();
		EXPECT_FALSE(target.exists("directory.txt"));
	}
}

TEST_F(http_transfer, post_sends_the_body_as_json)
{
	srv.serve("/collect", "accepted");
	const std::string json = "{\"v\":1,\"t\":\"event\"}";
	UTL_http_get_file g(srv.url("/collect"), &json, nullptr);
	ASSERT_EQ(g.block_until_done(-1), 1);
	ASSERT_TRUE(g.is_ok());
	EXPECT_EQ(body_of(g), "accepted");

	const std::string empty;
	UTL_http_get_file plain(srv.url("/collect"), &empty, nullptr);
	ASSERT_EQ(plain.block_until_done(-1), 1);

	auto reqs = srv.requests("/collect");
	ASSERT_EQ(reqs.size(), 2u);
	EXPECT_EQ(reqs[0].method, "POST");
	EXPECT_EQ(reqs[0].body, json);
	EXPECT_EQ(reqs[0].content_type, "application/json");
	EXPECT_EQ(reqs[1].method, "GET") << "an empty body is a plain GET";
}

TEST_F(http_transfer, the_subscriber_is_called_once_after_the_end_is_visible)
{
	http_route r;
	r.body = pattern(4000);
	r.fault = http_fault::stall_after;
	r.fault_bytes = 100;
	srv.serve("/held", r);
	recording_subscriber sub;
	UTL_http_limits lim;
	lim.stall_ms = 10000;  // only a failure waits this long
	UTL_http_get_file g(srv.url("/held"), "", 0, &sub, lim);
	sub.transfer = &g;
	ASSERT_TRUE(srv.wait_body_sent("/held", 100));
	EXPECT_EQ(g.block_until_done(0), 0) << "the server still holds the body";
	EXPECT_FALSE(g.is_done());

	srv.release();
	sub.calls.wait(0);  // no concurrent waiter, so the callback's own try must find the unit
	EXPECT_EQ(sub.calls.load(), 1);
	EXPECT_TRUE(sub.saw_done.load());
	EXPECT_TRUE(sub.saw_done_sem.load());
	EXPECT_EQ(sub.saw_error.load(), 0x10000012u);
	ASSERT_EQ(g.block_until_done(-1), 1);
	EXPECT_EQ(g.block_until_done(0), 1) << "the done unit is put back";
	EXPECT_EQ(g.get_error(), 0x10000012u);
}

TEST_F(http_transfer, destroying_a_running_transfer_cancels_and_waits)
{
	http_route r;
	r.body = pattern(1 << 20);
	r.fault = http_fault::slow_rate;
	r.rate_bytes = 256;
	r.tick_ms = 10;
	srv.serve("/trickle", r);
	recording_subscriber sub;
	auto g = std::make_unique<UTL_http_get_file>(srv.url("/trickle"), "", 0, &sub);
	sub.transfer = g.get();
	ASSERT_TRUE(srv.wait_body_sent("/trickle", 1024));
	EXPECT_FALSE(g->is_done());

	g.reset();
	EXPECT_EQ(sub.calls.load(), 1) << "the thread has finished before the destructor returns";
	EXPECT_EQ(sub.saw_error.load(), err_cancelled);
	EXPECT_TRUE(srv.wait_responses_ended("/trickle")) << "the connection was closed";
	EXPECT_EQ(log.text().find("Download failed"), std::string::npos) << "a cancel is not an error";
}

TEST_F(http_transfer, the_proxy_is_read_at_the_start_of_each_transfer)
{
	srv.serve("/p", "direct");
	UTL_set_proxy_host(srv.refused_host());
	UTL_http_get_file via(srv.url("/p"), "", 0, nullptr);
	ASSERT_EQ(via.block_until_done(-1), 1);
	EXPECT_EQ(via.get_error(), 0x10000007u) << "the dead proxy was used";
	EXPECT_EQ(srv.request_count("/p"), 0u);

	UTL_set_proxy_host("");
	UTL_http_get_file direct(srv.url("/p"), "", 0, nullptr);
	ASSERT_EQ(direct.block_until_done(-1), 1);
	EXPECT_TRUE(direct.is_ok());
	EXPECT_EQ(srv.request_count("/p"), 1u);
}
