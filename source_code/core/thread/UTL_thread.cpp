#include "core/thread/UTL_threads.h"
#include "core/ui/alert.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <unistd.h>

void UTL_thread_create(UTL_thread_fn fn, void* arg, UTL_thread_handle* out_handle,
                       UTL_thread_handle* out_id1, UTL_thread_handle* out_id2)
{
	pthread_t t{};
	int err = pthread_create(&t, nullptr, fn, arg);
	if (err != 0) {
		char buf[64];
		snprintf(buf, sizeof buf, "err=%f", static_cast<double>(err));
		RADAVI_alert("\"pthread_create\" OS error", buf, "", "", alert_mode_fatal_loc);
	}
	if (out_handle)
		*out_handle = t;
	if (out_id1)
		*out_id1 = t;
	if (out_id2)
		*out_id2 = t;
}

void* UTL_thread_join(UTL_thread_handle handle)
{
	void* result = nullptr;
	int err = pthread_join(handle, &result);
	if (err != 0)
		printf("Warning: wait on thread cleanup failed with error %d\n", err);
	return result;
}

void UTL_thread_exit(void* result) { pthread_exit(result); }

UTL_thread_handle UTL_get_current_thread() { return pthread_self(); }

int UTL_count_processors()
{
	long n = sysconf(_SC_NPROCESSORS_ONLN);
	return n >= 1 ? static_cast<int>(n) : 2;
}

void UTL_sleep(int ms)
{
	if (ms <= 0)
		return;
	timespec want{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
	timespec left{};
	while (nanosleep(&want, &left) != 0 && errno == EINTR)
		want = left;
}
