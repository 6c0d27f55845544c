// The event loop: SDL events pushed onto the queue reach a window's delegate, one per turn.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/platform/WIN_app.h"
#include "core/platform/WIN_events_sdl.h"
#include "core/platform/WIN_keys.h"
#include "core/platform/WIN_window.h"
#include "core/ui/RADAVI_shell.h"
#include "platform_test_support.h"

namespace {

struct call {
	std::string what;
	std::vector<int> args;
	bool operator==(const call& o) const { return what == o.what && args == o.args; }
};
std::ostream& operator<<(std::ostream& os, const call& c)
{
	os << c.what << "(";
	for (size_t i = 0; i < c.args.size(); ++i) os << (i ? "," : "") << c.args[i];
	return os << ")";
}

std::vector<call> g_calls;
void rec(const char* what, std::vector<int> args) { g_calls.push_back({what, std::move(args)}); }

WIN_ogl_window_delegate recording_delegate()
{
	WIN_ogl_window_delegate d;
	d.mouse_down = [](void*, int x, int y, int b) { rec("down", {x, y, b}); };
	d.mouse_up = [](void*, int x, int y, int b) { rec("up", {x, y, b}); };
	d.mouse_move = [](void*, int x, int y) { rec("move", {x, y}); };
	d.mouse_wheel = [](void*, int x, int y, int axis, int clicks) { rec("wheel", {x, y, axis, clicks}); };
	d.repaint = [](void*) { rec("repaint", {}); };
	d.reshaped = [](void*, int l, int t, int w, int h) { rec("reshaped", {l, t, w, h}); };
	d.got_keyboard_focus = [](void*) { rec("focus", {}); };
	d.lost_keyboard_focus = [](void*) { rec("unfocus", {}); };
	d.key_press_down = [](void*, int c, int v, int f) { rec("key_down", {c, v, f}); };
	d.key_press_up = [](void*, int c, int v, int f) { rec("key_up", {c, v, f}); };
	d.wants_close = [](void*) { rec("close", {}); };
	return d;
}

class EventLoop : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (!platform_gl_usable()) GTEST_SKIP() << "no display for an OpenGL window";
		WIN_set_create_hidden(true);
		w = WIN_ogl_window_create(30, 40, 200, 100, 0, 0, win_style_titled, nullptr);
		ASSERT_NE(w, nullptr);
		delegate = recording_delegate();
		WIN_ogl_window_set_delegate(w, &delegate);
		SDL_PumpEvents();
		SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
		g_calls.clear();
		g_win_key_state = WIN_key_state();
	}
	void TearDown() override
	{
		if (w) WIN_ogl_window_destroy(w);
		SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
	}

	void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
	SDL_Event button(bool down, Uint8 b, int x, int y)
	{
		SDL_Event e{};
		e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
		e.button.windowID = w->os_id;
		e.button.button = b;
		e.button.x = x;
		e.button.y = y;
		return e;
	}
	SDL_Event key(bool down, SDL_Scancode sc, SDL_Keycode sym, bool repeat = false)
	{
		SDL_Event e{};
		e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
		e.key.windowID = w->os_id;
		e.key.repeat = repeat;
		e.key.keysym.scancode = sc;
		e.key.keysym.sym = sym;
		return e;
	}
	SDL_Event text(const char* t)
	{
		SDL_Event e{};
		e.type = SDL_TEXTINPUT;
		e.text.windowID = w->os_id;
		std::strncpy(e.text.text, t, sizeof e.text.text - 1);
		return e;
	}
	SDL_Event window_event(Uint8 ev)
	{
		SDL_Event e{};
		e.type = SDL_WINDOWEVENT;
		e.window.windowID = w->os_id;
		e.window.event = ev;
		return e;
	}
	// Runs turns until the queue is empty; returns how many took an event.
	int drain()
	{
		int n = 0;
		while (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0 && n < 100) {
			WIN_event_loop_once(nullptr, nullptr);
			++n;
		}
		return n;
	}
	// Only the calls of these kinds (the real window system may add its own).
	std::vector<call> calls_of(std::initializer_list<const char*> kinds)
	{
		std::vector<call> out;
		for (const call& c : g_calls)
			for (const char* k : kinds)
				if (c.what == k) out.push_back(c);
		return out;
	}

	platform_state_keeper keep;
	WIN_ogl_window* w = nullptr;
	WIN_ogl_window_delegate delegate;
};

