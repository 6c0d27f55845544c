#include "core/thread/UTL_runloop.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// The loop's clock, moved only by the tasks' own cost.
int64_t g_now_usec = 0;
int64_t fake_clock() { return g_now_usec; }

struct costed_task : UTL_runloop_task {
	int64_t cost_usec;
	const char* name;
	std::vector<int>* ran;
	int id;
	costed_task(int64_t cost, const char* n, std::vector<int>* r, int i) : cost_usec(cost), name(n), ran(r), id(i) {}
	void do_runloop_work() override
	{
		g_now_usec += cost_usec;
		ran->push_back(id);
	}
	const char* get_runloop_name() override { return name; }
};

// A task that is done deletes itself inside its work.
struct self_deleting_task : UTL_runloop_task {
	int* ran;
	explicit self_deleting_task(int* r) : ran(r) {}
	void do_runloop_work() override
	{
		++*ran;
		g_now_usec += 900;
		delete this;
	}
	const char* get_runloop_name() override { return "self_deleting"; }
};

class runloop : public ::testing::Test {
protected:
	void SetUp() override
	{
		g_now_usec = 1000000;
		UTL_runloop_set_clock(fake_clock);
		UTL_runloop_init();
	}
	void TearDown() override
	{
		::testing::internal::CaptureStdout();
		UTL_runloop_shutdown();
		::testing::internal::GetCapturedStdout();
		UTL_runloop_set_clock(nullptr);
	}
	void queue(std::vector<int64_t> costs, const char* name = "task")
	{
		for (int64_t c : costs) {
			tasks_.push_back(std::make_unique<costed_task>(c, name, &ran_, static_cast<int>(tasks_.size())));
			UTL_runloop_queue(tasks_.back().get());
		}
	}
	std::vector<std::unique_ptr<costed_task>> tasks_;
	std::vector<int> ran_;
};

struct budget_case {
	const char* name;
	std::vector<int64_t> costs;
	int max_tasks, max_usec;
	int first_frame, second_frame;
};

class runloop_budget : public runloop, public ::testing::WithParamInterface<budget_case> {};

TEST_P(runloop_budget, ends_the_frame_at_the_task_or_time_limit)
{
	const budget_case& c = GetParam();
	queue(c.costs);
	::testing::internal::CaptureStdout();  // the slow tasks' timing lines
	EXPECT_EQ(UTL_runloop_run(c.max_tasks, c.max_usec), c.first_frame);
	EXPECT_EQ(static_cast<int>(ran_.size()), c.first_frame);
	EXPECT_EQ(UTL_runloop_run(c.max_tasks, c.max_usec), c.second_frame);
	EXPECT_EQ(static_cast<int>(ran_.size()), c.first_frame + c.second_frame);
	::testing::internal::GetCapturedStdout();
	for (size_t i = 0; i < ran_.size(); ++i)
		EXPECT_EQ(ran_[i], static_cast<int>(i)) << "tasks run in queue order";
}

INSTANTIATE_TEST_SUITE_P(
    cases, runloop_budget,
    ::testing::Values(budget_case{"twenty_short", std::vector<int64_t>(20, 10), 15, 5000, 15, 5},
                      budget_case{"six_ms_task", {10, 6000, 10, 10}, 15, 5000, 2, 2},
                      budget_case{"time_adds_up", {3000, 3000, 10}, 15, 5000, 2, 1},
                      budget_case{"exactly_the_budget", {2500, 2500, 10}, 15, 5000, 3, 0},
                      budget_case{"empty", {}, 15, 5000, 0, 0},
                      budget_case{"no_tasks_allowed", {10, 10}, 0, 5000, 0, 0}),
    [](const ::testing::TestParamInfo<budget_case>& i) { return std::string(i.param.name); });

