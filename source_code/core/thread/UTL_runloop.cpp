#include "core/thread/UTL_runloop.h"
#include "core/thread/UTL_stat.h"
#include "core/thread/UTL_threads.h"

#include <cstdio>
#include <ctime>
#include <list>

namespace {
struct runloop_queue {
	UTL_critical_section lock = 0;
	UTL_semaphore* sem = nullptr;
	std::list<UTL_runloop_task*> tasks;
	runloop_queue() { UTL_semaphore_create(&sem, 0); }
};
// Built on first use, so a task queued before UTL_runloop_init is not lost.
runloop_queue& queue()
{
	static runloop_queue q;
	return q;
}

int64_t monotonic_usec()
{
	timespec t;
	clock_gettime(CLOCK_MONOTONIC, &t);
	return static_cast<int64_t>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

UTL_usec_clock_fn g_clock = monotonic_usec;
}  // namespace

static UTL_stat s_tasks_per_frame("runloop/tasks_per_frame", 5, 15.0f);
static UTL_stat s_time_per_frame("runloop/time_per_frame_usec", 5, 5000.0f);

void UTL_runloop_set_clock(UTL_usec_clock_fn fn) { g_clock = fn ? fn : monotonic_usec; }

void UTL_runloop_init() { queue(); }

void UTL_runloop_queue(UTL_runloop_task* task)
{
	runloop_queue& q = queue();
	{
		UTL_cs_guard g(&q.lock);
		q.tasks.push_back(task);
	}
	UTL_semaphore_inc(q.sem);
}

int UTL_runloop_run(int max_tasks, int max_usec)
{
	runloop_queue& q = queue();
	int ran = 0;
	int64_t total = 0;
	int64_t last = g_clock();
	while (ran < max_tasks) {
		if (!UTL_semaphore_dec(q.sem, 0))
			break;
		UTL_runloop_task* task;
		{
			UTL_cs_guard g(&q.lock);
			if (q.tasks.empty())
				break;
			task = q.tasks.front();
			q.tasks.pop_front();
		}
		// Read before the work: a finished task deletes itself.
		const char* name = task->get_runloop_name();
		int64_t start = g_clock();
		task->do_runloop_work();
		int64_t end = g_clock();
		++ran;
		if (end - start > 500)
			printf("%s: %d usec\n", name, static_cast<int>(end - start));
		total += end - last;
		last = end;
		if (total > max_usec)
			break;
	}
	return ran;
}

int UTL_runloop_run_frame()
{
	return UTL_runloop_run(static_cast<int>(s_tasks_per_frame.get()), static_cast<int>(s_time_per_frame.get()));
}

void UTL_runloop_shutdown()
{
	runloop_queue& q = queue();
	bool left;
	{
		UTL_cs_guard g(&q.lock);
		left = !q.tasks.empty();
		q.tasks.clear();
	}
	if (left)
		printf("WARNING: runloop not empty.\n");
	while (UTL_semaphore_dec(q.sem, 0))
		;
}
