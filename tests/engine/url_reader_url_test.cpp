// Which URL a request is fetched from: relative ones after the server's base, absolute ones as
// they are, blanks sent as "%20".
#include <gtest/gtest.h>

#include "support/http_fixture.h"
#include "url_reader_rig.h"

TEST(url_reader_url, full_url_of_a_request)
{
	const std::string base = "http://mirror.example:8080/sky/";
	const struct {
		const char* request;
		std::string want;
	} cases[] = {
	    {"rel/a b/c d.txt", base + "rel/a%20b/c%20d.txt"},
	    {"HTTP://other.example/x y.zip", "HTTP://other.example/x%20y.zip"},
	    {"hTTpS://other.example/z", "hTTpS://other.example/z"},
	    {"http://other.example/", "http://other.example/"},
	    // A name that merely begins with "http" is still a name on this server.
	    {"httpdocs/readme.txt", base + "httpdocs/readme.txt"},
	    {"http", base + "http"},
	    {"ab", base + "ab"},
	    {"", base},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.request);
		EXPECT_EQ(ins_url_reader::full_url(base, c.request), c.want);
	}
}

class url_reader_url_fetch : public url_reader_test {
protected:
	http_fixture srv;
};

TEST_F(url_reader_url_fetch, blanks_reach_the_server_as_percent_20)
{
	srv.serve("/m/rel dir/a b.txt", "spaced");
	reader_rig rig(srv.url("/m/"));
	encoded_ptr got = rig.fetch("rel dir/a b.txt");
	EXPECT_EQ(got->err.code, 0u) << error_str(got->err.code);
	EXPECT_EQ(data_of(*got), "spaced");
	EXPECT_EQ(got->source, srv.url("/m/rel%20dir/a%20b.txt"));
	auto seen = srv.requests("/m/rel dir/a b.txt");
	ASSERT_EQ(seen.size(), 1u);
	EXPECT_EQ(seen[0].target, "/m/rel%20dir/a%20b.txt");
	EXPECT_EQ(seen[0].user_agent, "");  // the download stage sends none
}

TEST_F(url_reader_url_fetch, absolute_request_ignores_the_base)
{
	srv.serve("/elsewhere/abs.txt", "absolute");
	reader_rig rig(srv.refused_url("/m/"));  // the base would fail
	std::string url = srv.url("/elsewhere/abs.txt");
	url.replace(0, 4, "HTTP");
	encoded_ptr got = rig.fetch(url);
	EXPECT_EQ(got->err.code, 0u) << error_str(got->err.code);
	EXPECT_EQ(data_of(*got), "absolute");
}

// The proxy of the settings is read at every request; the reused handle forgets a dropped one.
TEST_F(url_reader_url_fetch, proxy_is_taken_per_request)
{
	http_fixture proxy;
	reader_rig rig(srv.refused_url("/m/"));  // only a proxy can answer for this server
	UTL_set_proxy_host(proxy.host());
	encoded_ptr via_proxy = rig.fetch("a.bin");
	EXPECT_EQ(via_proxy->err.code, 0x20000194u) << error_str(via_proxy->err.code);  // the proxy's answer
	EXPECT_EQ(proxy.total_request_count(), 1u);
	UTL_set_proxy_host("");
	encoded_ptr direct = rig.fetch("a.bin");
	EXPECT_EQ(direct->err.code, 0x10000007u) << error_str(direct->err.code);
	EXPECT_EQ(proxy.total_request_count(), 1u);
}
