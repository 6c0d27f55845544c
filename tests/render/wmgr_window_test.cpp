// The window manager with real (hidden) windows: start-up placement, desktop layout, mouse
// mapping and backing scale, resizing, destroying the main window, drawing into windows.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "core/platform/WIN_app.h"
#include "core/platform/WIN_monitors.h"
#include "core/platform/keys_class.h"
#include "core/platform/wmgr_input_record.h"
#include "core/platform/wmgr_positions.h"
#include "core/platform/wmgr_window.h"
#include "core/platform/wmgr_wins.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/UTL_cmdline.h"
#include "platform_test_support.h"

namespace {

typedef std::array<int, 4> rect;
rect of(const int* r) { return {r[0], r[1], r[2], r[3]}; }

struct mouse_call {
	std::string what;
	float x, y;
	int button, clicks;
	bool operator==(const mouse_call& o) const
	{
		return what == o.what && x == o.x && y == o.y && button == o.button && clicks == o.clicks;
	}
};
std::ostream& operator<<(std::ostream& os, const mouse_call& c)
{
	return os << c.what << "(" << c.x << "," << c.y << "," << c.button << "," << c.clicks << ")";
}
std::vector<mouse_call> g_mouse;
int g_consume = 0;  // 1: the toolkit consumes every event
std::vector<std::string> g_render;

class WindowManager : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (!platform_gl_usable()) GTEST_SKIP() << "no display for an OpenGL window";
		WIN_set_create_hidden(true);
		cmdline.force_no_alerts();
		g_mouse.clear();
		g_render.clear();
		g_consume = 0;
		wmgr_toolkit_hooks t;
		t.mouse_down = [](float x, float y, int b, double, int clicks) {
			g_mouse.push_back({"down", x, y, b, clicks});
			return 1 - g_consume;
		};
		t.mouse_up = [](float x, float y, int b, double) {
			g_mouse.push_back({"up", x, y, b, 0});
			return 1 - g_consume;
		};
		t.mouse_move = [](float x, float y) {
			g_mouse.push_back({"move", x, y, -1, 0});
			return 1 - g_consume;
		};
		t.mouse_drag = [](float x, float y, int b, double) {
			g_mouse.push_back({"drag", x, y, b, 0});
			return 1 - g_consume;
		};
		t.mouse_wheel = [](float x, float y, int clicks) {
			g_mouse.push_back({"wheel", x, y, -1, clicks});
			return 1 - g_consume;
		};
		wmgr_set_toolkit_hooks(t);
		wmgr_render_hooks r;
		r.reset_state = [] { g_render.push_back("reset"); };
		r.set_projection = [](float l, float b, float rt, float tp, int w, int h) {
			g_render.push_back("proj " + std::to_string(int(l)) + " " + std::to_string(int(b)) + " " +
			                   std::to_string(int(rt)) + " " + std::to_string(int(tp)) + " " + std::to_string(w) +
			                   "x" + std::to_string(h));
		};
		wmgr_set_render_hooks(r);
		wmgr_set_backing_scale(1);
		wins = wins_class();
		mnw = mnw_record();
		ASSERT_EQ(wmgr_count_windows(), 0);
		UTL_get_monitor_res(0, &mon[0], &mon[1], &mon[2], &mon[3], nullptr, nullptr);
		mon[2] += mon[0];
		mon[3] += mon[1];
		char tmpl[] = "/tmp/wmgr_window_XXXXXX";
		ASSERT_NE(mkdtemp(tmpl), nullptr);
		dir = tmpl;
		wmgr_set_positions_path(dir + "/positions.prf");
	}
	void TearDown() override
	{
		while (wmgr_count_windows() > 0) delete wmgr_get_nth_window(wmgr_count_windows() - 1);
		wmgr_set_positions_path("");
		unlink((dir + "/positions.prf").c_str());
		rmdir(dir.c_str());
	}
	skyvane_window* window(int left, int top, int w, int h, int floating = 0)
	{
		const int b[4] = {left, top, left + w, top + h};
		return wmgr_create_new_window(wmgr_mode_window, floating ? wmgr_usage_misc_popout : wmgr_usage_normal_visuals, b,
		                              0, nullptr, floating, 0, 0, 1);
	}
	void write_positions(const std::string& body) { std::ofstream(dir + "/positions.prf") << "I\n10 version\n" << body; }

	platform_state_keeper keep;
	int mon[4] = {0, 0, 0, 0};  // monitor 0: left, top, right, bottom
	std::string dir;
};

