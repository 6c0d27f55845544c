// Screen texts: placeholder substitution, the translation lookup and its plural rules, and the
// duration, size, rate and install-progress texts at their boundaries.
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "core/ui/translate.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

struct english_texts : ::testing::Test {
	void SetUp() override
	{
		translate_clear_tables();
		translate_set_debug(false);
	}
	void TearDown() override
	{
		translate_clear_tables();
		translate_set_debug(false);
		translate_set_dump(false, "");
	}
};

struct sub_case {
	const char* templ;
	std::vector<std::string> with;
	const char* want;
};

TEST(string_sub, placeholder_rules)
{
	const sub_case cases[] = {
		{"%1:progress%%", {"42"}, "42%"},
		{"100% sure", {"x"}, "100% sure"},
		{"%2:second% and %1:first%", {"a", "b"}, "b and a"},
		{"%3:past the end%", {"a", "b"}, "%3:past the end%"},
		{"%1:x%", {"%1:again%"}, "%1:again%"},                // inserted text is not scanned again
		{"% 1:leading space%", {"v"}, "v"},
		{"%+1:signed%", {"v"}, "v"},
		{"%01:zero padded%", {"v"}, "v"},
		{"%-1:negative%", {"v"}, "%-1:negative%"},
		{"%0:zero%", {"v"}, "%0:zero%"},
		{"%1 no colon", {"v"}, "%1 no colon"},
		{"%1:never closed", {"v"}, "%1:never closed"},
		{"50% of %1:n%", {"ten"}, "50% of ten"},                // a lone % before a placeholder
		{"%1:a%%1:a%", {"x"}, "xx"},
		{"[%1:a%|%2:b%|%3:c%|%4:d%]", {"1", "2", "3", "4"}, "[1|2|3|4]"},
		{"%6:f%%5:e%%4:d%%3:c%%2:b%%1:a%", {"a", "b", "c", "d", "e", "f"}, "fedcba"},
		{"%1:empty%.", {""}, "."},
	};
	for (const sub_case& c : cases) {
		const std::string& t = c.templ;
		std::string got;
		const auto& r = c.with;
		switch (r.size()) {
		case 1: got = UTL_string_sub(t, r[0]); break;
		case 2: got = UTL_string_sub(t, r[0], r[1]); break;
		case 3: got = UTL_string_sub(t, r[0], r[1], r[2]); break;
		case 4: got = UTL_string_sub(t, r[0], r[1], r[2], r[3]); break;
		case 6: got = UTL_string_sub(t, r[0], r[1], r[2], r[3], r[4], r[5]); break;
		default: FAIL() << "no overload for " << r.size();
		}
		EXPECT_EQ(got, c.want) << "template: " << c.templ;
	}
}

TEST(string_check, collects_numbers_in_order)
{
	std::vector<int> n{7};
	UTL_string_check("%2:b% then %1:a%, %0:zero% and 5% and %3:c%%", n);
	EXPECT_EQ(n, (std::vector<int>{7, 2, 1, 3}));
}

TEST_F(english_texts, lookup_and_tables)
{
	EXPECT_EQ(UTL_translate_string("Hello"), "Hello");
	translate_set_tables({{"Hello", "Bonjour"}}, {{"files", "fichiers-gen"}}, 0);
	EXPECT_TRUE(translate_has_translation());
	EXPECT_EQ(UTL_translate_string("Hello"), "Bonjour");
	EXPECT_EQ(UTL_translate_string("Other"), "Other");
	EXPECT_EQ(UTL_translate_string("Hello", translate_table_genitive), "Hello");
	EXPECT_EQ(UTL_translate_string("files", translate_table_genitive), "fichiers-gen");
	translate_clear_tables();
	EXPECT_EQ(UTL_translate_string("Hello"), "Hello");
	EXPECT_EQ(translate_plural_rule(), 1);
}

TEST_F(english_texts, debug_mode_marks_every_text)
{
	translate_set_tables({{"Select All", "Tout"}}, {}, 1);
	translate_set_debug(true);
	EXPECT_EQ(UTL_translate_string("Select All"), "XXXXXX XXX");
	EXPECT_EQ(UTL_translate_string("%1:file%"), "%1:XXXX%");
	EXPECT_EQ(UTL_translate_string("Go|tip{x}"), "XX|XXX{X}");
}

