// A server's rest after network errors: how it grows, where it stops growing, and that it starts
// over once the server has been quiet for 300 seconds after its last rest. Driven by the clock.
#include <gtest/gtest.h>

#include "support/http_fixture.h"
#include "url_reader_rig.h"

namespace {

class url_reader_backoff : public url_reader_test {
protected:
	// One refused connection at the given clock; returns the rest it started (timeout_until - clock),
	// after checking the worker really rests, and wakes it.
	float fail_at(reader_rig& rig, double clock)
	{
		app_clock_set(clock);
		encoded_ptr got = rig.fetch("x.bin");
		EXPECT_EQ(got->err.code, 0x10000007u);
		EXPECT_TRUE(eventually([&] { return rig.resting(); }));
		float rest = rig.reader->timeout_until - static_cast<float>(clock);
		rig.wake();
		return rest;
	}

	http_fixture srv;
};

struct failure_step {
	double clock;
	float rest;
	bool resets;  // logs that the counter starts over
};

}  // namespace

TEST_F(url_reader_backoff, rests_grow_and_start_over_after_300_quiet_seconds)
{
	const failure_step steps[] = {
	    {1000, 10, false},
	    {1000, 70, false},
	    {1000, 130, false},          // rest ends at 1130
	    {1130 + 299, 190, false},    // not quiet long enough; rest ends at 1619
	    {1619 + 301, 10, true},      // quiet for more than 300 seconds
	    {1920, 70, false},
	};
	reader_rig rig(srv.refused_url("/m/"));
	int count = 0;
	for (const failure_step& s : steps) {
		SCOPED_TRACE(testing::Message() << "failure at " << s.clock);
		std::string before = log.text();
		EXPECT_FLOAT_EQ(fail_at(rig, s.clock), s.rest);
		count = s.resets ? 1 : count + 1;
		EXPECT_EQ(rig.reader->error_count, count);
		std::string added = log.text().substr(before.size());
		EXPECT_EQ(added.find("resetting error counter") != std::string::npos, s.resets) << added;
		char line[200];
		snprintf(line, sizeof line, "will time out for %f seconds.  Error count is now %d.", s.rest, count);
		EXPECT_NE(added.find(line), std::string::npos) << added;
	}
	EXPECT_NE(log.text().find("Server " + srv.refused_url("/m/") + " had its last error 301.000000 seconds ago"),
	          std::string::npos);
}

TEST_F(url_reader_backoff, rest_stops_growing_at_310_seconds)
{
	reader_rig rig(srv.refused_url("/m/"));
	for (float want : {10.f, 70.f, 130.f, 190.f, 250.f, 310.f, 310.f}) EXPECT_FLOAT_EQ(fail_at(rig, 1000), want);
	EXPECT_EQ(rig.reader->error_count, 7);
}

// Status errors and corrupt downloads are the file's fault, not the server's.
TEST_F(url_reader_backoff, only_network_errors_make_a_server_rest)
{
	srv.serve("/m/gone.bin", faulty_route(http_fault::status_404));
	srv.serve("/m/cut.bin", faulty_route(http_fault::truncate, pattern(5000), 10));
	srv.serve("/m/ok.bin", pattern(100));
	reader_rig rig(srv.url("/m/"));
	app_clock_set(1000);
	EXPECT_EQ(rig.fetch(srv.refused_url("/m/x.bin"))->err.code, 0x10000007u);
	EXPECT_TRUE(eventually([&] { return rig.resting(); }));
	rig.wake();
	for (const char* name : {"gone.bin", "cut.bin", "ok.bin"}) {
		SCOPED_TRACE(name);
		app_clock_set(5000);  // would start the count over if a rest were taken now
		rig.fetch(name);
		EXPECT_EQ(rig.reader->error_count, 1);
		EXPECT_FLOAT_EQ(rig.reader->timeout_until, 1010.f);
	}
}