TEST_F(WindowManager, FirstStartCentresAnEightHundredBySixHundredWindow)
{
	wmgr_initialize_from_prefs();
	ASSERT_EQ(wmgr_count_windows(), 1);
	skyvane_window* m = wmgr_get_main_window();
	EXPECT_EQ(m->role, 0);
	EXPECT_EQ(m->mode, wmgr_mode_window);
	EXPECT_EQ(m->platform_window->style, win_style_titled);
	const int W = mon[2] - mon[0], H = mon[3] - mon[1];
	const rect want{(W - 800) / 2, (H - 600) / 2, (W - 800) / 2 + 800, (H - 600) / 2 + 600};
	EXPECT_EQ(of(m->windowed_bounds), want);
	int os[4];
	WIN_ogl_window_get_position(m->platform_window, os);
	EXPECT_EQ(of(os), want);
	EXPECT_EQ(wmgr_get_backing_scale(), 1.0f);
	EXPECT_EQ(of(m->global_bounds), (rect{0, 0, 800, 600}));
	EXPECT_EQ(wmgr_get_cur_window(), m);
	EXPECT_EQ(RADAVI_get_cur_win(), m->platform_window);
	EXPECT_EQ(wins.win_width, 800);
	EXPECT_EQ(wins.win_height, 600);
	int w = 0, h = 0;
	RADAVI_get_window_size(&w, &h);
	EXPECT_EQ(w, 800);
	EXPECT_EQ(h, 600);

	// Its close box quits through the quit command.
	sim_is_done = false;
	m->delegate.wants_close(m->delegate.ref);
	EXPECT_TRUE(sim_is_done);
	sim_is_done = false;
}

TEST_F(WindowManager, SavedBoundsOffEveryMonitorComeBackAtTheCorner)
{
	write_positions("num_monitors 1\nmonitor/0/m_monitor 0\nmonitor/0/m_is_fullscreen wmgr_mode_window\n"
	                "monitor/0/m_window_bounds/0 5000\nmonitor/0/m_window_bounds/1 100\n"
	                "monitor/0/m_window_bounds/2 5900\nmonitor/0/m_window_bounds/3 700\n");
	wmgr_initialize_from_prefs();
	ASSERT_EQ(wmgr_count_windows(), 1);
	int r[4] = {0, 0, 800, 600};
	WIN_ogl_window_calc_add_os_chrome(r, win_style_resizable);
	WIN_ogl_window_calc_remove_os_chrome(r, win_style_resizable);
	EXPECT_EQ(of(wmgr_get_main_window()->windowed_bounds), of(r));
}

TEST_F(WindowManager, SavedBoundsOnTheMonitorAreKept)
{
	write_positions("num_monitors 1\nmonitor/0/m_monitor 0\nmonitor/0/m_is_fullscreen wmgr_mode_window\n"
	                "monitor/0/m_window_bounds/0 10\nmonitor/0/m_window_bounds/1 20\n"
	                "monitor/0/m_window_bounds/2 830\nmonitor/0/m_window_bounds/3 640\n");
	wmgr_initialize_from_prefs();
	ASSERT_EQ(wmgr_count_windows(), 1);
	EXPECT_EQ(of(wmgr_get_main_window()->windowed_bounds), (rect{10, 20, 830, 640}));
	EXPECT_EQ(of(wmgr_get_main_window()->global_bounds), (rect{0, 0, 820, 620}));
}

TEST_F(WindowManager, HoldingShiftIgnoresTheSavedPositions)
{
	write_positions("num_monitors 1\nmonitor/0/m_monitor 0\nmonitor/0/m_is_fullscreen wmgr_mode_window\n"
	                "monitor/0/m_window_bounds/0 10\nmonitor/0/m_window_bounds/1 20\n"
	                "monitor/0/m_window_bounds/2 830\nmonitor/0/m_window_bounds/3 640\n");
	SDL_SetModState(KMOD_LSHIFT);
	if (!keys.has_shift_key()) {
		SDL_SetModState(KMOD_NONE);
		GTEST_SKIP() << "this video driver reports the keyboard's own state";
	}
	wmgr_initialize_from_prefs();
	SDL_SetModState(KMOD_NONE);
	ASSERT_EQ(wmgr_count_windows(), 1);
	const int W = mon[2] - mon[0], H = mon[3] - mon[1];
	EXPECT_EQ(of(wmgr_get_main_window()->windowed_bounds),
	          (rect{(W - 800) / 2, (H - 600) / 2, (W - 800) / 2 + 800, (H - 600) / 2 + 600}));
}

