// The maker's endpoints: defaults, command-line overrides and the URLs built from them.
#include "core/installer/vendor_hosts.h"
#include "engine/manifest_fixture.h"

namespace {

using vendor_hosts = reader_test;

bool ends_with(const std::string& s, const std::string& tail)
{
	return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(vendor_hosts, defaults_stay_in_the_reserved_domain)
{
	cmdline_args none({});
	for (const std::string& host : {vendor_lookup_host(), vendor_site_name(), vendor_support_email(),
	                                vendor_analytics_host()})
		EXPECT_TRUE(ends_with(host, ".example")) << host;
	EXPECT_FALSE(vendor_tracking_id().empty());
	EXPECT_EQ(vendor_server_list_url(), "http://" + vendor_lookup_host() + "/_lookup_11_/server_list_11.txt");
}

TEST_F(vendor_hosts, overrides_and_urls)
{
	cmdline_args args({"--lookup_host=127.0.0.1:18080", "--analytics_host=localhost:9", "--vendor_site=site.test",
	                   "--support_email=help@site.test", "--analytics_id=UA-1-2"});
	EXPECT_EQ(vendor_lookup_host(), "127.0.0.1:18080");
	EXPECT_EQ(vendor_analytics_host(), "localhost:9");
	EXPECT_EQ(vendor_site_name(), "site.test");
	EXPECT_EQ(vendor_support_email(), "help@site.test");
	EXPECT_EQ(vendor_tracking_id(), "UA-1-2");
	EXPECT_EQ(vendor_server_list_url(), "http://127.0.0.1:18080/_lookup_11_/server_list_11.txt");
	const struct {
		const char* page;
		const char* url;
	} pages[] = {
		{VENDOR_PAGE_NEW_INSTALLER, "http://127.0.0.1:18080/_lookup_11_/new_full_installer_400.html"},
		{VENDOR_PAGE_ABOUT_ANALYTICS, "http://127.0.0.1:18080/_lookup_11_/installer_about_analytics.html"},
		{VENDOR_PAGE_SUPPORT, "http://127.0.0.1:18080/_lookup_11_/installer_support_400.html"},
		{VENDOR_PAGE_BETAS, "http://127.0.0.1:18080/_lookup_11_/installer_betas.html"},
	};
	for (const auto& p : pages)
		EXPECT_EQ(vendor_page_url(p.page), p.url);
	EXPECT_EQ(mirror_manifest_url(UTL_server_info{"127.0.0.1:8081", "/mirror one/", "label"}, "Skyvane 11.50"),
	          "http://127.0.0.1:8081/mirror one/Skyvane 11.50/directory.txt.zip");
}

TEST_F(vendor_hosts, unusable_overrides_keep_the_default_and_are_logged_once)
{
	std::string fallback;
	{
		cmdline_args none({});
		fallback = vendor_lookup_host();
	}
	for (const char* bad : {"--lookup_host=", "--lookup_host", "--lookup_host=127.0.0.1:1/x", "--lookup_host=a b",
	                        "--lookup_host=a\tb"}) {
		cmdline_args args({bad});
		EXPECT_EQ(vendor_lookup_host(), fallback) << bad;
		EXPECT_EQ(vendor_server_list_url(), "http://" + fallback + "/_lookup_11_/server_list_11.txt");
	}
	const std::string text = log.text();
	const std::string line = "Ignoring --lookup_host=\"127.0.0.1:1/x\"";
	ASSERT_NE(text.find(line), std::string::npos) << text;
	EXPECT_EQ(text.find(line, text.find(line) + 1), std::string::npos) << "logged twice";
}

}  // namespace
