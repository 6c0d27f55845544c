#pragma once
// The window manager: the application's windows on a virtual desktop in the toolkit's
// coordinates (logical units, y up), their input turned into toolkit and key-router calls,
// and the backing scale factor (logical units x scale = pixels of the 2-D drawing).
//
// Operating-system rectangles are (left, top, right, bottom), y down; global rectangles are
// (left, bottom, right, top), y up.
#include <map>

#include "core/platform/WIN_window.h"
#include "core/platform/wmgr_projection.h"

enum wmgr_mode { wmgr_mode_window = 0, wmgr_mode_fullscreen = 1, wmgr_mode_arbitrary = 2 };
enum wmgr_usage {
	wmgr_usage_normal_visuals = 0,
	wmgr_usage_panel_only = 1,
	wmgr_usage_ios = 2,
	wmgr_usage_misc_popout = 3
};

class skyvane_window;
typedef void (*wmgr_close_handler)(skyvane_window* window, void* ref);
// Told about each window created (message 0) and destroyed (message 1).
typedef void (*wmgr_window_event_hook)(skyvane_window* window, int message);

class skyvane_window {
public:
	skyvane_window(int role, wmgr_mode mode, wmgr_usage usage, const int* bounds, int monitor, int min_width,
	               int min_height, int resizable);
	virtual ~skyvane_window();
	skyvane_window(const skyvane_window&) = delete;
	skyvane_window& operator=(const skyvane_window&) = delete;

	void set_fullscreen_mode(wmgr_mode mode);
	// The rectangle the mode places the window in (operating-system points).
	void os_rect_for_mode(int rect[4]) const;

	WIN_ogl_window_delegate delegate;
	int role;                       // 0 the main window, -1 any other
	int windowed_bounds[4] = {0, 0, 0, 0};
	int monitor = 0;
	int arbitrary_bounds[4] = {0, 0, 0, 0};
	wmgr_mode mode;
	wmgr_usage usage;
	int pixel_size[2] = {0, 0};     // content size in points, as last reported
	int global_bounds[4] = {0, 0, 0, 0};
	void* hint = nullptr;           // the floating window controller shown here
	int floating = 0;
	wmgr_close_handler close_handler = nullptr;
	void* close_ref = nullptr;
	WIN_ogl_window* platform_window = nullptr;
	void* gl_state = nullptr;
	bool playing_back = false;      // input playback replaces live mouse moves
};

extern std::map<skyvane_window*, projection_params> g_window_projection_params;

skyvane_window* wmgr_create_new_window(wmgr_mode mode, wmgr_usage usage, const int* bounds, int monitor, void* hint,
                                       int floating, int min_width, int min_height, int resizable);
void wmgr_window_destroy(skyvane_window* window);

int wmgr_count_windows();
skyvane_window* wmgr_get_nth_window(int n);
skyvane_window* wmgr_get_main_window();
skyvane_window* wmgr_get_cur_window();
WIN_ogl_window* RADAVI_get_cur_win();
wmgr_usage wmgr_window_get_usage(skyvane_window* window);
void wmgr_window_get_hint_and_floating(skyvane_window* window, void** hint, int* floating);
void wmgr_window_get_global_bounds(skyvane_window* window, int bounds[4]);
void wmgr_window_set_close_handler(skyvane_window* window, wmgr_close_handler handler, void* ref);
void wmgr_set_window_event_hook(wmgr_window_event_hook hook);

void wmgr_get_global_desktop_no_popouts(int bounds[4]);
void wmgr_get_global_desktop_with_popouts(int bounds[4]);
bool wmgr_get_global_bounds_of_monitor(int monitor, int bounds[4]);
skyvane_window* wmgr_get_virtual_monitor_for_point(int x, int y, int bounds[4]);
skyvane_window* wmgr_get_virtual_monitor_for_center_of_box(const int box[4], int bounds[4]);
skyvane_window* wmgr_get_virtual_monitor_for_box(const int box[4], int bounds[4]);
void wmgr_map_global_to_os_bounds(const int global[4], int os[4]);

void wmgr_window_begin_render(skyvane_window* window, bool reset);
void wmgr_window_end_render(skyvane_window* window, bool last);
void wmgr_recalculate_desktop();

float wmgr_get_backing_scale();
float* wmgr_backing_scale_ptr();
void wmgr_set_backing_scale(float scale);

void RADAVI_get_window_size(int* width, int* height);
WIN_ogl_context RADAVI_cons_make_loader();

// The window handlers, called by the platform through each window's delegate.
void wmgr_on_mouse_down(skyvane_window* w, int x, int y, int button);
void wmgr_on_mouse_up(skyvane_window* w, int x, int y, int button);
void wmgr_on_mouse_move(skyvane_window* w, int x, int y);
void wmgr_on_mouse_wheel(skyvane_window* w, int x, int y, int axis, int clicks);
void wmgr_on_reshaped(skyvane_window* w, int left, int top, int width, int height);
// The logical point for a point of the window (from its top-left, y down).
void wmgr_map_mouse(const skyvane_window* w, int x, int y, float* lx, float* ly);
