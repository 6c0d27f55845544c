// The bounded queue between stages: capacity, order, time-outs and many readers and writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <barrier>
#include <thread>
#include <vector>

#include "app/Installer-f/engine/UTL_atomic_fifo.h"

namespace {

int g_items[8];

TEST(pipeline_fifo, capacity_two_refuses_third_write_and_keeps_order)
{
	UTL_atomic_fifo<int*> q(2);
	EXPECT_TRUE(q.write(&g_items[0], 0));
	EXPECT_TRUE(q.write(&g_items[1], 0));
	EXPECT_FALSE(q.write(&g_items[2], 0));

	int* got = nullptr;
	ASSERT_TRUE(q.read(got, 0));
	EXPECT_EQ(got, &g_items[0]);
	EXPECT_TRUE(q.write(&g_items[2], 0));
	EXPECT_FALSE(q.write(&g_items[3], 0));

	ASSERT_TRUE(q.read(got, 0));
	EXPECT_EQ(got, &g_items[1]);
	ASSERT_TRUE(q.read(got, 0));
	EXPECT_EQ(got, &g_items[2]);
	got = &g_items[7];
	EXPECT_FALSE(q.read(got, 0));
	EXPECT_EQ(got, &g_items[7]) << "a failed read leaves the item alone";
}

TEST(pipeline_fifo, order_survives_many_wrap_arounds)
{
	UTL_atomic_fifo<int*> q(3);
	int next_in = 0, next_out = 0;
	static int values[64];
	while (next_out < 64) {
		while (next_in < 64 && q.write(&values[next_in], 0))
			++next_in;
		int* got = nullptr;
		ASSERT_TRUE(q.read(got, 0));
		EXPECT_EQ(got, &values[next_out]);
		++next_out;
	}
}

TEST(pipeline_fifo, timed_waits_give_up_on_empty_and_full_queues)
{
	UTL_atomic_fifo<int*> q(1);
	int* got = nullptr;
	EXPECT_FALSE(q.read(got, 20));
	ASSERT_TRUE(q.write(&g_items[0], 20));
	EXPECT_FALSE(q.write(&g_items[1], 20));
	// The timed failures gave their units back: the queue still holds exactly one item.
	ASSERT_TRUE(q.read(got, 0));
	EXPECT_EQ(got, &g_items[0]);
	EXPECT_FALSE(q.read(got, 0));
	EXPECT_TRUE(q.write(&g_items[1], 0));
}

TEST(pipeline_fifo, a_waiting_reader_takes_an_item_written_later)
{
	UTL_atomic_fifo<int*> q(4);
	int* got = nullptr;
	std::thread reader([&] { q.read(got, -1); });
	q.write(&g_items[5], -1);
	reader.join();
	EXPECT_EQ(got, &g_items[5]);
}

// Several writers and readers on a small queue: every item comes out exactly once, and the
// items of any one writer leave in the order that writer put them in.
TEST(pipeline_fifo, several_readers_and_writers_each_item_exactly_once)
{
	constexpr int writers = 3, readers = 4, per_writer = 5000;
	struct item {
		int writer, seq;
	};
	std::vector<std::vector<item>> made(writers);
	for (int w = 0; w < writers; ++w)
		for (int i = 0; i < per_writer; ++i)
			made[w].push_back({w, i});

	UTL_atomic_fifo<item*> q(7);
	std::barrier go(writers + readers);
	std::vector<std::vector<item*>> taken(readers);
	std::vector<std::thread> threads;
	for (int w = 0; w < writers; ++w)
		threads.emplace_back([&, w] {
			go.arrive_and_wait();
			for (item& it : made[w])
				q.write(&it, -1);
		});
	for (int r = 0; r < readers; ++r)
		threads.emplace_back([&, r] {
			go.arrive_and_wait();
			for (;;) {
				item* it = nullptr;
				q.read(it, -1);
				if (!it)
					return;
				taken[r].push_back(it);
			}
		});
	for (int w = 0; w < writers; ++w)
		threads[w].join();
	for (int r = 0; r < readers; ++r)
		q.write(nullptr, -1);
	for (int r = 0; r < readers; ++r)
		threads[writers + r].join();

	std::vector<int> seen(writers * per_writer, 0);
	for (const auto& list : taken) {
		std::vector<int> last(writers, -1);
		for (const item* it : list) {
			++seen[it->writer * per_writer + it->seq];
			EXPECT_GT(it->seq, last[it->writer]) << "one reader saw a writer's items out of order";
			last[it->writer] = it->seq;
		}
	}
	EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
}

}  // namespace
