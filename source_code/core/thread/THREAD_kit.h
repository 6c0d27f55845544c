#pragma once
// The application's threads: the main thread, threads launched with a start handshake
// and a catch-all around their work, the worker pool and the exception queues.
#include "core/thread/UTL_threads.h"
#include "core/ui/alert.h"

#include <vector>

void THREAD_init();
bool THREAD_is_main_thread();
bool THREAD_is_inited();

// Pool size from the processor count and --num_workers, then the pool and the run loop.
void THREAD_make_workers();

// Starts fn(arg) through THREAD_launch; returns once the new thread runs.
void THREAD_create(UTL_thread_fn fn, void* arg, UTL_thread_handle* out_handle,
                   UTL_thread_handle* out_id1, UTL_thread_handle* out_id2, int want_gl);

// Routes an exception raised on any thread: modes 2 and 3 to the quit queue (and end
// the calling thread unless it is the main thread), mode 1 to the warning queue.
void THREAD_send_exception(const exce_class& e);

// Pool, run loop and queues torn down; prints "Clean exit from threads.".
void THREAD_shutdown();

// What the queues hold, oldest first (nothing displays them; tests and diagnostics read them).
std::vector<exce_class> THREAD_queued_warnings();
std::vector<exce_class> THREAD_queued_quits();

// Threaded OpenGL: starts available; cleared when a worker context cannot be made.
bool THREAD_threaded_gl_available();
void THREAD_set_threaded_gl_available(bool available);

// Worker GL contexts are made by the render layer, which registers these hooks.
// Without hooks, want_gl gives no context.
struct THREAD_gl_hooks {
	void* (*create_context)();          // a loader context sharing with the main one; null on failure
	bool (*attach_context)(void* ctx);  // on the new thread
	void (*set_defaults)();             // the thread's GL defaults, once attached
	void (*release_context)(void* ctx); // detach (when attached) and destroy
};
void THREAD_set_gl_hooks(const THREAD_gl_hooks* hooks);  // null removes them

// Developer statistics of thread waits.
struct UTL_stat;
extern UTL_stat g_stat_thread_sync_wait;  // "time/thread_sync_wait", kind 4
extern UTL_stat g_stat_wait_workers;      // "time/wait_workers", kind 5
