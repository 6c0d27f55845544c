// The download-rate meter (its statistics and the recent rate over the ring) and how a reader
// feeds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "support/http_fixture.h"
#include "url_reader_rig.h"

namespace {

struct meter_case {
	const char* name;
	std::vector<std::pair<float, float>> samples;  // (seconds, kilobytes), running totals
	float n, mean, m2;
	float recent;  // over the intervals still in a ring of 4
};

// Population-style check of the statistics: the mean and the sum of squared deviations.
meter_case stats_case(const char* name, std::vector<std::pair<float, float>> samples, float recent)
{
	std::vector<float> rates;
	for (size_t i = 1; i < samples.size(); ++i)
		if (samples[i].first != samples[i - 1].first)
			rates.push_back((samples[i].second - samples[i - 1].second) / (samples[i].first - samples[i - 1].first));
	float mean = 0, m2 = 0;
	for (float r : rates) mean += r / rates.size();
	for (float r : rates) m2 += (r - mean) * (r - mean);
	return {name, std::move(samples), static_cast<float>(rates.size()), mean, m2, recent};
}

}  // namespace

TEST(rate_meter, statistics_and_recent_rate)
{
	const meter_case cases[] = {
	    {"one_sample", {{0, 0}}, 0, 0, 0, -1},
	    {"one_interval", {{0, 0}, {2, 10}}, 1, 5, 0, 5},
	    // 10, 10 and 0 kB/s.
	    {"three_intervals", {{0, 0}, {1, 10}, {3, 30}, {4, 30}}, 3, 20.f / 3, 200.f / 3, 20.f / 3},
	    // The second (2, ...) has no interval and is not kept.
	    {"same_time_ignored", {{0, 0}, {2, 10}, {2, 50}, {4, 30}}, 2, 7.5f, 12.5f, 7.5f},
	    // Statistics cover every interval; the recent rate only the last 3 (ring of 4): 40, 40, 100.
	    stats_case("ring_wraps", {{0, 0}, {1, 1}, {2, 3}, {3, 13}, {4, 53}, {5, 93}, {6, 193}}, 60),
	};
	for (const meter_case& c : cases) {
		SCOPED_TRACE(c.name);
		rate_meter<4> m;
		for (auto [t, kb] : c.samples) m.add_rate_sample(t, kb);
		float n, mean, m2;
		m.get_stats(n, mean, m2);
		EXPECT_FLOAT_EQ(n, c.n);
		EXPECT_NEAR(mean, c.mean, 1e-4);
		EXPECT_NEAR(m2, c.m2, 1e-2);
		UTL_cs_guard g(&m.lock);
		EXPECT_NEAR(m.recent_rate_locked(), c.recent, 1e-4);
	}
}

class url_reader_rate : public url_reader_test {
protected:
	http_fixture srv;
};

TEST_F(url_reader_rate, reader_counts_every_transfer)
{
	srv.serve("/m/4k.bin", pattern(4000));
	srv.serve("/m/12k.bin", pattern(12000));
	srv.serve("/m/gone.bin", faulty_route(http_fault::status_404));
	reader_rig rig(srv.url("/m/"));
	EXPECT_EQ(rig.reader->get_dl_rate_now(), 0.f);  // nothing fetched yet
	EXPECT_EQ(rig.reader->meter.count, 1);           // the (0, 0) start

	rig.fetch("4k.bin");
	float kb, seconds;
	rig.reader->get_totals(kb, seconds);
	EXPECT_FLOAT_EQ(kb, 4.0f);
	ASSERT_GT(seconds, 0.f);
	// One interval: the recent rate is the whole transfer's.
	EXPECT_NEAR(rig.reader->get_dl_rate_now(), kb / seconds, 1e-3 * kb / seconds);

	rig.fetch("gone.bin");  // the error page still counts as received bytes
	rig.fetch("12k.bin");
	float kb2, seconds2;
	rig.reader->get_totals(kb2, seconds2);
	EXPECT_FLOAT_EQ(kb2, 4.0f + 0.010f + 12.0f);  // "error page" is 10 bytes
	float n, mean, m2;
	rig.reader->meter.get_stats(n, mean, m2);
	EXPECT_EQ(n, 3.f);
	EXPECT_EQ(rig.reader->meter.count, 4);
	// The recent rate is the mean of the three interval rates, so it is their statistics' mean.
	EXPECT_NEAR(rig.reader->get_dl_rate_now(), mean, 1e-3 * mean);
	EXPECT_GT(mean, 0.f);
}