TEST_F(english_texts, plural_rules)
{
	struct plural_case {
		int rule;
		int n;
		const char* want;
	};
	const plural_case cases[] = {
		{1, 0, "many"}, {1, 1, "one"}, {1, 2, "many"},
		{0, 0, "one"},  {0, 1, "one"}, {0, 2, "many"},
		{2, 1, "one"},  {2, 3, "few"}, {2, 13, "many"}, {2, 21, "many"}, {2, 22, "few"}, {2, 112, "many"},
	};
	for (const plural_case& c : cases) {
		translate_set_tables({{"%1:n% file", "one"}, {"%1:n% files", "many"}}, {{"%1:n% files", "few"}}, c.rule);
		EXPECT_EQ(UTL_translate_plural(c.n, "%1:n% file", "%1:n% files"), c.want) << "rule " << c.rule << " n " << c.n;
	}
	translate_clear_tables();
	EXPECT_EQ(UTL_translate_plural(1, "a file", "files"), "a file");
	EXPECT_EQ(UTL_translate_plural(3, "a file", "files"), "files");
}

TEST_F(english_texts, untranslated_keys_are_dumped_once)
{
	scratch_dir d;
	translate_set_tables({{"Known", "Connu"}}, {}, 1);
	translate_set_dump(true, d / "Untranslated Strings.txt");
	UTL_translate_string("Known");
	UTL_translate_string("Two\nlines\r");
	UTL_translate_string("Two\nlines\r");
	UTL_translate_string("Second");
	EXPECT_EQ(d.read("Untranslated Strings.txt"),
	          "STRING Two\\nlines\\r====Two\\nlines\\r\nSTRING Second====Second\n");
}

TEST_F(english_texts, one_unit_durations)
{
	struct time_case {
		float seconds;
		const char* want;
	};
	const time_case cases[] = {
		{0, "0 seconds"},        {1, "1 second"},          {1.9f, "1 second"},       {119.9f, "119 seconds"},
		{120, "2 minutes"},      {179, "2 minutes"},       {3600, "60 minutes"},     {7199, "119 minutes"},
		{7200, "2 hours"},       {3600 * 25, "25 hours"},  {-5, "0 seconds"},
		{std::numeric_limits<float>::quiet_NaN(), "0 seconds"},
		{std::numeric_limits<float>::infinity(), "1000000 hours"},
	};
	for (const time_case& c : cases)
		EXPECT_EQ(get_time_str_one_unit(c.seconds), c.want) << c.seconds;
}

TEST_F(english_texts, sizes_and_rates)
{
	EXPECT_EQ(size_str_volume_bytes(1000000999ull), "1000 MB");
	EXPECT_EQ(size_str_volume_bytes(1000001000ull), "1.0 GB");
	EXPECT_EQ(size_str_volume_bytes(2500000000000ull), "2500.0 GB");
	EXPECT_EQ(size_str_kb(1000000), "1000 MB");
	EXPECT_EQ(size_str_kb(1000001), "1.0 GB");
	EXPECT_EQ(size_str_kb(31457280), "31.5 GB");
	EXPECT_EQ(size_str_kb(0), "0 MB");
	EXPECT_EQ(rate_str(1), "1 kilobyte/second");
	EXPECT_EQ(rate_str(1.9f), "1 kilobyte/second");
	EXPECT_EQ(rate_str(100.7f), "100 kilobytes/second");
	EXPECT_EQ(rate_str(0), "0 kilobytes/second");
}

TEST_F(english_texts, install_progress_messages)
{
	struct msg_case {
		std::vector<std::pair<std::string, float>> servers;
		float done, total;
		const char* want;
	};
	const msg_case cases[] = {
		{{{"A", 100}, {"B", -1}, {"C", 0}}, 0, 6000,
		 "About 60 seconds left in the install, downloading at 100 kilobytes/second from 3 download servers."
		 "\n\nDownloading at 100 kilobytes/second from A.\n\nUnable to download from server B.\n\nContacting C."},
		{{{"A", -1}, {"B", -1}}, 10, 100,
		 "Unable to download. Please check your internet connection.\nThe installer will try to download again "
		 "shortly.\nPress the Back button to cancel installation.\n\nUnable to download from server A.\n\nUnable "
		 "to download from server B."},
		{{}, 5, 10, "Installing files from DVD."},
		{{{"Solo", 50}}, 10, 10,
		 "About 0 seconds left in the install, downloading at 50 kilobytes/second from 1 download server."
		 "\n\nDownloading at 50 kilobytes/second from Solo."},
		{{{"A", 0}}, 0, 10,
		 "About 0 seconds left in the install, downloading at 0 kilobytes/second from 1 download server."
		 "\n\nContacting A."},
		{{{"A", 30}, {"B", 30}}, 0, 720000,
		 "About 3 hours left in the install, downloading at 60 kilobytes/second from 2 download servers."
		 "\n\nDownloading at 30 kilobytes/second from A.\n\nDownloading at 30 kilobytes/second from B."},
	};
	for (const msg_case& c : cases)
		EXPECT_EQ(run_install_message(c.servers, c.done, c.total), c.want);
}

}  // namespace
