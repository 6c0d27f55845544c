// Cost of one log line, into the ring alone and through the stream to /dev/null,
// and a count of heap allocations made while logging (it must be 0).
#include "core/ui/app_clock.h"
#include "core/ui/log.h"
#include "core/ui/log_testing.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {
std::atomic<long> g_news{0};
}

// Every global allocation in this binary passes through here. GCC mistakes the
// malloc/free pairing of these replacements for a mismatch once they are inlined.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n)
{
	g_news.fetch_add(1, std::memory_order_relaxed);
	if (void* p = std::malloc(n ? n : 1))
		return p;
	throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

void log_one(int i)
{
	skyvane_log_write(log_info, "INS", "Downloaded %s from %s: %d bytes in %.3f s", "Resources/default scenery/x.dsf",
	                  "mirror.example:80", 1000 + i, 0.25 * i);
}

void run_lines(benchmark::State& state)
{
	long before = g_news.load();
	int i = 0;
	for (auto _ : state)
		log_one(i++);
	state.counters["news_per_line"] =
		benchmark::Counter(static_cast<double>(g_news.load() - before) / static_cast<double>(state.iterations()));
	state.SetItemsProcessed(state.iterations());
}

void BM_log_line_ring_only(benchmark::State& state)
{
	skyvane_log_reset_for_tests();  // no stream: recycled blocks are dropped
	skyvane_log_start();
	run_lines(state);
}
BENCHMARK(BM_log_line_ring_only);

void BM_log_line_to_dev_null(benchmark::State& state)
{
	skyvane_log_reset_for_tests();
	skyvane_log_start();
	skyvane_log_open("/dev/null");
	run_lines(state);
	skyvane_log_flush();
	skyvane_log_close();
}
BENCHMARK(BM_log_line_to_dev_null);

void BM_log_flush_every_line(benchmark::State& state)
{
	skyvane_log_reset_for_tests();
	skyvane_log_start();
	skyvane_log_open("/dev/null");
	int i = 0;
	for (auto _ : state) {
		log_one(i++);
		skyvane_log_flush();
	}
	state.SetItemsProcessed(state.iterations());
	skyvane_log_close();
}
BENCHMARK(BM_log_flush_every_line);

// Lines, recycling and flushes with the stream open; returns the allocations counted.
long count_allocations(int lines)
{
	skyvane_log_reset_for_tests();
	skyvane_log_start();
	skyvane_log_open("/dev/null");
	log_one(0);  // the stream's buffer is allocated on its first write
	skyvane_log_flush();
	long before = g_news.load();
	for (int i = 0; i < lines; ++i) {
		app_clock_set(i * 0.001);
		log_one(i);
		if (i % 1000 == 999)
			skyvane_log_flush();
	}
	skyvane_dump_log_to_disk();
	long news = g_news.load() - before;
	skyvane_log_close();
	return news;
}

}  // namespace

int main(int argc, char** argv)
{
	// The counter itself must see an allocation, or a 0 below would prove nothing.
	long probe_before = g_news.load();
	std::string* volatile probe = new std::string(100, 'x');
	delete probe;
	if (g_news.load() == probe_before) {
		std::printf("operator new counter is not in effect\n");
		return 2;
	}

	constexpr int lines = 100000;
	long news = count_allocations(lines);
	std::printf("operator new calls during %d log lines (with recycling and flushes): %ld\n", lines, news);
	std::fflush(stdout);

	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return news == 0 ? 0 : 1;
}
