#include "core/thread/THREAD_kit.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/alert.h"
#include "log_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string rule = "+" + std::string(79, '-');

// The messages of the log's lines, without their time and level prefix.
std::vector<std::string> sys_messages(const std::string& text)
{
	std::vector<std::string> out;
	const std::string marker = " E/SYS: ";
	size_t pos = 0;
	while (pos < text.size()) {
		size_t end = text.find('\n', pos);
		if (end == std::string::npos)
			end = text.size();
		std::string line = text.substr(pos, end - pos);
		size_t m = line.find(marker);
		if (m != std::string::npos)
			out.push_back(line.substr(m + marker.size()));
		pos = end + 1;
	}
	return out;
}

std::vector<std::string> box(std::vector<std::string> lines, const std::string& location)
{
	std::vector<std::string> out{rule};
	for (const std::string& l : lines)
		out.push_back("| " + l);
	out.push_back("| " + location);
	out.push_back(rule);
	return out;
}

// What the seams saw.
struct seen_t {
	std::vector<std::string> gui_lines;
	int gui_mode = -1;
	std::string gui_location;
	int gui_calls = 0;
	bool gui_result = true;
	bool gui_reenters = false;
	std::vector<std::string> standard_texts;
	int quits = 0;
};
seen_t g_seen;

bool fake_gui(const std::string lines[4], RADAVI_alert_mode_t mode, const std::string& location)
{
	++g_seen.gui_calls;
	g_seen.gui_lines.assign(lines, lines + 4);
	g_seen.gui_mode = mode;
	g_seen.gui_location = location;
	if (g_seen.gui_reenters)
		RADAVI_alert("nested", "", "", "", alert_mode_warning);
	return g_seen.gui_result;
}
void fake_standard(const std::string& text)
{
	g_seen.standard_texts.push_back(text);
	fprintf(stderr, "standard alert: %s\n", text.c_str());
}
void fake_quit()
{
	++g_seen.quits;
	fprintf(stderr, "quit seam ran\n");
}

class alert_test : public log_file_test {
protected:
	void SetUp() override
	{
		log_file_test::SetUp();
		g_seen = seen_t();
		set_args({});
		alert_set_gui(nullptr);
		alert_set_standard(fake_standard);
		alert_set_quit(fake_quit);
	}
	void TearDown() override
	{
		alert_set_gui(nullptr);
		alert_set_standard(nullptr);
		alert_set_quit(nullptr);
		cmdline.clear();
		log_file_test::TearDown();
	}
	static void set_args(std::vector<const char*> args)
	{
		args.insert(args.begin(), "skyvane-installer");
		cmdline.clear();
		cmdline.parse(static_cast<int>(args.size()), args.data());
	}
	std::vector<std::string> logged() const { return sys_messages(file()); }
};

struct quiet_case {
	const char* name;
	std::vector<const char*> args;
	std::vector<std::string> lines;
};

class alert_disabled : public alert_test, public ::testing::WithParamInterface<quiet_case> {};

TEST_P(alert_disabled, warning_only_writes_the_box_to_the_log)
{
	const quiet_case& c = GetParam();
	set_args(c.args);
	ASSERT_TRUE(cmdline.no_alerts());
	alert_set_gui(fake_gui);
	const int line = __LINE__ + 1;
	RADAVI_alert(c.lines[0], c.lines[1], c.lines[2], c.lines[3], alert_mode_warning);
	EXPECT_EQ(logged(), box(c.lines, "(thread_alert_test.cpp:" + std::to_string(line) + ")"));
	EXPECT_EQ(g_seen.gui_calls, 0);
	EXPECT_TRUE(g_seen.standard_texts.empty());
	EXPECT_EQ(g_seen.quits, 0);
}

INSTANTIATE_TEST_SUITE_P(
    cases, alert_disabled,
    ::testing::Values(quiet_case{"fps_test", {"--fps_test"}, {"Disk full", "Free some space", "", ""}},
                      quiet_case{"qa_script", {"--qa_script=run.txt"}, {"a", "b", "c", "d"}},
                      quiet_case{"make_previews", {"--make_previews"}, {"", "", "", ""}},
                      quiet_case{"percent_signs_kept", {"--script=x"}, {"100%", "%s %d", "", ""}}),
    [](const ::testing::TestParamInfo<quiet_case>& i) { return std::string(i.param.name); });

struct fatal_quiet_case {
	const char* name;
	RADAVI_alert_mode_t mode;
};

class alert_disabled_fatal : public alert_test, public ::testing::WithParamInterface<fatal_quiet_case> {};

TEST_P(alert_disabled_fatal, logs_then_exits_with_failure)
{
	set_args({"--fps_test"});
	const int line = __LINE__ + 1;
	EXPECT_EXIT(RADAVI_alert("Fatal trouble", "", "", "", GetParam().mode), ::testing::ExitedWithCode(1), "");
	EXPECT_EQ(logged(), box({"Fatal trouble", "", "", ""}, "(thread_alert_test.cpp:" + std::to_string(line) + ")"));
}

