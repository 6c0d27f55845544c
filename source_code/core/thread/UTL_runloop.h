#pragma once
// The main-thread run loop: any thread queues tasks; the main loop runs them between
// frames, in queue order, within a per-frame budget.
#include <cstdint>

class UTL_runloop_task {
public:
	virtual ~UTL_runloop_task() = default;
	// A finished task deletes itself here; the loop never deletes tasks.
	virtual void do_runloop_work() = 0;
	virtual const char* get_runloop_name() = 0;  // constant text for timing lines
};

void UTL_runloop_init();
void UTL_runloop_queue(UTL_runloop_task* task);
// Main thread. Returns the number of tasks run.
int UTL_runloop_run(int max_tasks, int max_usec);
void UTL_runloop_shutdown();

// One frame's run with the budget of the stats "runloop/tasks_per_frame" and
// "runloop/time_per_frame_usec".
int UTL_runloop_run_frame();

// The microsecond clock the budget is measured with; null restores the monotonic clock.
typedef int64_t (*UTL_usec_clock_fn)();
void UTL_runloop_set_clock(UTL_usec_clock_fn fn);
