#include <gtest/gtest.h>

#include "base/files_fixture.h"
#include "core/files/ouf_open.h"
#include "core/ui/alert.h"

namespace {
std::vector<std::string> g_alerts;
void capture_alert(const std::string& text) { g_alerts.push_back(text); }
}  // namespace

class files_ouf : public files_test {
protected:
	void SetUp() override
	{
		files_test::SetUp();
		g_alerts.clear();
		alert_set_standard(capture_alert);
	}
	void TearDown() override
	{
		alert_set_standard(nullptr);
		files_test::TearDown();
	}
};

TEST_F(files_ouf, text_header)
{
	struct {
		const char* notice;
		const char* want;
	} cases[] = {
	    {"no-copyright-string", "I\n10 version\n"},
	    {" (c) Brightfold", "I\n10 version (c) Brightfold\n"},
	};
	for (auto& c : cases) {
		std::ofstream out;
		ASSERT_TRUE(ouf_open(out, path("Skyvane Installer.prf"), ouf_kind_text, 10, c.notice));
		out << "body\n";
		out.close();
		EXPECT_EQ(read("Skyvane Installer.prf"), std::string(c.want) + "body\n");
	}
	EXPECT_TRUE(g_alerts.empty());
}

TEST_F(files_ouf, binary_header_and_lowercased_extension)
{
	std::ofstream out;
	ASSERT_TRUE(ouf_open(out, path("Data.BIN"), ouf_kind_binary, 0x01020304, "ignored"));
	out.close();
	EXPECT_FALSE(exists_nofollow("Data.BIN"));
	EXPECT_EQ(read("Data.bin"), std::string("i\x04\x03\x02\x01", 5));
}

TEST_F(files_ouf, creates_the_missing_folder_on_retry)
{
	std::ofstream out;
	ASSERT_TRUE(ouf_open(out, path("preferences/x.prf"), ouf_kind_text, 1, "no-copyright-string"));
	out.close();
	EXPECT_EQ(read("preferences/x.prf"), "I\n1 version\n");
	EXPECT_TRUE(g_alerts.empty());
}

TEST_F(files_ouf, second_failure_warns_and_returns_false)
{
	write("plain_file", "");
	std::ofstream out;
	std::string p = path("plain_file/sub/y.txt");
	EXPECT_FALSE(ouf_open(out, p, ouf_kind_text, 1, "no-copyright-string"));
	EXPECT_FALSE(out.is_open());
	ASSERT_EQ(g_alerts.size(), 1u);
	EXPECT_NE(g_alerts[0].find("The file could not be saved. Check that the directory still exists"),
	          std::string::npos);
	EXPECT_NE(g_alerts[0].find(p), std::string::npos);
}

TEST_F(files_ouf, bad_kind_is_fatal)
{
	std::ofstream out;
	alert_set_standard(nullptr);  // the standard alert prints the lines
	EXPECT_EXIT(ouf_open(out, path("z.txt"), 3, 1, ""), testing::ExitedWithCode(0), "Bad ouf_open type!");
}
