#include "core/ui/app_clock.h"

#include <atomic>
#include <chrono>

app_clock_t xtim;

namespace {
const auto g_start = std::chrono::steady_clock::now();
// Relaxed: readers want a recent value, not an order with other memory.
std::atomic<double> g_real_time_shared{0.0};
static_assert(std::atomic<double>::is_always_lock_free, "the log reads the clock on every line");

void set_real_time(double seconds)
{
	xtim.frame_time = seconds - xtim.real_time;
	xtim.real_time = seconds;
	g_real_time_shared.store(seconds, std::memory_order_relaxed);
}
}  // namespace

double app_clock_real_time_any_thread() { return g_real_time_shared.load(std::memory_order_relaxed); }

double app_clock_now()
{
	return std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
}

void app_clock_advance() { set_real_time(app_clock_now()); }

void app_clock_set(double seconds) { set_real_time(seconds); }
