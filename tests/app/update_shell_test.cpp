// The shell's pure pieces: frame pacing, the loading-screen fraction, the processor text and
// the memory class; and one loop turn: clock, frame work and pacing sleep in that order.
#include "app/Installer-f/shell/RADAVI_init.h"
#include "app/Installer-f/shell/RADAVI_loop.h"
#include "core/ui/app_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(update_shell, frame_pacing)
{
	const std::pair<double, int> cases[] = {{0.0, 33}, {0.02, 13}, {0.029, 4}, {0.03, 0}, {0.1, 0}, {-1.0, 33}};
	for (const auto& [last, ms] : cases)
		EXPECT_EQ(APP_frame_sleep_ms(last), ms) << last;
}

TEST(update_shell, loading_fraction_clamped)
{
	const std::pair<int, float> cases[] = {{0, 0.02f}, {1, 1 / 18.0f}, {9, 0.5f}, {17, 0.9f}, {30, 0.9f}};
	for (const auto& [counter, want] : cases)
		EXPECT_FLOAT_EQ(RADAVI_init_fraction(counter), want) << counter;
}

TEST(update_shell, processor_text_and_memory_class)
{
	EXPECT_EQ(RADAVI_processor_text("Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz", 3200, 12),
	          "Intel Core i7-8700 CPU - Speed: 3.2-3.6 GHz - Cores: 12");
	EXPECT_EQ(RADAVI_processor_text("AMD EPYC 7B13", 2450, 2), "AMD EPYC 7B13 - Speed: 2.4-2.8 GHz - Cores: 2");
	EXPECT_EQ(RADAVI_processor_text("", 0, 0), " - Speed: 0.0-0.4 GHz - Cores: 0");

	const std::pair<int, int> mem[] = {{512, 1}, {1024, 1}, {1025, 2}, {4096, 4}, {5000, 6}, {6145, 8},
	                                   {16384, 16}, {65537, 128}, {500000, 128}};
	for (const auto& [mb, cls] : mem)
		EXPECT_EQ(RADAVI_memory_class(mb), cls) << mb;
}

std::vector<int> g_sleeps;
int g_frames = 0;

TEST(update_shell, update_sleeps_by_the_last_frame_then_runs_the_frame_work)
{
	g_sleeps.clear();
	g_frames = 0;
	APP_set_sleep([](int ms) { g_sleeps.push_back(ms); });
	APP_set_frame_work([] { ++g_frames; });
	app_clock_set(10.0);
	app_clock_set(10.02);  // a 20 ms frame
	APP_update();
	app_clock_set(10.06);  // 40 ms
	APP_update();
	APP_set_frame_work(nullptr);
	APP_set_sleep(nullptr);
	EXPECT_EQ(g_frames, 2);
	EXPECT_EQ(g_sleeps, std::vector<int>({13}));
}

}  // namespace
