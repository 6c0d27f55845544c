// Command-line parsing, the no-alerts switch, the command table and the options that print and exit.
#include "core/ui/UTL_cmdline.h"
#include "core/ui/UTL_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

UTL_cmdline parsed(std::vector<std::string> args)
{
	args.insert(args.begin(), "skyvane-installer");
	std::vector<const char*> argv;
	for (const std::string& a : args)
		argv.push_back(a.c_str());
	UTL_cmdline c;
	c.parse(static_cast<int>(argv.size()), argv.data());
	return c;
}

struct parse_case {
	const char* name;
	std::vector<std::string> args;
	UTL_cmdline::dictionary expected;
};

class cmdline_parse : public ::testing::TestWithParam<parse_case> {};

TEST_P(cmdline_parse, fills_the_dictionary)
{
	UTL_cmdline::dictionary got;
	parsed(GetParam().args).get_options(got);
	EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
	rules, cmdline_parse,
	::testing::Values(
		parse_case{"quoted_value_unquoted", {"--lang=\"de\""}, {{"--lang", "de"}}},
		parse_case{"lone_opening_quote_kept", {"--lang=\"de"}, {{"--lang", "\"de"}}},
		parse_case{"lone_closing_quote_kept", {"--lang=de\""}, {{"--lang", "de\""}}},
		parse_case{"single_quote_char_kept", {"--lang=\""}, {{"--lang", "\""}}},
		parse_case{"empty_quotes_give_empty", {"--lang=\"\""}, {{"--lang", ""}}},
		parse_case{"no_equals_empty_value", {"--unattended"}, {{"--unattended", ""}}},
		parse_case{"split_at_first_equals", {"--pref:_x=a=b"}, {{"--pref:_x", "a=b"}}},
		parse_case{"repeated_key_last_wins", {"--lang=fr", "--lang=de"}, {{"--lang", "de"}}},
		parse_case{"option_and_value_apart_are_two_keys", {"--os", "LIN"}, {{"--os", ""}, {"LIN", ""}}},
		parse_case{"positional_arguments_are_keys", {"-path", "/Apps/Sim/"}, {{"-path", ""}, {"/Apps/Sim/", ""}}},
		parse_case{"empty_key_skipped", {"=x", ""}, {}},
		parse_case{"nothing", {}, {}}),
	[](const ::testing::TestParamInfo<parse_case>& p) { return std::string(p.param.name); });

TEST(cmdline, has_and_get_option)
{
	UTL_cmdline c = parsed({"--os=LIN", "--flag"});
	EXPECT_EQ(c.has_option("--os"), 1);
	EXPECT_EQ(c.get_option("--os"), "LIN");
	EXPECT_EQ(c.has_option("--flag"), 1);
	EXPECT_EQ(c.get_option("--flag"), "");
	EXPECT_EQ(c.has_option("--absent"), 0);
	EXPECT_EQ(c.get_option("--absent"), "");
}

TEST(cmdline, no_alerts)
{
	struct {
		std::vector<std::string> args;
		int expected;
	} cases[] = {
		{{}, 0},
		{{"--fps_test=3"}, 1},
		{{"--qa_script=a.txt"}, 1},
		{{"--script"}, 1},
		{{"--make_previews"}, 1},
		{{"--fps", "--qa", "--version"}, 0},
	};
	for (const auto& c : cases)
		EXPECT_EQ(parsed(c.args).no_alerts() != 0, c.expected != 0) << ::testing::PrintToString(c.args);

	UTL_cmdline forced = parsed({});
	forced.force_no_alerts();
	EXPECT_NE(forced.no_alerts(), 0);
	forced.clear();
	EXPECT_EQ(forced.no_alerts(), 0);
}

TEST(command_table, fixed_entries_and_registration)
{
	EXPECT_EQ(UTL_command_find("sim/none/none"), 0);
	EXPECT_EQ(UTL_command_find("sim/operation/quit"), 1);
	EXPECT_EQ(UTL_command_table()[1].description, "Quit");
	EXPECT_EQ(UTL_command_find("test/cmdline/absent"), -1);

	int added = UTL_command_register("test/cmdline/beep", "Beep");
	EXPECT_GE(added, 7);
	EXPECT_EQ(UTL_command_find("test/cmdline/beep"), added);
	EXPECT_EQ(UTL_command_register("test/cmdline/beep", "Other text"), added);
	EXPECT_EQ(UTL_command_table()[added].description, "Beep");
}

