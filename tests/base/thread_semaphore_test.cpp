#include "core/thread/UTL_semaphore_seam.h"
#include "core/thread/UTL_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

namespace {

struct sem_holder {
	UTL_semaphore* s = nullptr;
	explicit sem_holder(int initial) { UTL_semaphore_create(&s, initial); }
	~sem_holder() { UTL_semaphore_destroy(s); }
};

void wait_for_count(UTL_semaphore* s, int value)
{
	while (UTL_semaphore_count(s) != value)
		std::this_thread::yield();
}

struct dec_case {
	int initial;
	int ms;
	int expect_result;
	int expect_count;
};

class semaphore_dec : public ::testing::TestWithParam<dec_case> {};

TEST_P(semaphore_dec, takes_a_unit_only_when_one_is_free)
{
	const dec_case& c = GetParam();
	sem_holder h(c.initial);
	EXPECT_EQ(UTL_semaphore_dec(h.s, c.ms), c.expect_result);
	EXPECT_EQ(UTL_semaphore_count(h.s), c.expect_count);
}

INSTANTIATE_TEST_SUITE_P(cases, semaphore_dec,
                         ::testing::Values(dec_case{0, 0, 0, 0},     // try on empty
                                           dec_case{2, 0, 1, 1},     // try with units
                                           dec_case{1, 5, 1, 0},     // timed, unit free
                                           dec_case{0, 5, 0, 0},     // timed out: count as before
                                           dec_case{3, -1, 1, 2}));  // unlimited, unit free

// A long timed wait sleeps until the increment wakes it (a deadline already past would
// have it give up at once).
TEST(semaphore, timed_wait_is_woken_by_an_increment)
{
	sem_holder h(0);
	std::atomic<int> got{-1};
	std::thread waiter([&] { got = UTL_semaphore_dec(h.s, 20000); });
	while (UTL_semaphore_count(h.s) != -1 && got.load() == -1)
		std::this_thread::yield();
	UTL_semaphore_inc(h.s);
	waiter.join();
	EXPECT_EQ(got.load(), 1);
	EXPECT_EQ(UTL_semaphore_count(h.s), 0);
}

// A timed-out waiter gives back only its own place in the queue of sleepers.
TEST(semaphore, timeout_beside_a_sleeper_leaves_the_sleeper_counted)
{
	sem_holder h(0);
	std::atomic<int> got{-1};
	std::thread sleeper([&] { got = UTL_semaphore_dec(h.s, -1); });
	wait_for_count(h.s, -1);

	EXPECT_EQ(UTL_semaphore_dec(h.s, 2), 0);
	EXPECT_EQ(UTL_semaphore_count(h.s), -1);

	UTL_semaphore_inc(h.s);
	sleeper.join();
	EXPECT_EQ(got.load(), 1);
	EXPECT_EQ(UTL_semaphore_count(h.s), 0);
}

TEST(semaphore, unlimited_waiters_each_wake_for_one_increment)
{
	constexpr int waiters = 4;
	sem_holder h(0);
	std::atomic<int> woke{0};
	std::vector<std::thread> threads;
	for (int i = 0; i < waiters; ++i)
		threads.emplace_back([&] { woke += UTL_semaphore_dec(h.s, -1); });
	wait_for_count(h.s, -waiters);

	for (int i = 0; i < waiters; ++i)
		UTL_semaphore_inc(h.s);
	for (std::thread& t : threads)
		t.join();
	EXPECT_EQ(woke.load(), waiters);
	EXPECT_EQ(UTL_semaphore_count(h.s), 0);
	EXPECT_EQ(UTL_semaphore_dec(h.s, 0), 0);
}

// The seam runs on the waiting thread between its kernel time-out and the give-back.
std::barrier<>* g_window = nullptr;
void hold_timeout_window(UTL_semaphore*)
{
	g_window->arrive_and_wait();  // the window is open
	g_window->arrive_and_wait();  // the other thread has done its part
}

class semaphore_timeout_window : public ::testing::Test {
protected:
	void SetUp() override
	{
		g_window = &window_;
		UTL_semaphore_timeout_seam = hold_timeout_window;
	}
	void TearDown() override
	{
		UTL_semaphore_timeout_seam = nullptr;
		g_window = nullptr;
	}
	std::barrier<> window_{2};
};

TEST_F(semaphore_timeout_window, increment_after_timeout_before_give_back_is_consumed)
{
	constexpr int rounds = 50;
	sem_holder h(0);
	for (int r = 0; r < rounds; ++r) {
		std::atomic<int> got{-1};
		std::thread waiter([&] { got = UTL_semaphore_dec(h.s, 1); });
		window_.arrive_and_wait();
		UTL_semaphore_inc(h.s);  // counts the waiter as a sleeper and signals it
		window_.arrive_and_wait();
		waiter.join();
		ASSERT_EQ(got.load(), 1) << "round " << r;
		ASSERT_EQ(UTL_semaphore_count(h.s), 0) << "round " << r;
	}
	// No signal is left behind for a later waiter.
	UTL_semaphore_timeout_seam = nullptr;
	EXPECT_EQ(UTL_semaphore_dec(h.s, 2), 0);
	EXPECT_EQ(UTL_semaphore_count(h.s), 0);
}

TEST_F(semaphore_timeout_window, increment_after_give_back_stays_free)
{
	sem_holder h(0);
	std::atomic<int> got{-1};
	std::thread waiter([&] { got = UTL_semaphore_dec(h.s, 1); });
	window_.arrive_and_wait();
	window_.arrive_and_wait();
	waiter.join();
	EXPECT_EQ(got.load(), 0);
	EXPECT_EQ(UTL_semaphore_count(h.s), 0);

	UTL_semaphore_inc(h.s);
	EXPECT_EQ(UTL_semaphore_count(h.s), 1);
	EXPECT_EQ(UTL_semaphore_dec(h.s, 0), 1);
}

// Unsteered race of a 1 ms wait against an increment landing anywhere around its
// time-out: the unit is taken exactly once or stays free, and no signal is left over.
TEST(semaphore, timed_wait_racing_an_increment_never_loses_or_doubles_the_unit)
{
	constexpr int rounds = 300;
	sem_holder h(0);
	std::barrier<> start(2);
	std::mt19937 rng(12345);
	std::uniform_int_distribution<int> delay_us(0, 1500);
	int taken = 0;
	for (int r = 0; r < rounds; ++r) {
		const int delay = delay_us(rng);
		const bool inc_first = r % 2 == 0;
		std::atomic<int> got{-1};
		std::thread waiter([&] {
			start.arrive_and_wait();
			got = UTL_semaphore_dec(h.s, 1);
		});
		start.arrive_and_wait();
		if (!inc_first) {
			auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(delay);
			while (std::chrono::steady_clock::now() < until)
				;
		}
		UTL_semaphore_inc(h.s);
		waiter.join();
		const int count = UTL_semaphore_count(h.s);
		ASSERT_TRUE((got == 1 && count == 0) || (got == 0 && count == 1))
		    << "round " << r << ": got " << got << ", count " << count;
		taken += got;
		if (count == 1) {
			ASSERT_EQ(UTL_semaphore_dec(h.s, 0), 1);
		}
	}
	EXPECT_GT(taken, 0);
	EXPECT_EQ(UTL_semaphore_dec(h.s, 2), 0);
	EXPECT_EQ(UTL_semaphore_count(h.s), 0);
}

TEST(semaphore, many_producers_and_consumers_balance)
{
	constexpr int threads_each = 2, units_each = 2000;
	sem_holder h(0);
	std::atomic<int> consumed{0};
	std::vector<std::thread> threads;
	for (int i = 0; i < threads_each; ++i) {
		threads.emplace_back([&] {
			for (int k = 0; k < units_each; ++k)
				consumed += UTL_semaphore_dec(h.s, -1);
		});
		threads.emplace_back([&] {
			for (int k = 0; k < units_each; ++k)
				UTL_semaphore_inc(h.s);
		});
	}
	for (std::thread& t : threads)
		t.join();
	EXPECT_EQ(consumed.load(), threads_each * units_each);
	EXPECT_EQ(UTL_semaphore_count(h.s), 0);
}

}  // namespace
