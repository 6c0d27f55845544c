#include "core/thread/THREAD_kit.h"
#include "core/thread/UTL_threadpool.h"
#include "core/ui/UTL_cmdline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <latch>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Counts its runs and deletions; the pool deletes it when it asks to be deleted.
struct probe_task : UTL_pool_task {
	std::atomic<int>* runs;
	std::atomic<int>* deletions;
	bool delete_me;
	std::latch* done;
	probe_task(std::atomic<int>* r, std::atomic<int>* d, bool del, std::latch* l = nullptr)
		: runs(r), deletions(d), delete_me(del), done(l) {}
	~probe_task() override { ++*deletions; }
	bool do_it(int) override
	{
		++*runs;
		if (done)
			done->count_down();
		return delete_me;
	}
	const char* get_debug_name() override { return "probe"; }
};

// Holds its worker until released, recording its name when it runs.
struct ordered_task : UTL_pool_task {
	std::string name;
	std::vector<std::string>* order;
	std::mutex* m;
	std::latch* started = nullptr;
	std::latch* release = nullptr;
	std::latch* done = nullptr;
	bool do_it(int) override
	{
		if (started)
			started->count_down();
		if (release)
			release->wait();
		{
			std::lock_guard<std::mutex> g(*m);
			order->push_back(name);
		}
		if (done)
			done->count_down();
		return false;
	}
	const char* get_debug_name() override { return name.c_str(); }
};

struct size_case {
	std::vector<const char*> args;
	bool threaded_gl;
	int expect_threads;  // -1: from the processor count
};

class pool_size : public ::testing::TestWithParam<size_case> {
protected:
	void TearDown() override
	{
		::testing::internal::CaptureStdout();
		THREAD_shutdown();
		::testing::internal::GetCapturedStdout();
		THREAD_set_threaded_gl_available(true);
		cmdline.clear();
	}
};

TEST_P(pool_size, follows_num_workers_and_threaded_gl)
{
	const size_case& c = GetParam();
	std::vector<const char*> argv{"skyvane-installer"};
	argv.insert(argv.end(), c.args.begin(), c.args.end());
	cmdline.clear();
	cmdline.parse(static_cast<int>(argv.size()), argv.data());
	THREAD_set_threaded_gl_available(c.threaded_gl);
	THREAD_init();

	::testing::internal::CaptureStdout();
	THREAD_make_workers();
	const std::string out = ::testing::internal::GetCapturedStdout();
	EXPECT_EQ(out, "CPU count        : " + std::to_string(UTL_count_processors()) + "\n");

	const int expect = c.expect_threads >= 0 ? c.expect_threads : std::clamp(UTL_count_processors() - 1, 1, 32);
	ASSERT_NE(g_threadpool, nullptr);
	EXPECT_EQ(g_threadpool->thread_count(), expect);

	std::atomic<int> runs{0}, deletions{0};
	if (expect > 0) {
		std::latch done(expect * 2);
		for (int i = 0; i < expect * 2; ++i)
			g_threadpool->queue_task(new probe_task(&runs, &deletions, true, &done), 0);
		done.wait();
		EXPECT_EQ(runs.load(), expect * 2);
	} else {
		probe_task kept(&runs, &deletions, true);
		g_threadpool->queue_task(&kept, 0);
		EXPECT_EQ(g_threadpool->pending_tasks(), 1);
		::testing::internal::CaptureStdout();
		THREAD_shutdown();
		::testing::internal::GetCapturedStdout();
		EXPECT_EQ(runs.load(), 0);
		EXPECT_EQ(deletions.load(), 0);
	}
}

INSTANTIATE_TEST_SUITE_P(cases, pool_size,
                         ::testing::Values(size_case{{"--num_workers=0"}, true, 1},
                                           size_case{{"--num_workers=1"}, true, 1},
                                           size_case{{"--num_workers=3"}, true, 3},
                                           size_case{{"--num_workers=100"}, true, 32},
                                           size_case{{"--num_workers=-7"}, true, 1},
                                           size_case{{"--num_workers=99999999999999999999"}, true, 32},
                                           size_case{{}, true, -1},
                                           size_case{{"--num_workers=4"}, false, 0},
                                           size_case{{}, false, 0}));

