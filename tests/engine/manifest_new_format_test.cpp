// The notice that the installer is older than the file format: alert, page, quit, in that order.
#include "core/installer/ins_translate.h"
#include "core/installer/new_format.h"
#include "core/installer/vendor_hosts.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/alert.h"
#include "engine/manifest_fixture.h"

namespace {

std::vector<std::string> g_events;

class new_format_test : public reader_test {
protected:
	void SetUp() override
	{
		g_events.clear();
		alert_set_standard([](const std::string& text) { g_events.push_back("alert:" + text); });
		new_format_open_url_fn = [](const std::string& url) { g_events.push_back("open:" + url); };
		new_format_quit_fn = [] { g_events.push_back("quit"); };
	}
	void TearDown() override
	{
		alert_set_standard(nullptr);
		new_format_open_url_fn = saved_open_;
		new_format_quit_fn = saved_quit_;
		ins_translate_fn = nullptr;
	}

	cmdline_args args{{"--lookup_host=127.0.0.1:18080", "--vendor_site=site.test"}};
	new_format_open_url_fn_t saved_open_ = new_format_open_url_fn;
	new_format_quit_fn_t saved_quit_ = new_format_quit_fn;
};

TEST_F(new_format_test, alert_then_page_then_quit)
{
	const struct {
		int is_demo;
		const char* title;
	} cases[] = {
		{1, "This demo installer is too old; a newer one is available for download from site.test."},
		{0, "This installer is too old; a newer one is available for download from site.test."},
	};
	for (const auto& c : cases) {
		g_events.clear();
		new_format(c.is_demo);
		EXPECT_EQ(g_events, (std::vector<std::string>{
		                        std::string("alert:") + c.title +
		                            "\n\nClick the button below to get the newest installer.\n[ Download Now ]",
		                        "open:http://127.0.0.1:18080/_lookup_11_/new_full_installer_400.html", "quit"}));
	}
}

TEST_F(new_format_test, texts_are_translated_but_not_the_site_name)
{
	ins_translate_fn = [](const std::string& s) { return "<" + s + ">"; };
	new_format(0);
	ASSERT_FALSE(g_events.empty());
	EXPECT_EQ(g_events[0], "alert:<This installer is too old; a newer one is available for download from >site.test."
	                       "\n\n<Click the button below to get the newest installer.>\n<[ Download Now ]>");
}

TEST_F(new_format_test, default_quit_ends_the_main_loop)
{
	new_format_quit_fn = saved_quit_;
	sim_is_done = false;
	new_format(0);
	EXPECT_TRUE(sim_is_done);
	sim_is_done = false;
}

}  // namespace