// The budget is wall time since the frame's loop began, not only the work itself.
TEST_F(runloop, time_outside_the_work_counts_against_the_budget)
{
	struct slow_name_task : UTL_runloop_task {
		int* ran;
		explicit slow_name_task(int* r) : ran(r) {}
		void do_runloop_work() override
		{
			g_now_usec += 10;
			++*ran;
		}
		const char* get_runloop_name() override
		{
			g_now_usec += 3000;
			return "slow_name";
		}
	};
	int ran = 0;
	slow_name_task a(&ran), b(&ran), c(&ran);
	UTL_runloop_queue(&a);
	UTL_runloop_queue(&b);
	UTL_runloop_queue(&c);
	EXPECT_EQ(UTL_runloop_run(15, 5000), 2);
	EXPECT_EQ(ran, 2);
	EXPECT_EQ(UTL_runloop_run(15, 5000), 1);
}

TEST_F(runloop, slow_tasks_print_their_time)
{
	queue({500}, "just_fast_enough");
	queue({501}, "slow_fetch");
	queue({6000}, "very_slow");
	::testing::internal::CaptureStdout();
	EXPECT_EQ(UTL_runloop_run(15, 1000000), 3);
	EXPECT_EQ(::testing::internal::GetCapturedStdout(), "slow_fetch: 501 usec\nvery_slow: 6000 usec\n");
}

TEST_F(runloop, task_deleting_itself_is_timed_by_the_name_read_before)
{
	int ran = 0;
	UTL_runloop_queue(new self_deleting_task(&ran));
	::testing::internal::CaptureStdout();
	EXPECT_EQ(UTL_runloop_run(15, 5000), 1);
	EXPECT_EQ(::testing::internal::GetCapturedStdout(), "self_deleting: 900 usec\n");
	EXPECT_EQ(ran, 1);
}

TEST_F(runloop, frame_budget_comes_from_the_stats)
{
	queue(std::vector<int64_t>(20, 10));
	EXPECT_EQ(UTL_runloop_run_frame(), 15);
	EXPECT_EQ(UTL_runloop_run_frame(), 5);
}

TEST_F(runloop, shutdown_drops_what_is_left_without_running_it)
{
	queue({10, 10, 10});
	EXPECT_EQ(UTL_runloop_run(1, 5000), 1);
	::testing::internal::CaptureStdout();
	UTL_runloop_shutdown();
	EXPECT_EQ(::testing::internal::GetCapturedStdout(), "WARNING: runloop not empty.\n");
	UTL_runloop_init();
	EXPECT_EQ(UTL_runloop_run(15, 5000), 0);
	EXPECT_EQ(ran_.size(), 1u);

	::testing::internal::CaptureStdout();
	UTL_runloop_shutdown();
	EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(runloop, tasks_from_many_threads_keep_each_threads_order)
{
	constexpr int producers = 4, each = 200;
	std::vector<std::vector<int>> seen(producers);
	struct tagged_task : UTL_runloop_task {
		std::vector<std::vector<int>>* seen;
		int producer, seq;
		void do_runloop_work() override
		{
			(*seen)[producer].push_back(seq);
			delete this;
		}
		const char* get_runloop_name() override { return "tagged"; }
	};
	std::vector<std::thread> threads;
	for (int p = 0; p < producers; ++p)
		threads.emplace_back([&, p] {
			for (int k = 0; k < each; ++k) {
				auto* t = new tagged_task;
				t->seen = &seen;
				t->producer = p;
				t->seq = k;
				UTL_runloop_queue(t);
			}
		});
	int ran = 0;
	// The main thread drains while the producers are still queueing.
	while (ran < producers * each)
		ran += UTL_runloop_run(15, 5000);
	for (std::thread& t : threads)
		t.join();
	EXPECT_EQ(UTL_runloop_run(15, 5000), 0);
	for (int p = 0; p < producers; ++p) {
		ASSERT_EQ(seen[p].size(), static_cast<size_t>(each));
		for (int k = 0; k < each; ++k)
			ASSERT_EQ(seen[p][k], k);
	}
}

}  // namespace
