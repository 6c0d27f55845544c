// The standard alert's fallback without a display, and the monitor queries.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstdlib>
#include <vector>

#include "core/platform/WIN_monitors.h"
#include "core/platform/WIN_standard_alert.h"
#include "core/platform/WIN_window.h"
#include "core/ui/alert.h"

namespace {

[[noreturn]] void alert_without_display(bool through_the_alert_module)
{
	unsetenv("DISPLAY");
	unsetenv("WAYLAND_DISPLAY");
	if (through_the_alert_module) {
		WIN_initialize(0);  // registers the platform's alert with the alert module
		RADAVI_alert("Insert the disc", "SKYVANE11", "", "", alert_mode_warning);
	} else {
		WIN_standard_alert("Disc not found");
	}
	exit(0);
}

TEST(StandardAlert, WithoutADisplayTheTextGoesToStandardError)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT(alert_without_display(false), ::testing::ExitedWithCode(0), "Disc not found");
	EXPECT_EXIT(alert_without_display(true), ::testing::ExitedWithCode(0), "Insert the disc\nSKYVANE11\n");
}

TEST(Monitors, DepthOfPixelFormats)
{
	const std::pair<Uint32, int> cases[] = {
	    {SDL_PIXELFORMAT_RGB888, 32},   {SDL_PIXELFORMAT_ARGB8888, 32}, {SDL_PIXELFORMAT_ARGB2101010, 30},
	    {SDL_PIXELFORMAT_RGB565, 16},   {SDL_PIXELFORMAT_RGB555, 16},   {SDL_PIXELFORMAT_INDEX8, 8},
	    {SDL_PIXELFORMAT_UNKNOWN, 0},   {SDL_PIXELFORMAT_YV12, 0},      {SDL_PIXELFORMAT_INDEX1LSB, 0}};
	for (auto [f, d] : cases) EXPECT_EQ(WIN_depth_of_pixel_format(f), d) << SDL_GetPixelFormatName(f);
}

struct mode {
	int w, h, d, r;
};

TEST(Monitors, ModesAndSwitching)
{
	if (!WIN_video_available()) GTEST_SKIP() << "no display";
	ASSERT_GE(UTL_count_monitors(), 1);
	int l = -1, t = -1, w = 0, h = 0, d = -1, r = -1;
	UTL_get_monitor_res(0, &l, &t, &w, &h, &d, &r);
	EXPECT_EQ(l, 0);
	EXPECT_EQ(t, 0);
	EXPECT_GT(w, 0);
	EXPECT_GT(h, 0);
	// Any output may be left out; an index the system does not have reads the main display.
	int w2 = 0;
	UTL_get_monitor_res(57, nullptr, nullptr, &w2, nullptr, nullptr, nullptr);
	EXPECT_EQ(w2, w);

	std::vector<mode> modes;
	UTL_get_all_monitor_modes(0, [](int mw, int mh, int md, int mr, void* ref) {
		static_cast<std::vector<mode>*>(ref)->push_back({mw, mh, md, mr});
	}, &modes);
	ASSERT_FALSE(modes.empty());

	// No mode has this refresh rate: nothing changes.
	EXPECT_EQ(UTL_set_monitor_res(0, modes[0].w, modes[0].h, modes[0].d, modes[0].r + 1000), 0);
	int w3 = 0, h3 = 0;
	UTL_get_monitor_res(0, nullptr, nullptr, &w3, &h3, nullptr, nullptr);
	EXPECT_EQ(w3, w);
	EXPECT_EQ(h3, h);

	// The mode the display is in already needs no switch.
	for (const mode& m : modes)
		if (m.w == w && m.h == h && m.d == d && m.r == r) {
			EXPECT_EQ(UTL_set_monitor_res(0, m.w, m.h, m.d, m.r), 1);
			break;
		}
}

}  // namespace
