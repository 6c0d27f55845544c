#include "core/thread/UTL_threads.h"
#include "core/thread/UTL_semaphore_seam.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <semaphore.h>

// count > 0: free units; count < 0: minus the number of threads that must sleep.
// The kernel semaphore is touched only when a thread has to sleep or wake one.
struct UTL_semaphore {
	std::atomic<int> count{0};
	sem_t kernel;
};

UTL_semaphore_timeout_fn UTL_semaphore_timeout_seam = nullptr;

void UTL_semaphore_create(UTL_semaphore** out, int initial)
{
	UTL_semaphore* s = new UTL_semaphore;
	s->count.store(initial, std::memory_order_relaxed);
	if (sem_init(&s->kernel, 0, 0) != 0)
		printf("create: %d\n", errno);
	*out = s;
}

void UTL_semaphore_destroy(UTL_semaphore* s)
{
	if (!s)
		return;
	if (sem_destroy(&s->kernel) != 0)
		printf("destroy: %d\n", errno);
	delete s;
}

void UTL_semaphore_inc(UTL_semaphore* s)
{
	if (s->count.fetch_add(1, std::memory_order_acq_rel) + 1 <= 0) {
		if (sem_post(&s->kernel) != 0)
			printf("signal: %d\n", errno);
	}
}

int UTL_semaphore_count(const UTL_semaphore* s) { return s->count.load(std::memory_order_acquire); }

static void wait_forever(UTL_semaphore* s)
{
	for (;;) {
		if (sem_wait(&s->kernel) == 0)
			return;
		int e = errno;
		if (e == EINTR)
			printf("Hit kern aborted...why?\n");
		else if (e != ETIMEDOUT)
			printf("semaphore_wait: %d\n", e);
	}
}

static int try_take(UTL_semaphore* s)
{
	int c = s->count.load(std::memory_order_acquire);
	while (c >= 1) {
		if (s->count.compare_exchange_weak(c, c - 1, std::memory_order_acq_rel))
			return 1;
	}
	return 0;
}

// One wait until an absolute monotonic deadline. A signal handler interrupting the
// wait must not shorten it, so EINTR waits again for the rest of the time.
static bool wait_until(UTL_semaphore* s, const timespec& deadline)
{
	for (;;) {
		if (sem_clockwait(&s->kernel, CLOCK_MONOTONIC, &deadline) == 0)
			return true;
		int e = errno;
		if (e == EINTR)
			continue;
		if (e != ETIMEDOUT)
			printf("semaphore_wait: %d\n", e);
		return false;
	}
}

int UTL_semaphore_dec(UTL_semaphore* s, int ms)
{
	if (ms == 0)
		return try_take(s);

	if (s->count.fetch_sub(1, std::memory_order_acq_rel) - 1 >= 0)
		return 1;

	if (ms < 0) {
		wait_forever(s);
		return 1;
	}

	timespec deadline;
	clock_gettime(CLOCK_MONOTONIC, &deadline);
	deadline.tv_sec += ms / 1000;
	deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
	if (deadline.tv_nsec >= 1000000000L) {
		deadline.tv_sec += 1;
		deadline.tv_nsec -= 1000000000L;
	}
	if (wait_until(s, deadline))
		return 1;

	if (UTL_semaphore_timeout_seam)
		UTL_semaphore_timeout_seam(s);

	// Give our unit of waiting back. If count is no longer negative, an increment has
	// already counted us as a sleeper and its signal is on its way: take it.
	int c = s->count.load(std::memory_order_acquire);
	while (c < 0) {
		if (s->count.compare_exchange_weak(c, c + 1, std::memory_order_acq_rel))
			return 0;
	}
	wait_forever(s);
	return 1;
}
