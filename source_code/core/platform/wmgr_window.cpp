// Windows, their placement on the virtual desktop and their input handlers.
//
// Contents: window list and construction; destruction; desktop layout and queries; input
// handlers; rendering into other windows; full-screen switching.
#include "core/platform/wmgr_window.h"
#include "core/platform/WIN_monitors.h"
#include "core/platform/keys_class.h"
#include "core/platform/wmgr_hooks.h"
#include "core/platform/wmgr_input_record.h"
#include "core/platform/wmgr_wins.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/ui/alert.h"
#include "core/ui/app_clock.h"

std::map<skyvane_window*, projection_params> g_window_projection_params;

namespace {

std::vector<skyvane_window*> s_windows;
skyvane_window* s_cur_window = nullptr;
wmgr_window_event_hook s_event_hook = nullptr;
float s_backing_scale = 1.0f;

void copy4(int dst[4], const int src[4]) { std::memcpy(dst, src, sizeof(int) * 4); }
bool same4(const int a[4], const int b[4]) { return std::memcmp(a, b, sizeof(int) * 4) == 0; }

// Strict overlap of two rectangles given as (left, low, right, high).
bool overlaps(const int a[4], const int b[4]) { return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3]; }

long long overlap_area(const int a[4], const int b[4])
{
	const long long w = std::min(a[2], b[2]) - std::max(a[0], b[0]);
	const long long h = std::min(a[3], b[3]) - std::max(a[1], b[1]);
	return (w > 0 && h > 0) ? w * h : 0;
}

void monitor_rect(int monitor, int r[4])
{
	int l = 0, t = 0, w = 0, h = 0;
	UTL_get_monitor_res(monitor, &l, &t, &w, &h, nullptr, nullptr);
	r[0] = l, r[1] = t, r[2] = l + w, r[3] = t + h;
}

// Delegate callbacks: the reference is the skyvane_window.
skyvane_window* self(void* ref) { return static_cast<skyvane_window*>(ref); }
void cb_mouse_down(void* r, int x, int y, int b) { wmgr_on_mouse_down(self(r), x, y, b); }
void cb_mouse_up(void* r, int x, int y, int b) { wmgr_on_mouse_up(self(r), x, y, b); }
void cb_mouse_move(void* r, int x, int y) { wmgr_on_mouse_move(self(r), x, y); }
void cb_mouse_wheel(void* r, int x, int y, int axis, int clicks) { wmgr_on_mouse_wheel(self(r), x, y, axis, clicks); }
void cb_repaint(void*) { wins.start_win(wins.number, wmgr_loop_none); }
void cb_reshaped(void* r, int l, int t, int w, int h) { wmgr_on_reshaped(self(r), l, t, w, h); }
void cb_got_focus(void*) {}
void cb_lost_focus(void* r)
{
	if (!self(r)->playing_back) keys.cancel_all_keypresses();
}
void cb_key_down(void*, int ch, int vkey, int flags)
{
	keys.handle_key(ch, vkey, flags);
	mnw.key_went_down = 1;
	mnw.key_held = 1;
}
void cb_key_up(void*, int ch, int vkey, int flags)
{
	keys.handle_key(ch, vkey, flags);
	mnw.key_held = 0;
}
void cb_wants_close(void* r)
{
	skyvane_window* w = self(r);
	if (w->close_handler) w->close_handler(w, w->close_ref);
}

void fatal_no_graphics()
{
	RADAVI_alert("Skyvane could not set up the graphics system. This could be because your monitor resolution is not "
	             "at least 1280x768.",
	             "Or, it could be that your computer doesn't meet the system requirements, or you do not have OpenGL "
	             "drivers, or you entered a bad resolution in Skyvane.",
	             "You need at least 1GB of RAM, 256MB of VRAM, and OpenGL drivers for your video card.",
	             "You can try launching Skyvane again, since it has now been set to default resolution.",
	             alert_mode_fatal);
}

int* bounds_of_mode(skyvane_window* w)
{
	switch (w->mode) {
	case wmgr_mode_arbitrary: return w->arbitrary_bounds;
	case wmgr_mode_window: return w->windowed_bounds;
	default: return nullptr;  // full screen follows the monitor
	}
}

}  // namespace

