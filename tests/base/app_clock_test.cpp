// The frame clock and the copy of it that other threads (the log) read.
#include <gtest/gtest.h>

#include <thread>

#include "core/ui/app_clock.h"

TEST(app_clock, other_threads_see_the_clock_as_last_moved)
{
	const double saved = xtim.real_time;
	double seen = -1;
	app_clock_set(42.25);
	std::thread([&] { seen = app_clock_real_time_any_thread(); }).join();
	EXPECT_EQ(seen, 42.25);

	app_clock_advance();
	std::thread([&] { seen = app_clock_real_time_any_thread(); }).join();
	EXPECT_EQ(seen, xtim.real_time);
	EXPECT_EQ(xtim.frame_time, xtim.real_time - 42.25);
	app_clock_set(saved);
}
