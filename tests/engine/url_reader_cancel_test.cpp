// Cancelling a reader: a rest is cut short, a transfer under way stops, and what is still queued
// comes out cancelled without reaching the network.
#include <gtest/gtest.h>

#include "support/http_fixture.h"
#include "url_reader_rig.h"

namespace {

class url_reader_cancel : public url_reader_test {
protected:
	void expect_cancelled(const encoded_ptr& got, const std::string& url, const std::vector<int>& slots)
	{
		ASSERT_TRUE(got) << "no record came out";
		EXPECT_EQ(got->err.code, err_cancelled);
		EXPECT_EQ(got->err.stage, ins_stage_download);
		EXPECT_EQ(got->err.what, url);
		EXPECT_TRUE(got->data.empty());
		EXPECT_EQ(got->source, "");
		EXPECT_EQ(got->slots, slots);
	}

	http_fixture srv;
};

// Well under the 310-second rest: only a reader that was woken gets there.
constexpr int k_long_before_rest_ends_ms = 60 * 1000;

}  // namespace

TEST_F(url_reader_cancel, wakes_a_resting_reader_and_cancels_the_queue_without_traffic)
{
	srv.serve("/m/a b.bin", pattern(1000));
	reader_rig rig(srv.url("/m/"));
	rig.reader->error_count = 5;  // a rest just ended: the next one is the longest, 310 seconds
	rig.reader->timeout_until = 1000;
	EXPECT_EQ(rig.fetch(srv.refused_url("/m/x"))->err.code, 0x10000007u);
	ASSERT_TRUE(eventually([&] { return rig.resting(); }));
	EXPECT_FLOAT_EQ(rig.reader->timeout_until, 1310.f);

	for (int i = 0; i < 3; ++i) rig.send("a b.bin", {i, i + 10});
	rig.reader->cancel();
	EXPECT_FALSE(rig.resting());  // cancel() returns once the worker is awake
	for (int i = 0; i < 3; ++i)
		expect_cancelled(rig.take(k_long_before_rest_ends_ms), srv.url("/m/a%20b.bin"), {i, i + 10});
	EXPECT_EQ(srv.total_request_count(), 0u);
}

TEST_F(url_reader_cancel, stops_a_transfer_under_way)
{
	srv.serve("/m/big.bin", faulty_route(http_fault::stall_after, pattern(100000), 4000));
	reader_rig rig(srv.url("/m/"));
	rig.send("big.bin", {7});
	ASSERT_TRUE(srv.wait_body_sent("/m/big.bin", 4000));
	rig.reader->cancel();
	expect_cancelled(rig.take(k_long_before_rest_ends_ms), srv.url("/m/big.bin"), {7});
	EXPECT_EQ(rig.reader->error_count, 0);  // cancelled, not failed: no rest
	srv.release();
}

TEST_F(url_reader_cancel, destroying_a_reader_cancels_what_it_had_not_taken)
{
	srv.serve("/m/a.bin", pattern(10));
	auto rig = std::make_unique<reader_rig>(srv.url("/m/"));
	rig->reader->error_count = 5;
	rig->reader->timeout_until = 1000;
	rig->fetch(srv.refused_url("/m/x"));
	ASSERT_TRUE(eventually([&] { return rig->resting(); }));
	rig->send("a.bin", {1});
	// The end marker goes in behind the request; the woken worker cancels the request first.
	rig->reader.reset();
	expect_cancelled(rig->take(0), srv.url("/m/a.bin"), {1});
	EXPECT_EQ(srv.total_request_count(), 0u);
}