// ---- construction ----

skyvane_window::skyvane_window(int role_, wmgr_mode mode_, wmgr_usage usage_, const int* bounds, int monitor_,
                               int min_width, int min_height, int resizable)
    : role(role_), monitor(monitor_), mode(mode_), usage(usage_)
{
	delegate.ref = this;
	delegate.mouse_down = cb_mouse_down;
	delegate.mouse_up = cb_mouse_up;
	delegate.mouse_move = cb_mouse_move;
	delegate.mouse_wheel = cb_mouse_wheel;
	delegate.repaint = cb_repaint;
	delegate.reshaped = cb_reshaped;
	delegate.got_keyboard_focus = cb_got_focus;
	delegate.lost_keyboard_focus = cb_lost_focus;
	delegate.key_press_down = cb_key_down;
	delegate.key_press_up = cb_key_up;
	delegate.wants_close = cb_wants_close;

	if (bounds) {
		if (mode == wmgr_mode_arbitrary)
			copy4(arbitrary_bounds, bounds);
		else
			copy4(windowed_bounds, bounds);
	}

	int rect[4];
	int style = win_style_borderless;
	if (mode == wmgr_mode_window) {
		copy4(rect, windowed_bounds);
		style = resizable ? win_style_resizable : win_style_titled;
	} else if (mode == wmgr_mode_fullscreen) {
		monitor_rect(monitor, rect);
	} else {
		copy4(rect, arbitrary_bounds);
	}

	skyvane_window* main = s_windows.empty() ? nullptr : s_windows.front();
	platform_window = WIN_ogl_window_create(rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1], min_width,
	                                        min_height, style, main ? main->platform_window : nullptr);
	if (!platform_window) {
		fatal_no_graphics();
		return;
	}
	WIN_ogl_window_set_delegate(platform_window, &delegate);
	WIN_ogl_window_set_vsync(platform_window, 1);

	int actual[4];
	WIN_ogl_window_get_position(platform_window, actual);
	if (int* b = bounds_of_mode(this)) copy4(b, actual);
	pixel_size[0] = actual[2] - actual[0];
	pixel_size[1] = actual[3] - actual[1];

	const wmgr_render_hooks& r = wmgr_render();
	if (role == 0) {
		wins.win_width = pixel_size[0];
		wins.win_height = pixel_size[1];
		if (r.init_extensions) r.init_extensions();
	}
	// The new context's state goes into its own record (the shared one for the main window).
	if (r.create_state_record) gl_state = r.create_state_record(role == 0);
	if (gl_state && r.make_state_record_current) r.make_state_record_current(gl_state);
	if (r.init_context_state) r.init_context_state(WIN_ogl_window_get_actual_fsaa());

	s_windows.push_back(this);
	wmgr_recalculate_desktop();
}

skyvane_window::~skyvane_window()
{
	const wmgr_render_hooks& r = wmgr_render();
	if (gl_state && r.free_state_record) r.free_state_record(gl_state);
	if (platform_window) WIN_ogl_window_destroy(platform_window);
	s_windows.erase(std::remove(s_windows.begin(), s_windows.end(), this), s_windows.end());
	g_window_projection_params.erase(this);
	if (s_cur_window == this) s_cur_window = nullptr;
}

void skyvane_window::os_rect_for_mode(int rect[4]) const
{
	switch (mode) {
	case wmgr_mode_window: copy4(rect, windowed_bounds); return;
	case wmgr_mode_arbitrary: copy4(rect, arbitrary_bounds); return;
	default: monitor_rect(monitor, rect); return;
	}
}