TEST(thread_shutdown, tears_down_and_reports_a_clean_exit)
{
	THREAD_init();
	g_threadpool = new UTL_threadpool(2);
	::testing::internal::CaptureStdout();
	THREAD_shutdown();
	EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Clean exit from threads.\n");
	EXPECT_EQ(g_threadpool, nullptr);
	EXPECT_FALSE(THREAD_is_inited());
}

TEST(threadpool, workers_are_numbered_from_one_and_delete_only_on_request)
{
	constexpr int workers = 3, tasks = 60;
	std::atomic<int> runs{0}, deletions{0};
	std::vector<probe_task*> kept;
	{
		UTL_threadpool pool(workers);
		std::latch done(tasks);
		struct index_task : probe_task {
			using probe_task::probe_task;
			std::atomic<int>* bad_index;
			bool do_it(int worker_index) override
			{
				if (worker_index < 1 || worker_index > workers)
					++*bad_index;
				return probe_task::do_it(worker_index);
			}
		};
		std::atomic<int> bad{0};
		for (int i = 0; i < tasks; ++i) {
			auto* t = new index_task(&runs, &deletions, i % 2 == 0, &done);
			t->bad_index = &bad;
			if (i % 2)
				kept.push_back(t);
			pool.queue_task(t, 0);
		}
		done.wait();
		while (pool.pending_tasks() != 0)
			std::this_thread::yield();
		EXPECT_EQ(bad.load(), 0);
	}
	EXPECT_EQ(runs.load(), tasks);
	EXPECT_EQ(deletions.load(), tasks / 2);
	for (probe_task* t : kept)
		delete t;
}

TEST(threadpool, front_tasks_overtake_queued_ones)
{
	std::vector<std::string> order;
	std::mutex m;
	std::latch started(1), release(1), done(4);
	auto make = [&](const char* name) {
		auto* t = new ordered_task;
		t->name = name;
		t->order = &order;
		t->m = &m;
		t->done = &done;
		return t;
	};
	std::vector<ordered_task*> all{make("blocker"), make("back1"), make("back2"), make("front")};
	all[0]->started = &started;
	all[0]->release = &release;
	{
		UTL_threadpool pool(1);
		pool.queue_task(all[0], 0);
		started.wait();
		pool.queue_task(all[1], 0);
		pool.queue_task(all[2], 0);
		pool.queue_task(all[3], 1);
		release.count_down();
		done.wait();
	}
	EXPECT_EQ(order, (std::vector<std::string>{"blocker", "front", "back1", "back2"}));
	for (ordered_task* t : all)
		delete t;
}

TEST(threadpool, destruction_runs_no_queued_task)
{
	std::vector<std::string> order;
	std::mutex m;
	std::latch started(1), release(1);
	std::atomic<int> runs{0}, deletions{0};
	ordered_task blocker;
	blocker.name = "blocker";
	blocker.order = &order;
	blocker.m = &m;
	blocker.started = &started;
	blocker.release = &release;
	probe_task behind1(&runs, &deletions, true), behind2(&runs, &deletions, true);

	auto* pool = new UTL_threadpool(1);
	UTL_semaphore* sem = pool->sem;
	pool->queue_task(&blocker, 0);
	started.wait();
	pool->queue_task(&behind1, 0);
	pool->queue_task(&behind2, 0);
	ASSERT_EQ(UTL_semaphore_count(sem), 2);

	std::thread destroyer([&] { delete pool; });
	// The stop entry is queued once the semaphore shows its unit; then let the worker go.
	while (UTL_semaphore_count(sem) != 3)
		std::this_thread::yield();
	release.count_down();
	destroyer.join();

	EXPECT_EQ(order, std::vector<std::string>{"blocker"});
	EXPECT_EQ(runs.load(), 0);
	EXPECT_EQ(deletions.load(), 0);
}

}  // namespace