TEST_F(EventLoop, OneEventPerTurn)
{
	push(button(true, SDL_BUTTON_LEFT, 1, 2));
	push(button(false, SDL_BUTTON_LEFT, 1, 2));
	WIN_event_loop_once(nullptr, nullptr);
	EXPECT_EQ(calls_of({"down", "up"}), (std::vector<call>{{"down", {1, 2, 0}}}));
	WIN_event_loop_once(nullptr, nullptr);
	EXPECT_EQ(calls_of({"down", "up"}), (std::vector<call>{{"down", {1, 2, 0}}, {"up", {1, 2, 0}}}));
}

TEST_F(EventLoop, MouseButtonsMovesAndWheel)
{
	push(button(true, SDL_BUTTON_RIGHT, 5, 6));
	push(button(true, SDL_BUTTON_MIDDLE, 7, 8));
	push(button(false, SDL_BUTTON_X1, 9, 10));
	SDL_Event m{};
	m.type = SDL_MOUSEMOTION;
	m.motion.windowID = w->os_id;
	m.motion.x = 11;
	m.motion.y = 12;
	m.motion.state = SDL_BUTTON_LMASK;  // a drag is a move too
	push(m);
	struct wheel {
		float y;
		Uint32 dir;
	};
	for (wheel k : {wheel{1.4f, SDL_MOUSEWHEEL_NORMAL}, wheel{-2.6f, SDL_MOUSEWHEEL_NORMAL},
	                wheel{1.0f, SDL_MOUSEWHEEL_FLIPPED}, wheel{0.4f, SDL_MOUSEWHEEL_NORMAL}}) {
		SDL_Event e{};
		e.type = SDL_MOUSEWHEEL;
		e.wheel.windowID = w->os_id;
		e.wheel.preciseY = k.y;
		e.wheel.y = static_cast<Sint32>(k.y);
		e.wheel.direction = k.dir;
		e.wheel.mouseX = 20;
		e.wheel.mouseY = 21;
		push(e);
	}
	drain();
	EXPECT_EQ(calls_of({"down", "up", "move", "wheel"}),
	          (std::vector<call>{{"down", {5, 6, 1}},
	                             {"down", {7, 8, 2}},
	                             {"up", {9, 10, 2}},
	                             {"move", {11, 12}},
	                             {"wheel", {20, 21, 0, 1}},
	                             {"wheel", {20, 21, 0, -3}},
	                             {"wheel", {20, 21, 0, -1}},
	                             {"wheel", {20, 21, 0, 0}}}));
}

TEST_F(EventLoop, TypedTextJoinsItsKeyDown)
{
	push(key(true, SDL_SCANCODE_A, 'a'));
	push(text("a"));
	push(key(false, SDL_SCANCODE_A, 'a'));
	EXPECT_EQ(drain(), 2);  // the text went with its key
	EXPECT_EQ(calls_of({"key_down", "key_up"}),
	          (std::vector<call>{{"key_down", {'a', 65, 8}}, {"key_up", {'a', 65, 16}}}));
}

TEST_F(EventLoop, DeadKeyDoesNotTakeTheVowelsText)
{
	push(key(true, SDL_SCANCODE_APOSTROPHE, '\''));
	push(key(false, SDL_SCANCODE_APOSTROPHE, '\''));
	push(key(true, SDL_SCANCODE_E, 'e'));
	push(text("\xC3\xA9"));
	drain();
	EXPECT_EQ(calls_of({"key_down", "key_up"}), (std::vector<call>{{"key_down", {0, 180, 8}},
	                                                                {"key_up", {0, 180, 16}},
	                                                                {"key_down", {0xE9, 69, 8}}}));
}

TEST_F(EventLoop, TextWithoutAKeyIsAPressOfNoKey)
{
	push(text("\xE2\x82\xAC"));
	drain();
	EXPECT_EQ(calls_of({"key_down", "key_up"}),
	          (std::vector<call>{{"key_down", {0x20AC, 0, 8}}, {"key_up", {0x20AC, 0, 16}}}));
}