skyvane_window* wmgr_create_new_window(wmgr_mode mode, wmgr_usage usage, const int* bounds, int monitor, void* hint,
                                       int floating, int min_width, int min_height, int resizable)
{
	skyvane_window* before = s_cur_window;
	const int role = s_windows.empty() ? 0 : -1;
	auto* w = new skyvane_window(role, mode, usage, bounds, monitor, min_width, min_height, resizable);
	if (!w->platform_window) {
		delete w;
		return nullptr;
	}
	w->hint = hint;
	w->floating = floating;
	wmgr_recalculate_desktop();

	// Creation made the new context current; the caller's stays current.
	if (before) {
		WIN_ogl_window_set_current(before->platform_window);
		const wmgr_render_hooks& r = wmgr_render();
		if (before->gl_state && r.make_state_record_current) r.make_state_record_current(before->gl_state);
	} else {
		s_cur_window = w;
	}

	skyvane_window* main = s_windows.front();
	auto it = g_window_projection_params.find(main);
	g_window_projection_params[w] = (w != main && it != g_window_projection_params.end()) ? it->second
	                                                                                      : projection_params();
	if (s_event_hook) s_event_hook(w, 0);
	return w;
}

// ---- destruction ----

void wmgr_window_destroy(skyvane_window* window)
{
	if (!window) return;
	// The hook hears of the window that really goes: the main window survives by taking over
	// another one, and when it cannot, nothing goes at all.
	if (window == wmgr_get_main_window()) {
		// The main window lives on as long as there is a window to replace it: it takes over
		// the first other non-floating window's settings, and that window goes.
		skyvane_window* other = nullptr;
		for (size_t i = 1; i < s_windows.size(); ++i)
			if (!s_windows[i]->floating) {
				other = s_windows[i];
				break;
			}
		if (!other) return;
		window->usage = other->usage;
		window->hint = other->hint;
		window->floating = other->floating;
		copy4(window->windowed_bounds, other->windowed_bounds);
		window->monitor = other->monitor;
		copy4(window->arbitrary_bounds, other->arbitrary_bounds);
		const wmgr_mode target = other->mode;
		if (window->mode != target) {
			window->set_fullscreen_mode(target);
		} else {
			int r[4];
			window->os_rect_for_mode(r);
			WIN_ogl_window_set_position(window->platform_window, r);
		}
		window->close_handler = other->close_handler;
		window->close_ref = other->close_ref;
		auto it = g_window_projection_params.find(other);
		if (it != g_window_projection_params.end()) g_window_projection_params[window] = it->second;
		window->playing_back = other->playing_back;
		window = other;
	}
	if (s_event_hook) s_event_hook(window, 1);
	delete window;
	wmgr_recalculate_desktop();
}

// ---- desktop layout and queries ----

void wmgr_recalculate_desktop()
{
	std::vector<const int*> placed;
	int a = 0;
	for (skyvane_window* w : s_windows) {
		int r[4];
		if (w->mode == wmgr_mode_arbitrary) {
			copy4(r, w->arbitrary_bounds);
		} else if (w->mode == wmgr_mode_fullscreen) {
			WIN_ogl_window_get_position(w->platform_window, r);
		} else {
			const int width = w->windowed_bounds[2] - w->windowed_bounds[0];
			const int height = w->windowed_bounds[3] - w->windowed_bounds[1];
			const int shift = w->floating ? 100000 : 0;
			r[0] = shift, r[1] = 0, r[2] = shift + width, r[3] = height;
		}
		for (const int* p : placed)
			if (overlaps(r, p)) {
				const int width = r[2] - r[0], height = r[3] - r[1];
				r[0] = a, r[1] = 0, r[2] = a + width, r[3] = height;
				break;
			}
		copy4(w->global_bounds, r);
		placed.push_back(w->global_bounds);
		a = std::max(a, r[2]);
	}
	for (skyvane_window* w : s_windows)
		for (int& v : w->global_bounds) v = static_cast<int>(v / s_backing_scale);
}

int wmgr_count_windows() { return static_cast<int>(s_windows.size()); }
skyvane_window* wmgr_get_nth_window(int n)
{
	return (n >= 0 && n < static_cast<int>(s_windows.size())) ? s_windows[n] : nullptr;
}
skyvane_window* wmgr_get_main_window() { return s_windows.empty() ? nullptr : s_windows.front(); }
skyvane_window* wmgr_get_cur_window() { return s_cur_window; }
WIN_ogl_window* RADAVI_get_cur_win() { return s_cur_window ? s_cur_window->platform_window : nullptr; }
wmgr_usage wmgr_window_get_usage(skyvane_window* w) { return w ? w->usage : wmgr_usage_normal_visuals; }