TEST_F(WindowManager, FullScreenEntryCoversItsMonitor)
{
	write_positions("num_monitors 1\nmonitor/0/m_monitor 0\nmonitor/0/m_is_fullscreen wmgr_mode_fullscreen\n"
	                "monitor/0/m_usage wmgr_usage_normal_visuals\n");
	wmgr_initialize_from_prefs();
	ASSERT_EQ(wmgr_count_windows(), 1);
	skyvane_window* m = wmgr_get_main_window();
	EXPECT_EQ(m->platform_window->style, win_style_borderless);
	int os[4];
	WIN_ogl_window_get_position(m->platform_window, os);
	EXPECT_EQ(of(os), of(mon));
	EXPECT_EQ(of(m->global_bounds), (rect{mon[0], mon[1], mon[2], mon[3]}));
	int b[4];
	EXPECT_TRUE(wmgr_get_global_bounds_of_monitor(0, b));
	EXPECT_FALSE(wmgr_get_global_bounds_of_monitor(1, b));
}

struct map_case {
	float scale;
	int x, y;
	float want_x, want_y;
	float scaled_x, scaled_y;
};

TEST_F(WindowManager, MousePointsMapIntoLogicalUnits)
{
	skyvane_window* m = window(100, 100, 800, 600);
	ASSERT_NE(m, nullptr);
	const map_case cases[] = {
	    {1.0f, 0, 0, 0, 600, 0, 600},      {1.0f, 100, 50, 100, 550, 100, 550},
	    {1.0f, 799, 599, 799, 1, 799, 1},  {2.0f, 100, 50, 50, 275, 100, 550},
	    {1.5f, 1, 1, 0, 399, 1, 599},      // 0.666, 399.33: truncated toward zero
	};
	for (const map_case& c : cases) {
		wmgr_set_backing_scale(c.scale);
		g_mouse.clear();
		wmgr_on_mouse_down(m, c.x, c.y, 0);
		ASSERT_EQ(g_mouse.size(), 1u);
		EXPECT_EQ(g_mouse[0], (mouse_call{"down", c.want_x, c.want_y, 0, 1})) << c.scale << " " << c.x;
		EXPECT_EQ(mnw.x, c.want_x);
		EXPECT_EQ(mnw.y, c.want_y);
		EXPECT_NEAR(mnw.x_scaled, c.scaled_x, 1.0f) << c.scale;
		EXPECT_NEAR(mnw.y_scaled, c.scaled_y, 1.0f) << c.scale;
	}
	// No size yet: the middle of the window.
	wmgr_set_backing_scale(1);
	m->pixel_size[0] = m->pixel_size[1] = 0;
	float X, Y;
	wmgr_map_mouse(m, 5, 5, &X, &Y);
	EXPECT_EQ(X, 400);
	EXPECT_EQ(Y, 300);
}

TEST_F(WindowManager, UnconsumedInputReachesTheShellsRecord)
{
	skyvane_window* m = window(0, 0, 800, 600);
	ASSERT_NE(m, nullptr);
	wmgr_on_mouse_down(m, 10, 10, 1);
	wmgr_on_mouse_up(m, 10, 10, 1);
	wmgr_on_mouse_wheel(m, 10, 10, 0, 3);
	wmgr_on_mouse_wheel(m, 10, 10, 0, -1);
	EXPECT_EQ(mnw.down_this_turn[1], 1);
	EXPECT_EQ(mnw.up_this_turn[1], 1);
	EXPECT_EQ(mnw.wheel_clicks, 2);

	mnw_new_turn();
	g_consume = 1;
	wmgr_on_mouse_down(m, 10, 10, 0);
	EXPECT_EQ(mnw.left_held, 1);
	wmgr_on_mouse_up(m, 10, 10, 0);
	wmgr_on_mouse_wheel(m, 10, 10, 0, 3);
	EXPECT_EQ(mnw.down_this_turn[0] + mnw.up_this_turn[0] + mnw.wheel_clicks, 0);
	EXPECT_EQ(mnw.left_held, 0);

	// A move is a hover and a drag for both buttons.
	g_mouse.clear();
	wmgr_on_mouse_move(m, 20, 30);
	EXPECT_EQ(g_mouse, (std::vector<mouse_call>{
	                       {"move", 20, 570, -1, 0}, {"drag", 20, 570, 0, 0}, {"drag", 20, 570, 1, 0}}));
	g_mouse.clear();
	m->playing_back = true;
	wmgr_on_mouse_move(m, 20, 30);
	EXPECT_TRUE(g_mouse.empty());
	m->playing_back = false;
}

