#pragma once
// A general worker pool. Workers take tasks in queue order; a task says whether the
// pool deletes it afterwards.
#include "core/thread/UTL_threads.h"

#include <atomic>
#include <list>
#include <vector>

class UTL_pool_task {
public:
	virtual ~UTL_pool_task() = default;
	// Returns true when the pool shall delete the task.
	virtual bool do_it(int worker_index) = 0;
	virtual const char* get_debug_name() = 0;
};

class UTL_threadpool {
public:
	explicit UTL_threadpool(int count);
	// Stops the workers; queued tasks are neither run nor deleted.
	~UTL_threadpool();
	UTL_threadpool(const UTL_threadpool&) = delete;
	UTL_threadpool& operator=(const UTL_threadpool&) = delete;

	void queue_task(UTL_pool_task* task, int at_front);

	int thread_count() const { return static_cast<int>(handles.size()); }
	int pending_tasks() const { return pending.load(std::memory_order_acquire); }

	struct worker {
		UTL_threadpool* pool;
		int index;
	};

	std::vector<UTL_thread_handle> handles;
	std::vector<UTL_thread_handle> ids;
	std::vector<worker> threads;
	std::list<UTL_pool_task*> tasks;  // a null entry ends one worker
	UTL_critical_section lock = 0;
	UTL_semaphore* sem = nullptr;
	std::atomic<int> pending{0};  // queued plus running

private:
	static void* worker_main(void* arg);
};

extern UTL_threadpool* g_threadpool;
