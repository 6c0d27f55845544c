// What the usage-data hits say: the session start and the "Ended Download" event byte for byte as
// the collector receives them, the buckets, the dimension encoding, the language code and the
// anonymous client identifier.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <limits>

#include "app/Installer-f/engine/install_driver.h"
#include "app/analytics_fixture.h"
#include "core/installer/sim_info.h"
#include "core/ui/translate.h"

namespace {

using analytics_payload = analytics_test;

TEST_F(analytics_payload, session_start_as_the_collector_receives_it)
{
	make_recorder().start_session("Skyvane", "Skyvane Installer 4.01r1");
	ASSERT_TRUE(pump([this] { return idle(); }));
	const auto got = collector.requests("/collect");
	ASSERT_EQ(got.size(), 1u);
	EXPECT_EQ(got[0].method, "POST");
	EXPECT_EQ(got[0].content_type, "application/x-www-form-urlencoded");
	EXPECT_EQ(got[0].body, boilerplate() + "&t=event&sc=start&ni=1&ec=Session_Control&ea=Start_Session" +
	                           computer_dims());
	EXPECT_TRUE(recorder->has_started_session());
}

TEST_F(analytics_payload, ended_download_as_the_collector_receives_it)
{
	dl_stats s;
	s.files_installed = 250;
	s.tickets_done = 7;
	s.kb_done = 52428.8f;  // 51 MB
	s.seconds = 2700;      // 45 minutes
	s.rate_mean = 1234.5f;
	s.rate_stddev = 0.5f;
	s.error_count = 12;
	sim_info_struct info;
	info.source = ins_src_net_full;
	make_recorder().start_session("Skyvane", "Skyvane Installer 4.01r1");  // names the application
	recorder->finished_download(s, info, true, 23, 0);
	ASSERT_TRUE(pump([this] { return idle(); }));
	ASSERT_EQ(bodies().size(), 2u);
	EXPECT_EQ(bodies()[1], boilerplate() +
	                       "&t=event&ea=app_action&ec=Ended%20Download&el=Ended%20Download"
	                       "&cd1=100%20-%20999&cd2=1%20-%209&cd3=10%20-%2099&cd4=30%20-%2059"
	                       "&cd5=1000%20-%209999&cd6=0&cd7=10%20-%2099&cd8=Full&cd9=CDN"
	                       "&cd11=Complete&cd12=20%20-%2029&cd13=New%20Install" +
	                       computer_dims());
}

TEST_F(analytics_payload, a_run_that_downloaded_nothing_still_reports)
{
	sim_info_struct info;
	info.source = ins_src_net;
	make_recorder().start_session("Skyvane", "Skyvane Installer 4.01r1");
	recorder->finished_download(dl_stats(), info, false, 0, 1);
	ASSERT_TRUE(pump([this] { return idle(); }));
	ASSERT_EQ(bodies().size(), 2u);
	EXPECT_EQ(bodies()[1], boilerplate() +
	                       "&t=event&ea=app_action&ec=Ended%20Download&el=Ended%20Download"
	                       "&cd1=0&cd2=0&cd3=0&cd4=0%20-%2029&cd5=0&cd6=0&cd7=0&cd8=Full"
	                       "&cd9=Net&cd11=Incomplete&cd12=0&cd13=Update" +
	                       computer_dims());
}

// Unknown display sizes and renderer, another language, no client identifier.
TEST_F(analytics_payload, without_client_id_the_event_is_dropped_and_the_session_has_no_cid)
{
	ga_set_client_id_source([] { return std::string(); });
	ga_set_window_size_source(nullptr);
	ga_set_monitor_size_source([](int& w, int& h) { w = -1, h = 5; });
	ga_set_gpu_renderer("");
	UTL_set_lang_index(3);
	make_recorder().finished_download(dl_stats(), sim_info_struct(), true, 0, 0);
	EXPECT_TRUE(idle()) << "an event without a client identifier is not queued";
	recorder->start_session("Skyvane", "Skyvane Installer 4.01r1");
	ASSERT_TRUE(pump([this] { return idle(); }));
	EXPECT_EQ(bodies(), std::vector<std::string>{
	                        "v=1&tid=UA-1-2&an=Skyvane&av=Skyvane Installer 4.01r1&vp=0x0&ul=ru&sr=0x0"
	                        "&t=event&sc=start&ni=1&ec=Session_Control&ea=Start_Session"
	                        "&cd16=Linux&cd17=Test%20CPU%203000%20-%20Speed:%202.50%20GHz%20-%20Cores:%204&cd19=8"});
}

TEST(analytics_buckets, table)
{
	const double nan = std::numeric_limits<double>::quiet_NaN();
	const struct {
		const char* what;
		std::string (*bucket)(double);
		double in;
		const char* want;
	} cases[] = {
		{"decade", ga_decade_bucket, 0, "0"},
		{"decade", ga_decade_bucket, 0.5, "0"},
		{"decade", ga_decade_bucket, 1, "1 - 9"},
		{"decade", ga_decade_bucket, 7, "1 - 9"},
		{"decade", ga_decade_bucket, 9.99, "1 - 9"},
		{"decade", ga_decade_bucket, 10, "10 - 99"},
		{"decade", ga_decade_bucket, 250, "100 - 999"},
		{"decade", ga_decade_bucket, 999, "100 - 999"},
		{"decade", ga_decade_bucket, 1000, "1000 - 9999"},
		{"decade", ga_decade_bucket, 1e6, "1000000 - 9999999"},
		{"decade", ga_decade_bucket, -3, "0"},
		{"decade", ga_decade_bucket, nan, "0"},
		{"decade", ga_decade_bucket, 1e300, "100000000000000000 - 999999999999999999"},
		{"DL Time", ga_dl_time_bucket, 0, "0 - 29"},
		{"DL Time", ga_dl_time_bucket, 29 * 60 + 59, "0 - 29"},
		{"DL Time", ga_dl_time_bucket, 30 * 60, "30 - 59"},
		{"DL Time", ga_dl_time_bucket, 45 * 60, "30 - 59"},
		{"DL Time", ga_dl_time_bucket, 60 * 60, "60 - 89"},
		{"DL Time", ga_dl_time_bucket, -5, "0 - 29"},
		{"fatal", [](double n) { return ga_fatal_error_bucket(static_cast<int>(n)); }, 0, "0"},
		{"fatal", [](double n) { return ga_fatal_error_bucket(static_cast<int>(n)); }, 1, "1 - 9"},
		{"fatal", [](double n) { return ga_fatal_error_bucket(static_cast<int>(n)); }, 9, "1 - 9"},
		{"fatal", [](double n) { return ga_fatal_error_bucket(static_cast<int>(n)); }, 10, "10 - 19"},
		{"fatal", [](double n) { return ga_fatal_error_bucket(static_cast<int>(n)); }, 23, "20 - 29"},
		{"fatal", [](double n) { return ga_fatal_error_bucket(static_cast<int>(n)); }, 100, "100 - 109"},
		{"fatal", [](double n) { return ga_fatal_error_bucket(static_cast<int>(n)); }, -1, "0"},
		{"Total MB", [](double kb) { event_data_ins e; e.set_total_kb(kb); return e.to_map()["Total MB"]; }, 1023.9, "0"},
		{"Total MB", [](double kb) { event_data_ins e; e.set_total_kb(kb); return e.to_map()["Total MB"]; }, 1024, "1 - 9"},
		{"Total MB", [](double kb) { event_data_ins e; e.set_total_kb(kb); return e.to_map()["Total MB"]; }, 10240, "10 - 99"},
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.bucket(c.in), c.want) << c.what << " of " << c.in;
}

TEST(analytics_labels, sources_install_types_and_editions)
{
	const char* sources[] = {"None", "Net", "DVD", "CDN"};
	for (int i = 0; i < 4; ++i)
		EXPECT_STREQ(ga_dl_source_label(i), sources[i]);
	EXPECT_STREQ(ga_dl_source_label(4), "");
	const char* types[] = {"New Install", "Update", "Add/Remove Scenery"};
	for (int i = 0; i < 3; ++i)
		EXPECT_STREQ(ga_installation_type_label(i), types[i]);
	EXPECT_STREQ(ga_installation_type_label(-1), "");
	EXPECT_STREQ(ga_installation_type_label(3), "");

	const struct {
		ins_data_src source;
		int type;
		const char* want;
	} editions[] = {
		{ins_src_net, 0, "Demo"},       {ins_src_net, 1, "Full"},      {ins_src_net, 2, "Full"},
		{ins_src_net_full, 0, "Full"},  {ins_src_net_full, 2, "Full"}, {ins_src_dvd, 0, "Full"},
		{ins_src_none, 0, "Unknown"},   {ins_src_none, 1, "Unknown"},
	};
	for (const auto& e : editions) {
		sim_info_struct info;
		info.source = e.source;
		EXPECT_STREQ(ins_product_type_label(info, e.type), e.want) << e.source << " " << e.type;
	}
}

TEST(analytics_dimensions, table_order_encoding_and_empty_values)
{
	google_analytics_desktop_ins client("UA-1-2", false);
	ga_params p{{"RAM Class", "16"},        {"DL Source", "Net"},    {"Platform", "Linux"},
	            {"CPU Class", "Some CPU  x"}, {"Product Type", ""},    {"Screen", "Main Menu"},
	            {"Not A Dimension", "zzz"},   {"File Count", "1 - 9"}, {"GPU Class", "R&D 50%+ =#1"}};
	std::string payload = "v=1";
	client.append_custom_dimensions_to_url(p, payload);
	EXPECT_EQ(payload, "v=1&cd1=1%20-%209&cd9=Net&cd10=Main%20Menu&cd16=Linux&cd17=Some%20CPU%20%20x"
	                   "&cd18=R%26D%2050%25%2B%20%3D%231&cd19=16");
	EXPECT_TRUE(client.queued_hits().empty());
}

TEST(analytics_language, iso_639_codes_by_index)
{
	const struct {
		int index;
		const char* code;
	} cases[] = {{0, "en"}, {1, "fr"}, {2, "de"}, {3, "ru"}, {4, "it"}, {5, "es"},
	             {6, "pt"}, {7, "ja"}, {8, "en"}, {-1, "en"}};
	for (const auto& c : cases)
		EXPECT_STREQ(UTL_get_iso_639_language_code(c.index), c.code) << c.index;
}

TEST(analytics_client_id, uuid_like_stable_and_not_the_machine_id)
{
	std::string raw;
	std::ifstream("/etc/machine-id") >> raw;
	const std::string id = ga_machine_client_id();
	if (raw.size() != 32) {
		EXPECT_EQ(id, "") << "no machine id, no client identifier";
		return;
	}
	ASSERT_EQ(id.size(), 36u) << id;
	for (size_t i = 0; i < id.size(); ++i) {
		if (i == 8 || i == 13 || i == 18 || i == 23)
			EXPECT_EQ(id[i], '-') << id;
		else
			EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(id[i])) && !std::isupper(id[i])) << id;
	}
	std::string hex = id;
	hex.erase(std::remove(hex.begin(), hex.end(), '-'), hex.end());
	EXPECT_NE(hex, raw) << "the raw machine id must never be sent";
	EXPECT_EQ(ga_machine_client_id(), id);
	EXPECT_EQ(ga_client_id(), id) << "without a source set, hits carry the machine's identifier";
}

}  // namespace