void wmgr_window_get_hint_and_floating(skyvane_window* w, void** hint, int* floating)
{
	if (hint) *hint = w ? w->hint : nullptr;
	if (floating) *floating = w ? w->floating : 0;
}

void wmgr_window_get_global_bounds(skyvane_window* w, int bounds[4])
{
	if (w) copy4(bounds, w->global_bounds);
}

void wmgr_window_set_close_handler(skyvane_window* w, wmgr_close_handler handler, void* ref)
{
	if (!w) return;
	w->close_handler = handler;
	w->close_ref = ref;
}

void wmgr_set_window_event_hook(wmgr_window_event_hook hook) { s_event_hook = hook; }

namespace {
void union_of(bool with_popouts, int out[4])
{
	bool any = false;
	for (size_t i = 0; i < s_windows.size(); ++i) {
		const skyvane_window* w = s_windows[i];
		if (!with_popouts && i != 0 && w->floating) continue;
		if (!any) {
			copy4(out, w->global_bounds);
			any = true;
			continue;
		}
		out[0] = std::min(out[0], w->global_bounds[0]);
		out[1] = std::min(out[1], w->global_bounds[1]);
		out[2] = std::max(out[2], w->global_bounds[2]);
		out[3] = std::max(out[3], w->global_bounds[3]);
	}
	if (!any) out[0] = out[1] = out[2] = out[3] = 0;
}
}  // namespace

void wmgr_get_global_desktop_no_popouts(int bounds[4]) { union_of(false, bounds); }
void wmgr_get_global_desktop_with_popouts(int bounds[4]) { union_of(true, bounds); }

bool wmgr_get_global_bounds_of_monitor(int monitor, int bounds[4])
{
	for (skyvane_window* w : s_windows)
		if (w->mode == wmgr_mode_fullscreen && w->monitor == monitor) {
			copy4(bounds, w->global_bounds);
			return true;
		}
	return false;
}

skyvane_window* wmgr_get_virtual_monitor_for_point(int x, int y, int bounds[4])
{
	for (skyvane_window* w : s_windows) {
		const int* g = w->global_bounds;
		if (x >= g[0] && x < g[2] && y >= g[1] && y < g[3]) {
			if (bounds) copy4(bounds, g);
			return w;
		}
	}
	return nullptr;
}

skyvane_window* wmgr_get_virtual_monitor_for_center_of_box(const int box[4], int bounds[4])
{
	return wmgr_get_virtual_monitor_for_point((box[0] + box[2]) / 2, (box[1] + box[3]) / 2, bounds);
}

namespace {
skyvane_window* most_overlapping(const int box[4])
{
	skyvane_window* best = nullptr;
	long long best_area = 0;
	for (skyvane_window* w : s_windows) {
		const long long area = overlap_area(box, w->global_bounds);
		if (area > best_area) best = w, best_area = area;
	}
	return best;
}
}  // namespace

skyvane_window* wmgr_get_virtual_monitor_for_box(const int box[4], int bounds[4])
{
	if (skyvane_window* w = wmgr_get_virtual_monitor_for_center_of_box(box, bounds)) return w;
	skyvane_window* w = most_overlapping(box);
	if (w && bounds) copy4(bounds, w->global_bounds);
	return w;
}

void wmgr_map_global_to_os_bounds(const int global[4], int os[4])
{
	skyvane_window* w = most_overlapping(global);
	if (!w) w = wmgr_get_main_window();
	if (!w) {
		os[0] = global[0], os[1] = global[3], os[2] = global[2], os[3] = global[1];
		return;
	}
	int r[4];
	w->os_rect_for_mode(r);
	const int* g = w->global_bounds;
	auto clamp = [](double v, int lo, int hi) {
		return static_cast<int>(std::lround(std::clamp(v, double(std::min(lo, hi)), double(std::max(lo, hi)))));
	};
	auto map_x = [&](int x) {
		if (g[2] == g[0]) return (r[0] + r[2]) / 2;
		return clamp(r[0] + double(x - g[0]) * (r[2] - r[0]) / (g[2] - g[0]), r[0], r[2]);
	};
	// y flips: the global top is the operating-system top.
	auto map_y = [&](int y) {
		if (g[3] == g[1]) return (r[1] + r[3]) / 2;
		return clamp(r[1] + double(g[3] - y) * (r[3] - r[1]) / (g[3] - g[1]), r[1], r[3]);
	};
	os[0] = map_x(global[0]);
	os[1] = map_y(global[3]);
	os[2] = map_x(global[2]);
	os[3] = map_y(global[1]);
}