TEST_F(WindowManager, LegacyCloseBoxesCloseAClosableWindow)
{
	skyvane_window* m = window(0, 0, 800, 600);
	ASSERT_NE(m, nullptr);
	struct c {
		int number, x, y;
		int want_number;
	};
	// Logical 800 x 600 with number 5: boxes 25 wide, 20 high at the top corners.
	const c cases[] = {{5, 10, 5, 0}, {5, 790, 5, 0}, {5, 400, 5, 5}, {5, 10, 30, 5}, {994, 10, 5, 994}, {0, 10, 5, 0}};
	for (const c& k : cases) {
		wins.start_win(k.number, wmgr_loop_none);
		wmgr_on_mouse_down(m, k.x, k.y, 0);
		EXPECT_EQ(wins.number, k.want_number) << k.number << " at " << k.x << "," << k.y;
	}
}

TEST_F(WindowManager, ResizingLowersTheScaleButNeverRaisesIt)
{
	skyvane_window* m = window(0, 0, 1600, 1200);
	ASSERT_NE(m, nullptr);
	wmgr_set_backing_scale(1.5f);
	EXPECT_EQ(of(m->global_bounds), (rect{0, 0, 1066, 800}));

	wmgr_on_reshaped(m, 10, 20, 1000, 700);
	EXPECT_EQ(wmgr_get_backing_scale(), 1.0f);
	EXPECT_EQ(of(m->windowed_bounds), (rect{10, 20, 1010, 720}));
	EXPECT_EQ(of(m->global_bounds), (rect{0, 0, 1000, 700}));
	EXPECT_EQ(wins.win_width, 1000);
	EXPECT_EQ(wins.win_height, 700);

	wmgr_on_reshaped(m, 10, 20, 2000, 1500);
	EXPECT_EQ(wmgr_get_backing_scale(), 1.0f);
	EXPECT_EQ(of(m->global_bounds), (rect{0, 0, 2000, 1500}));

	// A move alone stores the place and nothing else.
	g_render.clear();
	wmgr_on_reshaped(m, 50, 60, 2000, 1500);
	EXPECT_EQ(of(m->windowed_bounds), (rect{50, 60, 2050, 1560}));
	EXPECT_TRUE(g_render.empty());

	struct c {
		int w, h;
		float from, want;
	};
	const c cases[] = {{1600, 1200, 2, 2}, {1599, 1200, 2, 1.5f}, {1200, 900, 2, 1.5f}, {1200, 899, 2, 1},
	                   {1199, 2000, 2, 1},  {1200, 900, 1, 1}};
	for (const c& k : cases) {
		wmgr_set_backing_scale(k.from);
		m->pixel_size[0] = 1;  // so that the size counts as changed
		wmgr_on_reshaped(m, 0, 0, k.w, k.h);
		EXPECT_EQ(wmgr_get_backing_scale(), k.want) << k.w << "x" << k.h << " from " << k.from;
	}
}