INSTANTIATE_TEST_SUITE_P(cases, alert_disabled_fatal,
                         ::testing::Values(fatal_quiet_case{"fatal", alert_mode_fatal},
                                           fatal_quiet_case{"fatal_loc", alert_mode_fatal_loc}),
                         [](const ::testing::TestParamInfo<fatal_quiet_case>& i) { return std::string(i.param.name); });

TEST_F(alert_test, warning_shows_in_the_toolkit_and_is_logged)
{
	alert_set_gui(fake_gui);
	const int line = __LINE__ + 1;
	RADAVI_alert("one", "two", "three", "http://example.invalid/help", alert_mode_warning);
	const std::string location = "(thread_alert_test.cpp:" + std::to_string(line) + ")";
	EXPECT_EQ(g_seen.gui_calls, 1);
	EXPECT_EQ(g_seen.gui_lines, (std::vector<std::string>{"one", "two", "three", "http://example.invalid/help"}));
	EXPECT_EQ(g_seen.gui_mode, alert_mode_warning);
	EXPECT_EQ(g_seen.gui_location, location);
	EXPECT_TRUE(g_seen.standard_texts.empty());
	EXPECT_EQ(logged(), box({"one", "two", "three", "http://example.invalid/help"}, location));
}

TEST_F(alert_test, language_choice_is_not_logged)
{
	alert_set_gui(fake_gui);
	RADAVI_alert("Choose", "", "", "", alert_mode_lang);
	EXPECT_EQ(g_seen.gui_mode, alert_mode_lang);
	EXPECT_TRUE(logged().empty());
}

struct fallback_case {
	const char* name;
	bool register_gui;
	bool gui_result;
};

class alert_fallback : public alert_test, public ::testing::WithParamInterface<fallback_case> {};

TEST_P(alert_fallback, uses_the_platform_alert_when_the_toolkit_cannot)
{
	if (GetParam().register_gui)
		alert_set_gui(fake_gui);
	g_seen.gui_result = GetParam().gui_result;
	RADAVI_alert("a", "b", "", "d", alert_mode_warning);
	EXPECT_EQ(g_seen.standard_texts, std::vector<std::string>{"a\nb\n\nd"});
	EXPECT_EQ(g_seen.quits, 0);
	EXPECT_EQ(logged().size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(cases, alert_fallback,
                         ::testing::Values(fallback_case{"no_toolkit_yet", false, true},
                                           fallback_case{"toolkit_declines", true, false}),
                         [](const ::testing::TestParamInfo<fallback_case>& i) { return std::string(i.param.name); });

struct fatal_case {
	const char* name;
	RADAVI_alert_mode_t mode;
	int status;
};

class alert_fatal : public alert_test, public ::testing::WithParamInterface<fatal_case> {};

TEST_P(alert_fatal, quits_then_exits_with_its_status)
{
	alert_set_gui(fake_gui);
	EXPECT_EXIT(RADAVI_alert("Cannot go on", "", "", "", GetParam().mode), ::testing::ExitedWithCode(GetParam().status),
	            "quit seam ran");
	EXPECT_EQ(logged().size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(cases, alert_fatal,
                         ::testing::Values(fatal_case{"fatal", alert_mode_fatal, 0},
                                           fatal_case{"fatal_loc", alert_mode_fatal_loc, 1}),
                         [](const ::testing::TestParamInfo<fatal_case>& i) { return std::string(i.param.name); });

TEST_F(alert_test, alert_raised_while_one_shows_uses_the_platform_alert_and_quits)
{
	alert_set_gui(fake_gui);
	g_seen.gui_reenters = true;
	EXPECT_EXIT(RADAVI_alert("outer", "", "", "", alert_mode_warning), ::testing::ExitedWithCode(1),
	            "standard alert: nested\n\n\n(.|\n)*quit seam ran");
	const std::vector<std::string> lines = logged();
	ASSERT_FALSE(lines.empty());
	EXPECT_EQ(lines[1], "| nested");
}

TEST_F(alert_test, alert_on_a_launched_thread_is_queued_not_shown)
{
	THREAD_init();
	alert_set_gui(fake_gui);
	UTL_thread_handle h{}, id1{}, id2{};
	THREAD_create(
	    [](void*) -> void* {
		    RADAVI_alert("from a worker", "", "", "", alert_mode_warning);
		    return nullptr;
	    },
	    nullptr, &h, &id1, &id2, 0);
	UTL_thread_join(h);
	EXPECT_EQ(g_seen.gui_calls, 0);
	EXPECT_TRUE(logged().empty());
	const std::vector<exce_class> q = THREAD_queued_warnings();
	ASSERT_EQ(q.size(), 1u);
	EXPECT_EQ(q[0].msg1, "from a worker");
	::testing::internal::CaptureStdout();
	THREAD_shutdown();
	::testing::internal::GetCapturedStdout();
}

}  // namespace
