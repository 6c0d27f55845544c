#include "core/thread/UTL_threads.h"

#include <atomic>
#include <sched.h>

// The lock word is a plain int shared with C-style callers; atomic_ref gives it atomic access.
void UTL_critical_section_create(UTL_critical_section* cs) { *cs = 0; }

void UTL_critical_section_lock(UTL_critical_section* cs)
{
	std::atomic_ref<int> word(*cs);
	for (;;) {
		int expected = 0;
		if (word.compare_exchange_weak(expected, 1, std::memory_order_acquire))
			return;
		// Yield while held: on two cores a holder that was preempted must get to run.
		while (word.load(std::memory_order_relaxed) != 0)
			sched_yield();
	}
}

void UTL_critical_section_unlock(UTL_critical_section* cs)
{
	std::atomic_ref<int>(*cs).store(0, std::memory_order_release);
}

void UTL_critical_section_destroy(UTL_critical_section*) {}