TEST_F(WindowManager, DesktopLayoutPlacesOverlapsRightAndPopOutsFarAway)
{
	skyvane_window* m = window(100, 100, 800, 600);
	skyvane_window* second = window(300, 300, 400, 300);
	skyvane_window* popout = window(0, 0, 200, 100, 1);
	ASSERT_TRUE(m && second && popout);
	EXPECT_EQ(of(m->global_bounds), (rect{0, 0, 800, 600}));
	EXPECT_EQ(of(second->global_bounds), (rect{800, 0, 1200, 300}));
	EXPECT_EQ(of(popout->global_bounds), (rect{100000, 0, 100200, 100}));
	EXPECT_EQ(second->role, -1);

	int b[4];
	wmgr_get_global_desktop_no_popouts(b);
	EXPECT_EQ(of(b), (rect{0, 0, 1200, 600}));
	wmgr_get_global_desktop_with_popouts(b);
	EXPECT_EQ(of(b), (rect{0, 0, 100200, 600}));

	void* hint = &b;
	int floating = -1;
	wmgr_window_get_hint_and_floating(popout, &hint, &floating);
	EXPECT_EQ(hint, nullptr);
	EXPECT_EQ(floating, 1);
	EXPECT_EQ(wmgr_window_get_usage(popout), wmgr_usage_misc_popout);

	// Lookups: right and top edges are outside.
	struct q {
		int x, y;
		skyvane_window* want;
	};
	const q points[] = {{0, 0, m}, {799, 599, m}, {800, 0, second}, {800, 300, nullptr}, {100100, 50, popout}, {-1, 0, nullptr}};
	for (const q& p : points) EXPECT_EQ(wmgr_get_virtual_monitor_for_point(p.x, p.y, b), p.want) << p.x << "," << p.y;

	const int box_centre_in_second[4] = {700, 0, 1100, 100};
	EXPECT_EQ(wmgr_get_virtual_monitor_for_center_of_box(box_centre_in_second, b), second);
	// Centre outside everything: the largest overlap wins.
	const int box_straddling[4] = {500, 550, 1000, 1000};
	EXPECT_EQ(wmgr_get_virtual_monitor_for_center_of_box(box_straddling, b), nullptr);
	EXPECT_EQ(wmgr_get_virtual_monitor_for_box(box_straddling, b), m);
	EXPECT_EQ(of(b), of(m->global_bounds));
	const int box_nowhere[4] = {5000, 5000, 5100, 5100};
	EXPECT_EQ(wmgr_get_virtual_monitor_for_box(box_nowhere, b), nullptr);
}

TEST_F(WindowManager, GlobalBoxesMapOntoTheOperatingSystemRectangle)
{
	skyvane_window* m = window(240, 212, 800, 600);
	ASSERT_NE(m, nullptr);
	struct c {
		rect global, os;
	};
	const c cases[] = {
	    {{0, 0, 800, 600}, {240, 212, 1040, 812}},
	    {{100, 100, 200, 300}, {340, 512, 440, 712}},  // y flips: global top 300 is 300 below the top
	    {{-50, -50, 900, 700}, {240, 212, 1040, 812}},  // clamped
	};
	for (const c& k : cases) {
		int os[4];
		wmgr_map_global_to_os_bounds(k.global.data(), os);
		EXPECT_EQ(of(os), k.os);
	}
	// At scale 2 the same window spans 400 x 300 units.
	wmgr_set_backing_scale(2);
	int os[4];
	const rect half{0, 150, 200, 300};
	wmgr_map_global_to_os_bounds(half.data(), os);
	EXPECT_EQ(of(os), (rect{240, 212, 640, 512}));
}

TEST_F(WindowManager, DestroyingTheMainWindowKeepsItAsLongAsAnotherCanReplaceIt)
{
	static std::vector<std::pair<skyvane_window*, int>> messages;
	messages.clear();
	wmgr_set_window_event_hook([](skyvane_window* w, int msg) { messages.push_back({w, msg}); });
	skyvane_window* m = window(10, 10, 800, 600);
	skyvane_window* popout = window(0, 0, 200, 100, 1);
	ASSERT_TRUE(m && popout);

	wmgr_window_destroy(m);  // only a floating window besides it: nothing happens
	EXPECT_EQ(wmgr_count_windows(), 2);
	EXPECT_EQ(wmgr_get_main_window(), m);

	static int closes = 0;
	closes = 0;
	skyvane_window* other = window(50, 60, 640, 480);
	wmgr_window_set_close_handler(other, [](skyvane_window*, void*) { ++closes; }, nullptr);
	int sentinel = 0;
	other->hint = &sentinel;
	wmgr_window_destroy(m);
	EXPECT_EQ(wmgr_count_windows(), 2);
	EXPECT_EQ(wmgr_get_main_window(), m);
	EXPECT_EQ(wmgr_get_nth_window(1), popout);
	EXPECT_EQ(of(m->windowed_bounds), (rect{50, 60, 690, 540}));
	EXPECT_EQ(m->hint, &sentinel);
	int os[4];
	WIN_ogl_window_get_position(m->platform_window, os);
	EXPECT_EQ(of(os), (rect{50, 60, 690, 540}));
	m->delegate.wants_close(m->delegate.ref);
	EXPECT_EQ(closes, 1);

	wmgr_window_destroy(popout);
	EXPECT_EQ(wmgr_count_windows(), 1);
	// Told of the windows that really went, not of the main window that stayed.
	EXPECT_EQ(messages, (std::vector<std::pair<skyvane_window*, int>>{
	                        {m, 0}, {popout, 0}, {other, 0}, {other, 1}, {popout, 1}}));
	wmgr_set_window_event_hook(nullptr);
}

