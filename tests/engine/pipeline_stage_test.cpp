// The generic stage: worker threads, end markers, stopping stages that share a queue, the pause
// and its wake-up, and the statistics line.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <regex>
#include <set>
#include <string>
#include <thread>

#include "app/Installer-f/engine/UTL_fifo_processor.h"

namespace {

struct job {
	int value = 0;
	float pause = 0;  // what process returns for it
};
struct done {
	int value = 0;
};

// Doubles the value; counts the workers that end through a latch.
class doubler final : public UTL_fifo_processor<job*, done*> {
public:
	doubler(int threads, UTL_atomic_fifo<job*>* in, UTL_atomic_fifo<done*>* out, std::latch* ended,
	        const std::string& name = "Doubler")
	    : UTL_fifo_processor(threads, in, out, nullptr, name), ended_(ended)
	{
		start();
	}
	~doubler() override { stop(); }

	float process(job* const& in, done*& out) override
	{
		out = new done{in->value * 2};
		float pause = in->pause;
		delete in;
		return pause;
	}
	void cleanup() override
	{
		if (ended_)
			ended_->count_down();
	}

private:
	std::latch* ended_;
};

std::vector<done*> take(UTL_atomic_fifo<done*>& q, int n)
{
	std::vector<done*> out;
	for (int i = 0; i < n; ++i) {
		done* d = nullptr;
		q.read(d, -1);
		out.push_back(d);
	}
	return out;
}

TEST(pipeline_stage, three_threads_process_five_items_then_end_on_three_markers)
{
	UTL_atomic_fifo<job*> in(16);
	UTL_atomic_fifo<done*> out(16);
	for (int i = 1; i <= 5; ++i)
		in.write(new job{i}, 0);
	for (int i = 0; i < 3; ++i)
		in.write(nullptr, 0);

	std::latch ended(3);
	doubler stage(3, &in, &out, &ended);
	ended.wait();  // every worker ran its cleanup: all three ended
	stage.stop_sent = true;

	std::multiset<int> values;
	for (done* d : take(out, 5)) {
		values.insert(d->value);
		delete d;
	}
	EXPECT_EQ(values, (std::multiset<int>{2, 4, 6, 8, 10}));
	done* extra = nullptr;
	EXPECT_FALSE(out.read(extra, 0)) << "an end marker must not produce output";
}

TEST(pipeline_stage, stages_sharing_one_queue_are_stopped_together)
{
	UTL_atomic_fifo<job*> in(64);
	UTL_atomic_fifo<done*> out(64);
	std::latch ended(3);
	auto* a = new doubler(2, &in, &out, &ended, "Share A");
	auto* b = new doubler(1, &in, &out, &ended, "Share B");
	for (int i = 0; i < 20; ++i)
		in.write(new job{i}, -1);
	int sum = 0;
	for (done* d : take(out, 20)) {
		sum += d->value;
		delete d;
	}
	EXPECT_EQ(sum, 2 * (19 * 20 / 2));

	// Markers for both first: whichever worker takes whichever marker, all three end.
	a->send_end_markers();
	b->send_end_markers();
	EXPECT_TRUE(a->stop_sent && b->stop_sent);
	delete a;
	delete b;
	EXPECT_TRUE(ended.try_wait());
	job* left = nullptr;
	EXPECT_FALSE(in.read(left, 0)) << "every marker was consumed";
}

TEST(pipeline_stage, destroying_a_stage_cuts_a_long_pause_short)
{
	UTL_atomic_fifo<job*> in(4);
	UTL_atomic_fifo<done*> out(4);
	auto* stage = new doubler(1, &in, &out, nullptr);
	in.write(new job{1, 300.0f}, -1);
	delete take(out, 1)[0];
	while (stage->sleeping.load() != 1)
		std::this_thread::yield();

	auto t0 = std::chrono::steady_clock::now();
	delete stage;
	// Not a speed figure: the pause was 300 s, so anything near it means it was not cut short.
	EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(60));
}

TEST(pipeline_stage, only_one_worker_pauses_at_a_time)
{
	UTL_atomic_fifo<job*> in(8);
	UTL_atomic_fifo<done*> out(8);
	doubler stage(2, &in, &out, nullptr);
	in.write(new job{1, 300.0f}, -1);
	in.write(new job{2, 300.0f}, -1);
	in.write(new job{3, 0.0f}, -1);
	// One worker pauses after the first long item; the other must not, so it does the rest.
	int got = 0;
	for (int i = 0; i < 3; ++i) {
		done* d = nullptr;
		ASSERT_TRUE(out.read(d, 60000)) << "a second worker paused as well";
		got += d->value;
		delete d;
	}
	EXPECT_EQ(got, 12);
}

TEST(pipeline_stage, statistics_line_printed_once_per_stage_with_its_shares)
{
	UTL_atomic_fifo<job*> in(4);
	UTL_atomic_fifo<done*> out(4);
	testing::internal::CaptureStdout();
	{
		std::latch ended(1);
		doubler stage(1, &in, &out, &ended, "Stats One");
		stage.send_end_markers();
		ended.wait();
		// The worker has added its own totals; replace them with known ones.
		stage.wait_in_ms = 50;
		stage.work_ms = 150;
		stage.wait_out_ms = 0;
	}
	{
		doubler idle(2, &in, &out, nullptr, "Stats Two");
	}
	std::string printed = testing::internal::GetCapturedStdout();

	EXPECT_NE(printed.find("Stats One: 25.0% wait input, 75.0% work, 0.0% wait output.\n"), std::string::npos)
	    << printed;
	auto count = [&](const std::string& name) {
		std::regex line(name + ": [0-9.]+% wait input, [0-9.]+% work, [0-9.]+% wait output\\.\n");
		return std::distance(std::sregex_iterator(printed.begin(), printed.end(), line), std::sregex_iterator());
	};
	EXPECT_EQ(count("Stats One"), 1);
	EXPECT_EQ(count("Stats Two"), 1);
}

}  // namespace
