#pragma once
// Thread primitives: OS threads, spin-lock critical sections, counting semaphores.
#include <pthread.h>

typedef pthread_t UTL_thread_handle;
typedef void* (*UTL_thread_fn)(void*);

void UTL_thread_create(UTL_thread_fn fn, void* arg, UTL_thread_handle* out_handle,
                       UTL_thread_handle* out_id1, UTL_thread_handle* out_id2);
void* UTL_thread_join(UTL_thread_handle handle);
[[noreturn]] void UTL_thread_exit(void* result);
UTL_thread_handle UTL_get_current_thread();
int UTL_count_processors();
void UTL_sleep(int ms);

// A 32-bit spin lock; 0 is free. Not recursive; held only for a few list operations.
typedef int UTL_critical_section;
void UTL_critical_section_create(UTL_critical_section* cs);
void UTL_critical_section_lock(UTL_critical_section* cs);
void UTL_critical_section_unlock(UTL_critical_section* cs);
void UTL_critical_section_destroy(UTL_critical_section* cs);

// Scoped lock for our own code.
struct UTL_cs_guard {
	explicit UTL_cs_guard(UTL_critical_section* cs) : cs_(cs) { UTL_critical_section_lock(cs_); }
	~UTL_cs_guard() { UTL_critical_section_unlock(cs_); }
	UTL_cs_guard(const UTL_cs_guard&) = delete;
	UTL_cs_guard& operator=(const UTL_cs_guard&) = delete;
	UTL_critical_section* cs_;
};

struct UTL_semaphore;
void UTL_semaphore_create(UTL_semaphore** out, int initial);
void UTL_semaphore_destroy(UTL_semaphore* s);
void UTL_semaphore_inc(UTL_semaphore* s);
// ms 0: try; ms -1: wait without limit; ms > 0: wait at most ms. 1 when a unit was taken.
int UTL_semaphore_dec(UTL_semaphore* s, int ms);
int UTL_semaphore_count(const UTL_semaphore* s);  // for tests and statistics