TEST(command_table, list_under_a_path)
{
	const std::vector<std::string> operation = {
		"sim/operation/make_current_aircraft_icons", "sim/operation/make_missing_icons",
		"sim/operation/make_single_icon", "sim/operation/quit", "sim/operation/screenshot",
		"sim/operation/show_menu"};
	struct {
		const char* path;
		std::vector<std::string> expected;
	} cases[] = {
		{"sim/operation", operation},
		{"sim/operation/", operation},
		{"sim/operation/quit", {"sim/operation/quit"}},
		{"sim/oper", {}},
		{"nothing/here", {}},
	};
	for (const auto& c : cases) {
		std::vector<std::string> names;
		for (const UTL_command& cmd : UTL_command_list_under(c.path))
			names.push_back(cmd.name);
		EXPECT_EQ(names, c.expected) << c.path;
	}
	EXPECT_GE(UTL_command_list_under("").size(), 7u);
}

// The immediate options end the process. The child (a re-run of this binary) writes standard
// output to a file named after the parent's process id, which the test then reads whole.
std::string out_path_for(pid_t parent) { return "/tmp/sky_cmdline_out." + std::to_string(parent); }

class immediate_options : public ::testing::Test {
protected:
	void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
	void TearDown() override { std::remove(out_path_for(getpid()).c_str()); }

	std::string run(const std::vector<std::string>& args)
	{
		std::remove(out_path_for(getpid()).c_str());
		UTL_cmdline c = parsed(args);
		EXPECT_EXIT(
			{
				if (!std::freopen(out_path_for(getppid()).c_str(), "w", stdout))
					std::_Exit(98);
				c.init_common();
				std::_Exit(99);  // init_common returned
			},
			::testing::ExitedWithCode(0), "");
		std::ifstream in(out_path_for(getpid()));
		std::ostringstream ss;
		ss << in.rdbuf();
		return ss.str();
	}
};

TEST_F(immediate_options, print_and_exit_in_order)
{
	const std::string version = "Skyvane Installer 4.01r1\n";
	EXPECT_EQ(run({"--version"}), version);
	EXPECT_EQ(run({"--help", "--version"}), version);  // --version is checked before help

	std::string cmnds = run({"--cmnds=all", "--version"});
	EXPECT_EQ(cmnds.rfind("sim/none/none", 0), 0u) << cmnds;
	EXPECT_NE(cmnds.find("sim/operation/quit" + std::string(33, ' ') + "Quit\n"), std::string::npos) << cmnds;

	std::string under = run({"--cmnds=sim/operation"});
	EXPECT_EQ(under.rfind("sim/operation/make_current_aircraft_icons ", 0), 0u) << under;
	EXPECT_EQ(under.find("sim/none/none"), std::string::npos) << under;

	EXPECT_EQ(run({"--fps_test=1", "-h"}).rfind("FRAMERATE TEST", 0), 0u);
}

TEST_F(immediate_options, usage_text_sections)
{
	for (const char* opt : {"-h", "--help"}) {
		std::string usage = run({opt});
		EXPECT_EQ(usage.rfind("Usage: Skyvane [options...]\n", 0), 0u) << opt;
		for (const char* must : {"--no_sound", "--missing_strings", "--lang=<lang code>", "--allow_rosetta",
		                         "--pref:<key>=<value>", "--dref:<ref>=<value>", "--fps_test=n",
		                         "--require_fps=n", "--qa_script=<file>"})
			EXPECT_NE(usage.find(must), std::string::npos) << must;
	}
}

TEST_F(immediate_options, other_options_let_start_up_continue)
{
	for (const std::vector<std::string>& args :
	     {std::vector<std::string>{}, {"--fps_test=1", "--load_smo=r.smo"}, {"--lang=de", "-path", "/x/"}}) {
		UTL_cmdline c = parsed(args);
		EXPECT_EXIT(
			{
				c.init_common();
				std::_Exit(99);
			},
			::testing::ExitedWithCode(99), "")
			<< ::testing::PrintToString(args);
	}
}

}  // namespace