TEST_F(WindowManager, DrawingIntoAnotherWindowAndBack)
{
	skyvane_window* m = window(0, 0, 800, 600);
	skyvane_window* popout = window(0, 0, 200, 100, 1);
	ASSERT_TRUE(m && popout);
	EXPECT_EQ(wmgr_get_cur_window(), m);  // creating a window keeps the current one
	wins.number = 0;

	g_render.clear();
	wmgr_window_begin_render(popout, true);
	EXPECT_EQ(wmgr_get_cur_window(), popout);
	EXPECT_EQ(SDL_GL_GetCurrentWindow(), static_cast<SDL_Window*>(popout->platform_window->os_window));
	EXPECT_EQ(wins.win_width, 200);
	// A floating window keeps its own projection: no default projection after the reset.
	EXPECT_EQ(g_render, (std::vector<std::string>{"reset", "proj 0 0 200 100 200x100", "reset"}));

	g_render.clear();
	wmgr_window_end_render(popout, true);
	EXPECT_EQ(wmgr_get_cur_window(), m);
	EXPECT_EQ(SDL_GL_GetCurrentWindow(), static_cast<SDL_Window*>(m->platform_window->os_window));
	EXPECT_EQ(wins.win_width, 800);
	EXPECT_EQ(g_render, (std::vector<std::string>{"reset", "proj 0 0 800 600 800x600"}));

	wmgr_window_begin_render(popout, false);
	wmgr_window_end_render(popout, false);
	EXPECT_EQ(wmgr_get_cur_window(), nullptr);
	EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
}

TEST_F(WindowManager, SwitchingToFullScreenAndBack)
{
	skyvane_window* m = window(mon[0], mon[1], mon[2] - mon[0], mon[3] - mon[1]);
	ASSERT_NE(m, nullptr);
	m->set_fullscreen_mode(wmgr_mode_fullscreen);
	EXPECT_EQ(m->platform_window->style, win_style_borderless);
	int os[4];
	WIN_ogl_window_get_position(m->platform_window, os);
	EXPECT_EQ(of(os), of(mon));

	// Windowed bounds that fill the monitor shrink by 40 points on every side.
	m->set_fullscreen_mode(wmgr_mode_window);
	EXPECT_EQ(m->platform_window->style, win_style_titled);
	const rect want{mon[0] + 40, mon[1] + 40, mon[2] - 40, mon[3] - 40};
	EXPECT_EQ(of(m->windowed_bounds), want);
	WIN_ogl_window_get_position(m->platform_window, os);
	EXPECT_EQ(of(os), want);

	const rect arb{5, 6, 305, 206};
	std::copy(arb.begin(), arb.end(), m->arbitrary_bounds);
	m->set_fullscreen_mode(wmgr_mode_arbitrary);
	WIN_ogl_window_get_position(m->platform_window, os);
	EXPECT_EQ(of(os), arb);
	EXPECT_EQ(of(m->global_bounds), arb);
}

TEST_F(WindowManager, DisplaySetUpMakesTheWindowsAndTheApplicationDelegate)
{
	skyvane_app_delegate* before = WIN_get_app_delegate();
	RADAVI_setres(0);
	EXPECT_EQ(wmgr_count_windows(), 0);
	RADAVI_setres(1);
	ASSERT_EQ(wmgr_count_windows(), 1);
	EXPECT_EQ(wmgr_get_cur_window(), wmgr_get_main_window());
	skyvane_app_delegate* app = WIN_get_app_delegate();
	ASSERT_EQ(app, WIN_default_app_delegate());
	g_new_disc_flag = 0;
	app->got_new_dvd(app->ref);
	EXPECT_EQ(g_new_disc_flag, 1);
	g_new_disc_flag = 0;
	WIN_set_app_deleate(before);
}

}  // namespace
