#include "core/thread/THREAD_kit.h"
#include "core/thread/UTL_runloop.h"
#include "core/thread/UTL_stat.h"
#include "core/thread/UTL_threadpool.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/err_code.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <list>
#include <new>

UTL_stat g_stat_thread_sync_wait("time/thread_sync_wait", 4, 0.0f);
UTL_stat g_stat_wait_workers("time/wait_workers", 5, 0.0f);

namespace {
// Static initialisers run on the process's first thread, so that is the main thread
// until THREAD_init says otherwise.
pthread_t g_main_thread = pthread_self();
std::atomic<bool> g_inited{false};
std::atomic<bool> g_threaded_gl{true};

UTL_critical_section g_hooks_lock = 0;
THREAD_gl_hooks g_hooks{};
bool g_have_hooks = false;

struct exce_queue {
	UTL_critical_section lock = 0;
	UTL_semaphore* sem = nullptr;
	std::list<exce_class> items;
	exce_queue() { UTL_semaphore_create(&sem, 0); }

	void push(const exce_class& e)
	{
		{
			UTL_cs_guard g(&lock);
			items.push_back(e);
		}
		UTL_semaphore_inc(sem);
	}
	std::vector<exce_class> snapshot()
	{
		UTL_cs_guard g(&lock);
		return std::vector<exce_class>(items.begin(), items.end());
	}
	void clear()
	{
		{
			UTL_cs_guard g(&lock);
			items.clear();
		}
		while (UTL_semaphore_dec(sem, 0))
			;
	}
};
// Built on first use: an exception may be routed before THREAD_init.
exce_queue& warning_queue()
{
	static exce_queue q;
	return q;
}
exce_queue& quit_queue()
{
	static exce_queue q;
	return q;
}

enum { started_with_gl = 1, started_dropped_gl = 2, started_no_gl = 3 };

struct start_record {
	std::list<int> entries;
	UTL_critical_section lock = 0;
	UTL_semaphore* sem = nullptr;
};

struct launch_record {
	UTL_thread_fn fn;
	void* arg;
	void* ctx;
	THREAD_gl_hooks hooks;
	start_record* start;
};

// Releases the worker's context however the thread ends, including a thread that ends
// itself from inside an alert.
struct gl_release {
	const THREAD_gl_hooks& hooks;
	void* ctx;
	~gl_release()
	{
		if (ctx && hooks.release_context)
			hooks.release_context(ctx);
	}
};

exce_class launcher_exception(const char* line1, const char* line2, int line)
{
	exce_class e;
	e.msg1 = line1;
	e.msg2 = line2;
	e.file = __FILE__;
	e.line = line;
	e.mode = alert_mode_fatal_loc;
	return e;
}

void* THREAD_launch(void* p)
{
	launch_record rec = *static_cast<launch_record*>(p);
	delete static_cast<launch_record*>(p);

	int state = started_no_gl;
	void* attached = nullptr;
	if (rec.ctx) {
		if (rec.hooks.attach_context && rec.hooks.attach_context(rec.ctx)) {
			attached = rec.ctx;
			state = started_with_gl;
			if (rec.hooks.set_defaults)
				rec.hooks.set_defaults();
		} else {
			state = started_dropped_gl;
			if (rec.hooks.release_context)
				rec.hooks.release_context(rec.ctx);
		}
	}
	{
		UTL_cs_guard g(&rec.start->lock);
		rec.start->entries.push_back(state);
	}
	// The creator destroys the start record once it holds this unit.
	UTL_semaphore_inc(rec.start->sem);

	gl_release release{rec.hooks, attached};
	void* result = nullptr;
	try {
		result = rec.fn(rec.arg);
	} catch (abi::__forced_unwind&) {
		throw;  // the thread is ending itself (pthread_exit): let it
	} catch (const exce_class& e) {
		THREAD_send_exception(e);
	} catch (const std::bad_alloc&) {
		exce_class e = launcher_exception(error_str(err_from_errno(ENOMEM)).c_str(), "", __LINE__);
		THREAD_send_exception(e);
	} catch (const std::exception& x) {
		THREAD_send_exception(launcher_exception("Caught an unhandled C++ exception", x.what(), __LINE__));
	} catch (...) {
		THREAD_send_exception(launcher_exception("Caught an unhandled unknown exception", "", __LINE__));
	}
	return result;
}
}  // namespace