float wmgr_get_backing_scale() { return s_backing_scale; }
float* wmgr_backing_scale_ptr() { return &s_backing_scale; }

void wmgr_set_backing_scale(float scale)
{
	if (scale <= 0 || scale == s_backing_scale) return;
	s_backing_scale = scale;
	wmgr_recalculate_desktop();
}

void RADAVI_get_window_size(int* width, int* height)
{
	skyvane_window* m = wmgr_get_main_window();
	if (width) *width = m ? m->windowed_bounds[2] - m->windowed_bounds[0] : 0;
	if (height) *height = m ? m->windowed_bounds[3] - m->windowed_bounds[1] : 0;
}

WIN_ogl_context RADAVI_cons_make_loader()
{
	skyvane_window* m = wmgr_get_main_window();
	return m ? WIN_ogl_context_create_with_window(m->platform_window) : nullptr;
}

// ---- input ----

void wmgr_map_mouse(const skyvane_window* w, int x, int y, float* lx, float* ly)
{
	const int* g = w->global_bounds;  // left, bottom, right, top
	const int pw = w->pixel_size[0], ph = w->pixel_size[1];
	*lx = pw ? g[0] + float(g[2] - g[0]) * x / pw : (g[0] + g[2]) * 0.5f;
	*ly = ph ? g[3] + float(g[1] - g[3]) * y / ph : (g[1] + g[3]) * 0.5f;
}

namespace {
// Stores the point in the shell's record; returns the truncated logical point.
void note_mouse(skyvane_window* w, int x, int y, float* tx, float* ty)
{
	float X, Y;
	wmgr_map_mouse(w, x, y, &X, &Y);
	*tx = std::trunc(X);
	*ty = std::trunc(Y);
	mnw.x = *tx;
	mnw.y = *ty;
	mnw.x_scaled = X * s_backing_scale;
	mnw.y_scaled = Y * s_backing_scale;
	if (w == wmgr_get_main_window()) {
		mnw.x_scaled -= wins.offset_x;
		mnw.y_scaled -= wins.offset_y;
	}
}
int button_slot(int b) { return b < 0 ? 2 : (b > 2 ? 2 : b); }
}  // namespace

void wmgr_on_mouse_down(skyvane_window* w, int x, int y, int button)
{
	float X, Y;
	note_mouse(w, x, y, &X, &Y);
	if (button == 0) mnw.left_held = 1;
	const wmgr_toolkit_hooks& t = wmgr_toolkit();
	const int unused = t.mouse_down ? t.mouse_down(X, Y, button, xtim.real_time, 1) : 1;
	if (!unused) return;
	mnw.down_this_turn[button_slot(button)] = 1;
	const float sx = mnw.x_scaled, sy = mnw.y_scaled;
	const int lw = wins.logical_width, lh = wins.logical_height;
	const bool in_corner_x = (sx >= 0 && sx <= 25) || (sx >= lw - 25 && sx <= lw);
	if (can_zap() && in_corner_x && sy >= lh - 20 && sy <= lh) RADAVI_close_win();
}

void wmgr_on_mouse_up(skyvane_window* w, int x, int y, int button)
{
	float X, Y;
	note_mouse(w, x, y, &X, &Y);
	if (button == 0) mnw.left_held = 0;
	const wmgr_toolkit_hooks& t = wmgr_toolkit();
	const int unused = t.mouse_up ? t.mouse_up(X, Y, button, xtim.real_time) : 1;
	if (unused) mnw.up_this_turn[button_slot(button)] = 1;
}

void wmgr_on_mouse_move(skyvane_window* w, int x, int y)
{
	if (w->playing_back) return;
	float X, Y;
	note_mouse(w, x, y, &X, &Y);
	const wmgr_toolkit_hooks& t = wmgr_toolkit();
	if (t.mouse_move) t.mouse_move(X, Y);
	if (t.mouse_drag) {
		t.mouse_drag(X, Y, 0, xtim.real_time);
		t.mouse_drag(X, Y, 1, xtim.real_time);
	}
}

