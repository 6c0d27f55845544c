#pragma once
// A pipeline stage: worker threads that take records from in_fifo, process them and put the
// output into out_fifo, until each reads an end marker.
//
// Life of a concrete stage (a worker calls virtual functions, so it may run only while the
// whole object exists):
//   - its constructor ends with start(), which starts the threads;
//   - its destructor begins with stop(), which wakes a pausing worker, writes one end marker
//     per thread (unless stop_sent), joins the threads and prints the statistics line.
// Stages that read one queue must be stopped together: send_end_markers() on every one of
// them first, then destroy them one by one, or a worker of one stage can take the marker of
// another and that stage's stop would wait for ever.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>
#include <sched.h>

#include "app/Installer-f/engine/UTL_atomic_fifo.h"
#include "core/thread/UTL_threads.h"

template <class In, class Out>
class UTL_fifo_processor {
public:
	UTL_fifo_processor(int thread_count, UTL_atomic_fifo<In>* in, UTL_atomic_fifo<Out>* out, const In& end_marker,
	                   const std::string& name)
	    : name(name), in_fifo(in), out_fifo(out), end_marker(end_marker), thread_count_(std::max(thread_count, 1))
	{
		UTL_semaphore_create(&sleep_sem, 0);
	}

	virtual ~UTL_fifo_processor()
	{
		stop();
		UTL_semaphore_destroy(sleep_sem);
	}
	UTL_fifo_processor(const UTL_fifo_processor&) = delete;
	UTL_fifo_processor& operator=(const UTL_fifo_processor&) = delete;

	// Takes ownership of in and must always set out, also on error, so every item that enters
	// the stage leaves it. Returns the seconds the worker pauses before its next item (0: none).
	virtual float process(const In& in, Out& out) = 0;
	// Once per worker thread as it ends.
	virtual void cleanup() {}
	virtual void fifo_processor_worker()
	{
		using clock = std::chrono::steady_clock;
		int64_t wait_in_us = 0, wait_out_us = 0, work_us = 0;
		for (;;) {
			In item{};
			auto t0 = clock::now();
			in_fifo->read(item, -1);
			auto t1 = clock::now();
			wait_in_us += us_between(t0, t1);
			if (item == end_marker)
				break;
			Out result{};
			float pause = process(item, result);
			auto t2 = clock::now();
			work_us += us_between(t1, t2);
			out_fifo->write(result, -1);
			wait_out_us += us_between(t2, clock::now());
			if (pause > 0)
				pause_for(pause);
		}
		wait_in_ms.fetch_add(static_cast<int32_t>(wait_in_us / 1000));
		wait_out_ms.fetch_add(static_cast<int32_t>(wait_out_us / 1000));
		work_ms.fetch_add(static_cast<int32_t>(work_us / 1000));
		cleanup();
	}

	// One end marker per thread into in_fifo (waiting without limit); sets stop_sent.
	void send_end_markers()
	{
		for (int i = 0; i < thread_count_; ++i)
			in_fifo->write(end_marker, -1);
		stop_sent = true;
	}

	int get_thread_count() const { return thread_count_; }

	std::string name;
	UTL_atomic_fifo<In>* in_fifo;
	UTL_atomic_fifo<Out>* out_fifo;
	In end_marker;
	std::vector<std::pair<UTL_thread_handle, UTL_thread_handle>> threads;  // handle, id
	bool stop_sent = false;
	UTL_semaphore* sleep_sem = nullptr;
	std::atomic<int32_t> sleeping{0};  // 1 while a worker pauses on sleep_sem
	std::atomic<int32_t> wait_in_ms{0}, wait_out_ms{0}, work_ms{0};

protected:
	void start()
	{
		if (started_)
			return;
		started_ = true;
		for (int i = 0; i < thread_count_; ++i) {
			UTL_thread_handle h{}, id{}, id2{};
			UTL_thread_create(&thread_main, this, &h, &id, &id2);
			threads.emplace_back(h, id);
		}
	}

	void stop()
	{
		if (stopped_)
			return;
		stopped_ = true;
		end_pauses();
		if (started_) {
			if (!stop_sent)
				send_end_markers();
			for (auto& t : threads)
				UTL_thread_join(t.first);
		}
		threads.clear();
		int32_t in = wait_in_ms.load(), out = wait_out_ms.load(), work = work_ms.load();
		double total = static_cast<double>(in) + out + work;
		auto pct = [total](int32_t v) { return total > 0 ? 100.0 * v / total : 0.0; };
		printf("%s: %.1f%% wait input, %.1f%% work, %.1f%% wait output.\n", name.c_str(), pct(in), pct(work),
		       pct(out));
		fflush(stdout);
	}

	// From now on no worker pauses, and one that pauses wakes at once. For stop() and for the
	// cancel() of a stage. Without the flag a worker that had just finished an item could begin
	// its pause after the wake-up and hold up the stop for the whole pause.
	void end_pauses()
	{
		no_pauses_.store(true);
		if (sleeping.load() == 1) {
			UTL_semaphore_inc(sleep_sem);
			while (sleeping.load() != 0)
				sched_yield();
		}
	}

private:
	static void* thread_main(void* self)
	{
		static_cast<UTL_fifo_processor*>(self)->fifo_processor_worker();
		return nullptr;
	}

	template <class A, class B>
	static int64_t us_between(A a, B b)
	{
		return std::chrono::duration_cast<std::chrono::microseconds>(b - a).count();
	}

	// Only one worker of a stage pauses at a time; another that wants to pause meanwhile does not.
	void pause_for(float seconds)
	{
		int32_t expected = 0;
		if (!sleeping.compare_exchange_strong(expected, 1))
			return;
		// Checked after taking the flag: end_pauses sets its flag before it looks at ours.
		if (!no_pauses_.load()) {
			double ms = std::min(static_cast<double>(seconds) * 1000.0, 2.0e9);
			UTL_semaphore_dec(sleep_sem, std::max(1, static_cast<int>(ms)));
		}
		sleeping.store(0);
	}

	int thread_count_;
	bool started_ = false;
	bool stopped_ = false;
	std::atomic<bool> no_pauses_{false};
};
