#include "core/sockets/UTL_http.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

TEST(http_helpers, spaces_are_the_only_thing_encoded)
{
	const std::pair<const char*, const char*> cases[] = {
	    {"http://h/a b/c d.txt", "http://h/a%20b/c%20d.txt"},
	    {"http://h/  x", "http://h/%20%20x"},
	    {"http://h/a%20b?q=1&r=ü", "http://h/a%20b?q=1&r=ü"},
	    {"", ""},
	};
	for (const auto& [in, want] : cases) {
		std::string u = in;
		UTL_http_encode_url(u);
		EXPECT_EQ(u, want);
	}
}

TEST(http_helpers, network_class_errors)
{
	const std::pair<err_code_t, bool> cases[] = {
	    {0x10000005, true},  {0x10000006, true},  {0x10000007, true},  {0x10000012, true},
	    {0x1000001C, true},  {0x10000034, true},  {0x10000037, true},  {0x10000038, true},
	    {0x1000002A, false}, {0x10000017, false}, {0x10000001, false}, {0x20000194, false},
	    {0x40000007, false}, {0x20000007, false}, {0, false},          {0x50004E21, false},
	};
	for (const auto& [code, bad] : cases) EXPECT_EQ(UTL_http_is_error_bad_net(code), bad) << std::hex << code;
}

TEST(http_helpers, user_agent_and_platform_tag)
{
	EXPECT_EQ(UTL_http_platform_tag_for("Version 10.15.7 (Build 19H15)"), "LIN10.15.7(19H15)_64bit");
	EXPECT_EQ(UTL_http_platform_tag_for("Debian GNU/Linux 12 (bookworm)"), "LINDebianGNU/Linux12(bookworm)_64bit");
	UTL_http_set_platform_tag("LINtest_64bit");
	EXPECT_EQ(UTL_http_user_agent(0), "Skyvane Installer 4.01r1-final-LINtest_64bit");
	EXPECT_EQ(UTL_http_user_agent(1), "Skyvane Installer 4.01r1-beta-LINtest_64bit");
	UTL_http_init();
	EXPECT_EQ(UTL_http_user_agent(0).rfind("Skyvane Installer 4.01r1-final-LIN", 0), 0u);
	EXPECT_EQ(UTL_http_user_agent(0).substr(UTL_http_user_agent(0).size() - 6), "_64bit");
}

TEST(http_helpers, init_gives_curl_codes_their_library_text)
{
	UTL_http_init();
	EXPECT_TRUE(UTL_http_is_inited());
	EXPECT_EQ(error_str(0x10000007), curl_easy_strerror(CURLE_COULDNT_CONNECT));
	EXPECT_EQ(error_str(0x20000194), "Error 2:404");
}
