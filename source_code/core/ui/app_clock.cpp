#include "core/ui/app_clock.h"

#include <chrono>

app_clock_t xtim;

namespace {
const auto g_start = std::chrono::steady_clock::now();
}

double app_clock_now()
{
	return std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
}

void app_clock_advance()
{
	double now = app_clock_now();
	xtim.frame_time = now - xtim.real_time;
	xtim.real_time = now;
}

void app_clock_set(double seconds)
{
	xtim.frame_time = seconds - xtim.real_time;
	xtim.real_time = seconds;
}