TEST_F(EventLoop, WindowNotifications)
{
	push(window_event(SDL_WINDOWEVENT_CLOSE));
	push(window_event(SDL_WINDOWEVENT_FOCUS_LOST));
	push(window_event(SDL_WINDOWEVENT_FOCUS_GAINED));
	push(window_event(SDL_WINDOWEVENT_EXPOSED));
	push(window_event(SDL_WINDOWEVENT_MOVED));
	drain();
	int r[4];
	WIN_ogl_window_get_position(w, r);
	EXPECT_EQ(calls_of({"close", "unfocus", "focus", "repaint", "reshaped"}),
	          (std::vector<call>{{"close", {}},
	                             {"unfocus", {}},
	                             {"focus", {}},
	                             {"repaint", {}},
	                             {"reshaped", {r[0], r[1], r[2] - r[0], r[3] - r[1]}}}));
	EXPECT_EQ(r[2] - r[0], 200);
	EXPECT_EQ(r[3] - r[1], 100);
	// Closing is the delegate owner's business: the window is still there.
	EXPECT_EQ(WIN_ogl_window_from_os_id(w->os_id), w);
}

TEST_F(EventLoop, ReshapeDuringReshapeIsDropped)
{
	static int depth = 0, calls = 0;
	depth = calls = 0;
	static Uint32 id = 0;
	id = w->os_id;
	delegate.reshaped = [](void*, int, int, int, int) {
		++calls;
		++depth;
		SDL_Event e{};
		e.type = SDL_WINDOWEVENT;
		e.window.windowID = id;
		e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
		if (depth < 3) WIN_dispatch_event(e);
		--depth;
	};
	push(window_event(SDL_WINDOWEVENT_MOVED));
	drain();
	EXPECT_EQ(calls, 1);
}

TEST_F(EventLoop, NothingReachesAWindowWithoutADelegate)
{
	WIN_ogl_window_set_delegate(w, nullptr);
	push(button(true, SDL_BUTTON_LEFT, 1, 1));
	push(key(true, SDL_SCANCODE_A, 'a'));
	push(window_event(SDL_WINDOWEVENT_CLOSE));
	SDL_Event other = button(true, SDL_BUTTON_LEFT, 1, 1);
	other.button.windowID = w->os_id + 1000;  // no such window
	WIN_ogl_window_set_delegate(w, &delegate);
	push(other);
	WIN_ogl_window_set_delegate(w, nullptr);
	drain();
	EXPECT_TRUE(g_calls.empty());
}

TEST_F(EventLoop, ModifierSnapshotIsTakenWithEachEvent)
{
	SDL_SetModState(static_cast<SDL_Keymod>(KMOD_LSHIFT | KMOD_CAPS | KMOD_RGUI));
	push(button(true, SDL_BUTTON_LEFT, 0, 0));
	WIN_event_loop_once(nullptr, nullptr);
	EXPECT_EQ(shift_key, 1);
	EXPECT_EQ(capslock_key, 1);
	EXPECT_EQ(control_key, 1);
	EXPECT_EQ(option_key, 0);
	SDL_SetModState(KMOD_NONE);
	push(button(false, SDL_BUTTON_LEFT, 0, 0));
	WIN_event_loop_once(nullptr, nullptr);
	EXPECT_EQ(shift_key + capslock_key + control_key + option_key, 0);
}

int g_pre = 0, g_post = 0;

TEST_F(EventLoop, RunAppTurnsUntilQuit)
{
	sim_is_done = false;
	g_pre = g_post = 0;
	auto pre = []() -> int { return ++g_pre; };
	auto post = []() -> int {
		if (++g_post == 3) WIN_quit_app();
		return 7;
	};
	EXPECT_EQ(WIN_event_loop_once(pre, post), 7);
	EXPECT_EQ(WIN_event_loop_once(nullptr, nullptr), 0);
	g_pre = g_post = 0;
	EXPECT_EQ(WIN_run_app(pre, post), 1);
	EXPECT_EQ(g_pre, 3);
	EXPECT_EQ(g_post, 3);
	// Already done: not one more turn.
	EXPECT_EQ(WIN_run_app(pre, post), 1);
	EXPECT_EQ(g_pre, 3);
	sim_is_done = false;
}

TEST_F(EventLoop, DeviceChangesReachTheApplicationDelegate)
{
	static int joys = 0;
	joys = 0;
	skyvane_app_delegate app;
	app.got_new_joy = [](void*) { ++joys; };
	skyvane_app_delegate* before = WIN_get_app_delegate();
	WIN_set_app_deleate(&app);
	SDL_Event e{};
	e.type = SDL_JOYDEVICEADDED;
	push(e);
	e.type = SDL_JOYDEVICEREMOVED;
	push(e);
	drain();
	EXPECT_EQ(joys, 2);
	WIN_set_app_deleate(before);
}

}  // namespace