void wmgr_on_mouse_wheel(skyvane_window* w, int x, int y, int, int clicks)
{
	float X, Y;
	note_mouse(w, x, y, &X, &Y);
	const wmgr_toolkit_hooks& t = wmgr_toolkit();
	const int unused = t.mouse_wheel ? t.mouse_wheel(X, Y, clicks) : 1;
	if (unused) mnw.wheel_clicks += clicks;
}

void wmgr_on_reshaped(skyvane_window* w, int left, int top, int width, int height)
{
	if (w->mode == wmgr_mode_window) {
		w->windowed_bounds[0] = left;
		w->windowed_bounds[1] = top;
		w->windowed_bounds[2] = left + width;
		w->windowed_bounds[3] = top + height;
	}
	if (w->pixel_size[0] == width && w->pixel_size[1] == height) return;
	w->pixel_size[0] = width;
	w->pixel_size[1] = height;
	if (w == wmgr_get_main_window() && width != 0 && height != 0) {
		wins.win_width = width;
		wins.win_height = height;
		float allowed = 1;
		if (width >= 1600 && height >= 1200)
			allowed = 2;
		else if (width >= 1200)
			allowed = height >= 900 ? 1.5f : 1;
		if (allowed < s_backing_scale) {
			s_backing_scale = allowed;
			wmgr_recalculate_desktop();
		}
		OGL_pix_specs();
		wins.start_win(wins.number, wmgr_loop_none);
	}
	wmgr_recalculate_desktop();
}

// ---- drawing into other windows ----

void wmgr_window_begin_render(skyvane_window* w, bool reset)
{
	if (!w) return;
	const wmgr_render_hooks& r = wmgr_render();
	if (reset && r.reset_state) r.reset_state();
	WIN_ogl_window_set_current(w->platform_window);
	if (w->gl_state && r.make_state_record_current) r.make_state_record_current(w->gl_state);
	wins.win_width = w->pixel_size[0];
	wins.win_height = w->pixel_size[1];
	if (r.set_projection)
		r.set_projection(0, 0, float(w->pixel_size[0]), float(w->pixel_size[1]), w->pixel_size[0], w->pixel_size[1]);
	if (r.reset_state) r.reset_state();
	if (!w->floating) OGL_pix_specs();
	s_cur_window = w;
}

void wmgr_window_end_render(skyvane_window* w, bool last)
{
	if (!w) return;
	const wmgr_render_hooks& r = wmgr_render();
	if (r.reset_state) r.reset_state();
	WIN_ogl_window_swap(w->platform_window);
	skyvane_window* main = wmgr_get_main_window();
	if (last && main) {
		WIN_ogl_window_set_current(main->platform_window);
		if (main->gl_state && r.make_state_record_current) r.make_state_record_current(main->gl_state);
		wins.win_width = main->pixel_size[0];
		wins.win_height = main->pixel_size[1];
		OGL_pix_specs();
		s_cur_window = main;
	} else {
		WIN_ogl_window_set_current(nullptr);
		s_cur_window = nullptr;
	}
}

// ---- full screen ----

void skyvane_window::set_fullscreen_mode(wmgr_mode m)
{
	if (m == mode) return;
	const wmgr_render_hooks& r = wmgr_render();
	if (r.flush) r.flush();
	WIN_ogl_window_set_style(platform_window, m == wmgr_mode_window ? win_style_titled : win_style_borderless);
	mode = m;
	int rect[4];
	if (m == wmgr_mode_window) {
		int mon[4];
		monitor_rect(monitor, mon);
		// Windowed bounds that fill the monitor would hide the title bar off-screen.
		if (same4(windowed_bounds, mon)) {
			windowed_bounds[0] += 40, windowed_bounds[1] += 40;
			windowed_bounds[2] -= 40, windowed_bounds[3] -= 40;
		}
	}
	os_rect_for_mode(rect);
	WIN_ogl_window_set_position(platform_window, rect);
	wmgr_recalculate_desktop();
}
