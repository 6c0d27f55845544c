// The mapped reader: the header check of the text type, token readers, partial mappings.
#include "core/files/paths.h"
#include "core/files/xmap_class.h"
#include "core/ui/alert.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class xmap_test : public ::testing::Test {
protected:
	void SetUp() override
	{
		char tmpl[] = "/tmp/sky_xmap_test.XXXXXX";
		ASSERT_NE(mkdtemp(tmpl), nullptr);
		dir_ = tmpl;
	}
	void TearDown() override { std::filesystem::remove_all(dir_); }

	std::string file(const std::string& text, const std::string& name = "f.txt")
	{
		std::string p = dir_ + "/" + name;
		std::ofstream(p, std::ios::binary) << text;
		return p;
	}

	std::string dir_;
};

struct header_case {
	const char* name;
	std::string text;
	int versions[3];
	const char* keyword;
	int expected;
	std::string rest;
};

class xmap_header : public xmap_test, public ::testing::WithParamInterface<header_case> {};

TEST_P(xmap_header, check_file_text)
{
	const header_case& c = GetParam();
	xmap_class m(file(c.text));
	ASSERT_TRUE(m.is_open());
	std::string rest = "unset";
	EXPECT_EQ(m.check_file(xmap_kind_text, c.versions, c.keyword, &rest), c.expected);
	if (c.expected) {
		EXPECT_EQ(rest, c.rest);
	}
}

const std::string bom = "\xEF\xBB\xBF";

INSTANTIATE_TEST_SUITE_P(
	headers, xmap_header,
	::testing::Values(
		header_case{"prefs", "I\n10 version\n", {10, 0, 0}, nullptr, 10, "version"},
		header_case{"keyword_next_line", "A\n1100 Version\nSERVERS\n", {1100, 0, 0}, "SERVERS", 1100, "Version"},
		header_case{"mark_then_A_keyword_at_end", bom + "A\n1100\nINSTALLER", {1100, 0, 0}, "INSTALLER", 1100, ""},
		header_case{"mark_only", bom, {10, 0, 0}, nullptr, 0, ""},
		header_case{"older_version_rejected", "I\n1000\nDVD\n", {1100, 0, 0}, "DVD", 0, ""},
		header_case{"older_version_listed", "I\n1000\nDVD\n", {1000, 1100, 0}, "DVD", 1000, ""},
		header_case{"keyword_must_end", "I\n1100\nSERVERSX\n", {1100, 0, 0}, "SERVERS", 0, ""},
		header_case{"keyword_then_blank", "I\n1100\n  SERVERS list\n", {1100, 0, 0}, "SERVERS", 1100, ""},
		header_case{"bad_first_byte", "X\n10 version\n", {10, 0, 0}, nullptr, 0, ""},
		header_case{"empty_file", "", {10, 0, 0}, nullptr, 0, ""},
		header_case{"blank_lines_and_trailing_blanks", "I rest\n\n\n  10 version  \n", {10, 0, 0}, nullptr, 10, "version  "}),
	[](const ::testing::TestParamInfo<header_case>& p) { return std::string(p.param.name); });

TEST_F(xmap_test, token_readers)
{
	xmap_class m(file("  BETA  11.50r2 \nBETA\n-12 +7 -+3 1a\tword next\nSERVER"));
	ASSERT_TRUE(m.is_open());
	EXPECT_TRUE(m.scan_keyword("BETA"));
	std::string s;
	m.TXT_str_scan_eoln(&s);
	EXPECT_EQ(s, "11.50r2 ");
	EXPECT_FALSE(m.scan_keyword("BETA"));  // followed by the line end
	EXPECT_EQ(m.peek(), 'B');              // put back at the word
	EXPECT_TRUE(m.scan_keyword("BETA", true));
	m.skip_line();
	EXPECT_EQ(m.scan_int(), -12);
	EXPECT_EQ(m.scan_int(), 7);
	EXPECT_EQ(m.scan_int(), -3);
	EXPECT_EQ(m.scan_int(), 59);  // non-digits fold in as digits: 1*10 + ('a' - '0')
	m.TXT_str_scan_space(&s);
	EXPECT_EQ(s, "word");
	EXPECT_EQ(m.peek(), ' ');
	m.skip_line();
	EXPECT_FALSE(m.scan_keyword("SERVERS", true));
	EXPECT_TRUE(m.scan_keyword("SERVER", true));  // ended by the end of the data
	EXPECT_TRUE(m.at_end());
	m.TXT_str_scan_eoln(&s);
	EXPECT_EQ(s, "");
}

TEST_F(xmap_test, scan_past_the_end_alerts_and_returns_zero)
{
	static std::string shown;
	shown.clear();
	alert_set_standard([](const std::string& text) { shown = text; });
	xmap_class m(file("ab"));
	EXPECT_EQ(m.BIN_chr_scan(), 'a');
	EXPECT_EQ(m.BIN_chr_scan(), 'b');
	EXPECT_EQ(shown, "");
	EXPECT_EQ(m.BIN_chr_scan(), 0);
	EXPECT_NE(shown.find("Trying to scan beyond the end of the file!"), std::string::npos);
	alert_set_standard(nullptr);
}

TEST_F(xmap_test, mapping_from_an_offset)
{
	std::string text;
	for (int i = 0; i < 10000; ++i)
		text += static_cast<char>('a' + i % 26);
	std::string p = file(text);
	xmap_class::set_granularity(static_cast<int>(sysconf(_SC_PAGESIZE)));

	xmap_class part(p, 5000, 10);
	ASSERT_TRUE(part.is_open());
	EXPECT_EQ(std::string(part.data(), part.size()), text.substr(5000, 10));

	xmap_class tail(p, 9990, 0);  // to the end
	EXPECT_EQ(std::string(tail.data(), tail.size()), text.substr(9990));

	xmap_class clamped(p, 9995, 100);  // never past the end of the file
	EXPECT_EQ(std::string(clamped.data(), clamped.size()), text.substr(9995));

	xmap_class beyond(p, 20000, 0);
	EXPECT_FALSE(beyond.is_open());

	xmap_class::set_granularity(0);
}

TEST_F(xmap_test, missing_file_relative_path_and_close)
{
	xmap_class missing(dir_ + "/none.txt");
	EXPECT_FALSE(missing.is_open());
	const int versions[] = {10, 0};
	EXPECT_EQ(missing.check_file(xmap_kind_text, versions, nullptr, nullptr), 0);

	file("I\n10\n", "rel.txt");
	std::string saved = files_get_app_base_folder();
	files_set_app_base_folder(dir_ + "/");
	xmap_class rel("rel.txt");
	files_set_app_base_folder(saved);
	ASSERT_TRUE(rel.is_open());
	EXPECT_EQ(rel.size(), 5u);
	rel.close();
	EXPECT_FALSE(rel.is_open());
	EXPECT_EQ(rel.size(), 0u);
}

}  // namespace
