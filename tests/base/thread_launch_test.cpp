#include "core/thread/THREAD_kit.h"
#include "core/ui/alert.h"
#include "core/ui/err_code.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <latch>
#include <new>
#include <stdexcept>
#include <string>

namespace {

class launched_thread : public ::testing::Test {
protected:
	void SetUp() override { THREAD_init(); }
	void TearDown() override
	{
		::testing::internal::CaptureStdout();
		THREAD_shutdown();
		::testing::internal::GetCapturedStdout();
		THREAD_set_gl_hooks(nullptr);
		THREAD_set_threaded_gl_available(true);
	}

	// Runs body on a launched thread and waits for it to end.
	static void run(std::function<void()> body)
	{
		UTL_thread_handle h{}, id1{}, id2{};
		THREAD_create(
		    [](void* p) -> void* {
			    (*static_cast<std::function<void()>*>(p))();
			    return nullptr;
		    },
		    &body, &h, &id1, &id2, 0);
		EXPECT_TRUE(pthread_equal(h, id1) && pthread_equal(h, id2));
		UTL_thread_join(h);
	}
};

exce_class make_exce(int mode)
{
	exce_class e;
	e.msg1 = "first";
	e.msg2 = "second";
	e.msg3 = "third";
	e.msg4 = "fourth";
	e.file = "somewhere/stage.cpp";
	e.line = 77;
	e.mode = mode;
	return e;
}

enum queue_kind { to_none, to_warnings, to_quits };

struct escape_case {
	const char* name;
	std::function<void()> body;
	queue_kind queue;
	std::string msg1, msg2;
	int mode;
	std::string file_suffix;
};

class launched_escape : public launched_thread, public ::testing::WithParamInterface<escape_case> {};

TEST_P(launched_escape, is_routed_to_its_queue)
{
	const escape_case& c = GetParam();
	run(c.body);
	const std::vector<exce_class> warnings = THREAD_queued_warnings();
	const std::vector<exce_class> quits = THREAD_queued_quits();
	ASSERT_EQ(warnings.size(), c.queue == to_warnings ? 1u : 0u);
	ASSERT_EQ(quits.size(), c.queue == to_quits ? 1u : 0u);
	if (c.queue == to_none)
		return;
	const exce_class& e = c.queue == to_warnings ? warnings[0] : quits[0];
	EXPECT_EQ(e.msg1, c.msg1);
	EXPECT_EQ(e.msg2, c.msg2);
	EXPECT_EQ(e.mode, c.mode);
	ASSERT_GE(e.file.size(), c.file_suffix.size());
	EXPECT_EQ(e.file.substr(e.file.size() - c.file_suffix.size()), c.file_suffix);
	EXPECT_GT(e.line, 0);
}

INSTANTIATE_TEST_SUITE_P(
    cases, launched_escape,
    ::testing::Values(
        escape_case{"plain", [] { throw make_exce(0); }, to_none, "", "", 0, ""},
        escape_case{"warning", [] { throw make_exce(1); }, to_warnings, "first", "second", 1, "stage.cpp"},
        escape_case{"fatal", [] { throw make_exce(2); }, to_quits, "first", "second", 2, "stage.cpp"},
        escape_case{"fatal_loc", [] { throw make_exce(3); }, to_quits, "first", "second", 3, "stage.cpp"},
        escape_case{"std_exception", [] { throw std::runtime_error("disk on fire"); }, to_quits,
                    "Caught an unhandled C++ exception", "disk on fire", 3, "THREAD_kit.cpp"},
        escape_case{"unknown", [] { throw 42; }, to_quits, "Caught an unhandled unknown exception", "", 3,
                    "THREAD_kit.cpp"},
        escape_case{"out_of_memory", [] { throw std::bad_alloc(); }, to_quits,
                    error_str(err_from_errno(ENOMEM)), "", 3, "THREAD_kit.cpp"}),
    [](const ::testing::TestParamInfo<escape_case>& i) { return std::string(i.param.name); });

struct alert_case {
	const char* name;
	RADAVI_alert_mode_t mode;
	bool thread_goes_on;
	queue_kind queue;
};

class launched_alert : public launched_thread, public ::testing::WithParamInterface<alert_case> {};

// An alert on a worker never shows there: it is queued, and a fatal one ends the thread.
TEST_P(launched_alert, is_queued_and_fatal_ends_the_thread)
{
	const alert_case& c = GetParam();
	std::atomic<bool> went_on{false};
	int alert_line = 0;
	run([&] {
		alert_line = __LINE__ + 1;
		RADAVI_alert("Disk trouble", "more", "", "", c.mode);
		went_on = true;
	});
	EXPECT_EQ(went_on.load(), c.thread_goes_on);
	const std::vector<exce_class> q = c.queue == to_warnings ? THREAD_queued_warnings() : THREAD_queued_quits();
	ASSERT_EQ(q.size(), 1u);
	EXPECT_EQ(q[0].msg1, "Disk trouble");
	EXPECT_EQ(q[0].msg2, "more");
	EXPECT_EQ(q[0].mode, c.mode);
	EXPECT_EQ(q[0].file, __FILE__);
	EXPECT_EQ(q[0].line, alert_line);
}

INSTANTIATE_TEST_SUITE_P(cases, launched_alert,
                         ::testing::Values(alert_case{"warning", alert_mode_warning, true, to_warnings},
                                           alert_case{"fatal", alert_mode_fatal, false, to_quits},
                                           alert_case{"fatal_loc", alert_mode_fatal_loc, false, to_quits}),
                         [](const ::testing::TestParamInfo<alert_case>& i) { return std::string(i.param.name); });

TEST_F(launched_thread, main_thread_is_the_one_that_initialised)
{
	EXPECT_TRUE(THREAD_is_main_thread());
	EXPECT_TRUE(THREAD_is_inited());
	std::atomic<bool> on_main{true};
	run([&] { on_main = THREAD_is_main_thread(); });
	EXPECT_FALSE(on_main.load());
}

TEST_F(launched_thread, fatal_exception_on_the_main_thread_is_queued_and_returns)
{
	THREAD_send_exception(make_exce(3));
	EXPECT_EQ(THREAD_queued_quits().size(), 1u);
}

// Fake worker contexts: records what the launcher asked of the render layer.
struct gl_record {
	std::atomic<int> created{0}, attached{0}, defaults{0}, released{0};
	std::atomic<bool> released_on_worker{false};
	bool create_ok = true, attach_ok = true;
	pthread_t worker{};
};
gl_record* g_gl = nullptr;
int g_ctx_token;

const THREAD_gl_hooks fake_hooks = {
    [] () -> void* {
	    ++g_gl->created;
	    return g_gl->create_ok ? &g_ctx_token : nullptr;
    },
    [](void* ctx) {
	    g_gl->worker = pthread_self();
	    ++g_gl->attached;
	    return ctx == &g_ctx_token && g_gl->attach_ok;
    },
    [] { ++g_gl->defaults; },
    [](void*) {
	    g_gl->released_on_worker = pthread_equal(pthread_self(), g_gl->worker) != 0;
	    ++g_gl->released;
    },
};

struct gl_case {
	const char* name;
	int want_gl;
	bool create_ok, attach_ok;
	bool gl_available_before;
	int expect_created, expect_attached, expect_defaults;
	bool expect_available_after;
};

class launched_gl : public launched_thread, public ::testing::WithParamInterface<gl_case> {};

TEST_P(launched_gl, context_is_made_attached_and_released)
{
	const gl_case& c = GetParam();
	gl_record rec;
	rec.create_ok = c.create_ok;
	rec.attach_ok = c.attach_ok;
	g_gl = &rec;
	THREAD_set_gl_hooks(&fake_hooks);
	THREAD_set_threaded_gl_available(c.gl_available_before);

	std::latch* hold = new std::latch(1);
	UTL_thread_handle h{}, id1{}, id2{};
	THREAD_create(
	    [](void* p) -> void* {
		    static_cast<std::latch*>(p)->wait();
		    return nullptr;
	    },
	    hold, &h, &id1, &id2, c.want_gl);
	// The start handshake: the context is settled before THREAD_create returns.
	EXPECT_EQ(rec.created.load(), c.expect_created);
	EXPECT_EQ(rec.attached.load(), c.expect_attached);
	EXPECT_EQ(rec.defaults.load(), c.expect_defaults);
	EXPECT_EQ(THREAD_threaded_gl_available(), c.expect_available_after);
	hold->count_down();
	UTL_thread_join(h);
	delete hold;

	// Whatever was made is released once, by the thread that held it.
	EXPECT_EQ(rec.released.load(), c.expect_created && c.create_ok ? 1 : 0);
	if (rec.released.load()) {
		EXPECT_TRUE(rec.released_on_worker.load());
	}
	g_gl = nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    cases, launched_gl,
    ::testing::Values(gl_case{"attached", 1, true, true, true, 1, 1, 1, true},
                      gl_case{"not_wanted", 0, true, true, true, 0, 0, 0, true},
                      gl_case{"unavailable", 1, true, true, false, 0, 0, 0, false},
                      gl_case{"create_fails", 1, false, true, true, 1, 0, 0, false},
                      gl_case{"attach_fails", 1, true, false, true, 1, 1, 0, false}),
    [](const ::testing::TestParamInfo<gl_case>& i) { return std::string(i.param.name); });

TEST(thread_primitives, join_returns_the_thread_result)
{
	static int token;
	UTL_thread_handle h{}, id1{}, id2{};
	UTL_thread_create([](void*) -> void* { UTL_thread_exit(&token); }, nullptr, &h, &id1, &id2);
	EXPECT_EQ(UTL_thread_join(h), &token);
}

}  // namespace