void THREAD_init()
{
	g_main_thread = pthread_self();
	warning_queue();
	quit_queue();
	g_inited.store(true);
}

bool THREAD_is_main_thread() { return pthread_equal(pthread_self(), g_main_thread) != 0; }

bool THREAD_is_inited() { return g_inited.load(); }

bool THREAD_threaded_gl_available() { return g_threaded_gl.load(); }

void THREAD_set_threaded_gl_available(bool available) { g_threaded_gl.store(available); }

void THREAD_set_gl_hooks(const THREAD_gl_hooks* hooks)
{
	UTL_cs_guard g(&g_hooks_lock);
	g_have_hooks = hooks != nullptr;
	g_hooks = hooks ? *hooks : THREAD_gl_hooks{};
}

void THREAD_make_workers()
{
	int n = UTL_count_processors();
	printf("CPU count        : %d\n", n);
	if (cmdline.has_option("--num_workers")) {
		// Bounded first: the value is only ever clamped to 1..32 below.
		long k = std::strtol(cmdline.get_option("--num_workers").c_str(), nullptr, 10);
		n = static_cast<int>(std::clamp(k, -1L, 1000L)) + 1;
	}
	int size = THREAD_threaded_gl_available() ? std::clamp(n - 1, 1, 32) : 0;
	delete g_threadpool;
	g_threadpool = new UTL_threadpool(size);
	UTL_runloop_init();
}

void THREAD_create(UTL_thread_fn fn, void* arg, UTL_thread_handle* out_handle,
                   UTL_thread_handle* out_id1, UTL_thread_handle* out_id2, int want_gl)
{
	THREAD_gl_hooks hooks;
	bool have_hooks;
	{
		UTL_cs_guard g(&g_hooks_lock);
		hooks = g_hooks;
		have_hooks = g_have_hooks;
	}
	void* ctx = nullptr;
	if (want_gl && have_hooks && hooks.create_context && THREAD_threaded_gl_available()) {
		ctx = hooks.create_context();
		if (!ctx)
			THREAD_set_threaded_gl_available(false);
	}

	start_record start;
	UTL_critical_section_create(&start.lock);
	UTL_semaphore_create(&start.sem, 0);
	UTL_thread_create(THREAD_launch, new launch_record{fn, arg, ctx, hooks, &start}, out_handle, out_id1, out_id2);
	UTL_semaphore_dec(start.sem, -1);
	bool dropped;
	{
		UTL_cs_guard g(&start.lock);
		dropped = !start.entries.empty() && start.entries.front() == started_dropped_gl;
	}
	UTL_semaphore_destroy(start.sem);
	UTL_critical_section_destroy(&start.lock);
	if (dropped)
		THREAD_set_threaded_gl_available(false);
}

void THREAD_send_exception(const exce_class& e)
{
	if (e.mode == alert_mode_fatal || e.mode == alert_mode_fatal_loc) {
		quit_queue().push(e);
		if (!THREAD_is_main_thread())
			UTL_thread_exit(nullptr);
	} else if (e.mode == alert_mode_warning) {
		warning_queue().push(e);
	}
}

std::vector<exce_class> THREAD_queued_warnings() { return warning_queue().snapshot(); }

std::vector<exce_class> THREAD_queued_quits() { return quit_queue().snapshot(); }

void THREAD_shutdown()
{
	delete g_threadpool;
	g_threadpool = nullptr;
	UTL_runloop_shutdown();
	warning_queue().clear();
	quit_queue().clear();
	g_inited.store(false);
	printf("Clean exit from threads.\n");
	fflush(stdout);
}
