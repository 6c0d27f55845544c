// How usage-data hits travel: nothing without consent, one transfer at a time with later hits
// waiting their turn in order, a failed hit dropped (never retried) and the next one sent, and the
// start-up wiring that sends every run's end.
#include "app/Installer-f/engine/install_driver.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/analytics_fixture.h"
#include "app/steps_fixture.h"
#include "core/installer/sim_info.h"

namespace {

using analytics_send = analytics_test;

TEST_F(analytics_send, without_consent_nothing_is_queued_or_sent)
{
	stg.send_analytics = 0;
	ins_analytics_recorder& r = make_recorder();
	r.start_session("Skyvane", "Skyvane Installer 4.01r1");
	r.finished_download(dl_stats(), sim_info_struct(), true, 0, 0);
	EXPECT_TRUE(idle());
	EXPECT_FALSE(r.has_started_session());
	EXPECT_EQ(collector.total_request_count(), 0u);

	// Consent is read at every hit.
	stg.send_analytics = 1;
	r.finished_download(dl_stats(), sim_info_struct(), true, 0, 0);
	ASSERT_TRUE(pump([this] { return idle(); }));
	EXPECT_EQ(collector.request_count("/collect"), 1u);
}

TEST_F(analytics_send, hits_queued_during_a_transfer_follow_in_order)
{
	http_route held;
	held.body = std::string(64, 'g');
	held.fault = http_fault::stall_after;
	held.fault_bytes = 10;
	held.faulty_requests = 1;
	collector.serve("/collect", held);

	ins_analytics_recorder& r = make_recorder();
	r.log_event("first", {});
	ASSERT_TRUE(collector.wait_body_sent("/collect", 10));
	r.log_event("second", {});
	r.log_event("third", {});
	EXPECT_EQ(r.queued_hits().size(), 3u);
	// The loop runs while the first is still held; the others wait.
	for (int i = 0; i < 20; ++i)
		UTL_runloop_run(100, 1000000);
	EXPECT_EQ(collector.request_count("/collect"), 1u) << "one request at a time";
	EXPECT_EQ(r.queued_hits().size(), 3u);

	collector.release();  // the first ends broken, which changes nothing for the others
	ASSERT_TRUE(pump([this] { return idle(); }));
	const auto got = bodies();
	ASSERT_EQ(got.size(), 3u);
	const char* order[] = {"&ec=first&", "&ec=second&", "&ec=third&"};
	for (int i = 0; i < 3; ++i)
		EXPECT_NE(got[i].find(order[i]), std::string::npos) << i << ": " << got[i];
}

TEST_F(analytics_send, a_failed_hit_is_dropped_and_the_next_sent)
{
	const struct {
		const char* what;
		bool refuse;  // else the collector answers 500 once
	} cases[] = {{"connection refused", true}, {"server error", false}};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.what);
		http_fixture srv;
		http_route route;
		route.body = "ok";
		if (!c.refuse) {
			route.fault = http_fault::status_500;
			route.faulty_requests = 1;
		}
		srv.serve("/collect", route);
		point_at(c.refuse ? srv.refused_host() : srv.host());
		ins_analytics_recorder& r = make_recorder();
		r.log_event("lost", {});
		point_at(srv.host());  // the next hit goes to a collector that answers
		r.log_event("kept", {});
		ASSERT_TRUE(pump([this] { return idle(); }));
		std::vector<std::string> got;
		for (const http_request_record& rec : srv.requests("/collect"))
			got.push_back(rec.body.substr(rec.body.find("&ec=")));
		std::vector<std::string> want;
		if (!c.refuse)
			want.push_back("&ec=lost&el=lost");
		want.push_back("&ec=kept&el=kept");
		EXPECT_EQ(got, want) << "the failed hit is sent once, never again";
		recorder.reset();
	}
}

TEST_F(analytics_send, stopping_cancels_the_transfer_and_discards_the_queue)
{
	http_route held;
	held.body = std::string(64, 'g');
	held.fault = http_fault::stall_after;
	held.fault_bytes = 10;
	collector.serve("/collect", held);
	ins_analytics_recorder& r = make_recorder();
	r.log_event("first", {});
	r.log_event("second", {});
	ASSERT_TRUE(collector.wait_body_sent("/collect", 10));
	r.stop_sending();
	EXPECT_TRUE(idle());
	r.log_event("after", {});
	r.start_session("Skyvane", "Skyvane Installer 4.01r1");
	EXPECT_TRUE(idle());
	for (int i = 0; i < 5; ++i)
		UTL_runloop_run(100, 1000000);
	EXPECT_EQ(collector.request_count("/collect"), 1u);
}

// The start-up hook: the one recorder, the session when consent is set, every run's end reported.
TEST_F(analytics_send, start_up_wiring)
{
	ins_analytics_start();
	ASSERT_NE(g_analytics, nullptr);
	ins_analytics_recorder* first = g_analytics;
	ASSERT_TRUE(pump([] { return g_analytics->queued_hits().empty() && !g_analytics->is_sending(); }));
	ASSERT_EQ(collector.request_count("/collect"), 1u);
	EXPECT_NE(bodies()[0].find("&ea=Start_Session"), std::string::npos);

	step_wizard w;
	auto* run = w.finish(new any_run_install(&w, 0, {}, ins_install_scenery));
	run->dump_stats(false);
	ASSERT_TRUE(pump([] { return g_analytics->queued_hits().empty() && !g_analytics->is_sending(); }));
	ASSERT_EQ(collector.request_count("/collect"), 2u);
	EXPECT_NE(bodies()[1].find("&ec=Ended%20Download&"), std::string::npos) << bodies()[1];
	EXPECT_NE(bodies()[1].find("&cd11=Incomplete&"), std::string::npos) << bodies()[1];
	EXPECT_NE(bodies()[1].find("&cd13=Add/Remove%20Scenery&"), std::string::npos) << bodies()[1];

	stg.send_analytics = 0;
	ins_analytics_start();
	EXPECT_EQ(g_analytics, first) << "made once, never replaced";
	EXPECT_TRUE(g_analytics->queued_hits().empty()) << "no session without consent";
	set_finished_download_reporter(nullptr);
}

}  // namespace
