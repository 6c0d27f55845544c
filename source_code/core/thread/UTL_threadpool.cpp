#include "core/thread/UTL_threadpool.h"
#include "core/thread/THREAD_kit.h"

UTL_threadpool* g_threadpool = nullptr;

UTL_threadpool::UTL_threadpool(int count)
{
	UTL_critical_section_create(&lock);
	UTL_semaphore_create(&sem, 0);
	if (count < 0)
		count = 0;
	handles.resize(count);
	ids.resize(count);
	threads.resize(count);
	for (int i = 0; i < count; ++i) {
		threads[i] = worker{this, i + 1};
		THREAD_create(worker_main, &threads[i], &handles[i], &ids[i], &ids[i], 1);
	}
}

UTL_threadpool::~UTL_threadpool()
{
	const int n = thread_count();
	{
		UTL_cs_guard g(&lock);
		for (int i = 0; i < n; ++i)
			tasks.push_front(nullptr);
	}
	for (int i = 0; i < n; ++i)
		UTL_semaphore_inc(sem);
	for (int i = 0; i < n; ++i)
		UTL_thread_join(handles[i]);
	UTL_critical_section_destroy(&lock);
	UTL_semaphore_destroy(sem);
	tasks.clear();
}

void UTL_threadpool::queue_task(UTL_pool_task* task, int at_front)
{
	pending.fetch_add(1, std::memory_order_acq_rel);
	{
		UTL_cs_guard g(&lock);
		if (at_front)
			tasks.push_front(task);
		else
			tasks.push_back(task);
	}
	UTL_semaphore_inc(sem);
}

void* UTL_threadpool::worker_main(void* arg)
{
	worker* w = static_cast<worker*>(arg);
	UTL_threadpool* pool = w->pool;
	for (;;) {
		UTL_semaphore_dec(pool->sem, -1);
		UTL_pool_task* task = nullptr;
		bool got = false;
		{
			UTL_cs_guard g(&pool->lock);
			if (!pool->tasks.empty()) {
				task = pool->tasks.front();
				pool->tasks.pop_front();
				got = true;
			}
		}
		if (!got)
			continue;
		if (!task)
			break;
		if (task->do_it(w->index))
			delete task;
		pool->pending.fetch_sub(1, std::memory_order_acq_rel);
	}
	return nullptr;
}
