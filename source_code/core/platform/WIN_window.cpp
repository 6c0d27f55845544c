// SDL2 windows with an OpenGL 3.3 core context; libepoxy resolves GL entry points per context.
#include "core/platform/WIN_window.h"
#include "core/platform/WIN_window_registry.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/platform/WIN_app.h"
#include "core/platform/WIN_standard_alert.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

namespace {

int s_fsaa_req = 0;
int s_actual_fsaa = 0;
bool s_initialised = false;
bool s_create_hidden = false;
bool s_pixel_format_chosen = false;
int s_depth_bits = 32;
int s_fsaa_samples = 0;

// Decoration sizes (top, left, bottom, right) last seen for styles 0 and 1; unknown until a
// decorated window has been mapped by the window manager.
int s_chrome[2][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}};

std::vector<WIN_ogl_window*>& windows()
{
	static std::vector<WIN_ogl_window*> v;
	return v;
}

struct saved_context {
	SDL_Window* win = SDL_GL_GetCurrentWindow();
	SDL_GLContext ctx = SDL_GL_GetCurrentContext();
	~saved_context() { SDL_GL_MakeCurrent(win, ctx); }
};

bool is_decorated(int style) { return style == win_style_titled || style == win_style_resizable; }

void note_chrome(WIN_ogl_window* w)
{
	if (!is_decorated(w->style)) return;
	int top = 0, left = 0, bottom = 0, right = 0;
	if (SDL_GetWindowBordersSize(static_cast<SDL_Window*>(w->os_window), &top, &left, &bottom, &right) == 0) {
		int* c = s_chrome[w->style];
		c[0] = top, c[1] = left, c[2] = bottom, c[3] = right;
	}
}

void apply_style_flags(SDL_Window* win, int style)
{
	SDL_SetWindowBordered(win, is_decorated(style) ? SDL_TRUE : SDL_FALSE);
	SDL_SetWindowResizable(win, style == win_style_resizable ? SDL_TRUE : SDL_FALSE);
}

void set_gl_attributes(int depth_bits, int samples)
{
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
	SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
	SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
	SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
	SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples);
}

Uint32 window_flags(int style)
{
	Uint32 f = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
	f |= s_create_hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
	if (style == win_style_resizable) f |= SDL_WINDOW_RESIZABLE;
	if (!is_decorated(style)) f |= SDL_WINDOW_BORDERLESS;
	return f;
}

// Creates window and context with the chosen pixel format; the context is current on success.
bool make_window_and_context(WIN_ogl_window* w, int left, int top, int width, int height, int style)
{
	SDL_Window* win = SDL_CreateWindow("Skyvane Installer", left, top, std::max(width, 1), std::max(height, 1),
	                                   window_flags(style));
	if (!win) return false;
	SDL_GLContext ctx = SDL_GL_CreateContext(win);
	if (!ctx) {
		SDL_DestroyWindow(win);
		return false;
	}
	w->os_window = win;
	w->gl_view = ctx;
	return true;
}

}  // namespace

void WIN_initialize(int fsaa_req)
{
	s_fsaa_req = std::clamp(fsaa_req, 0, 5);
	if (s_initialised) return;
	// The shell owns SIGINT/SIGTERM; SDL must not turn them into quit events behind its back.
	SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
	// An ordinary desktop window: keep the compositor and the screen saver, and let the click
	// that activates a window also reach it.
	SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
	SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
	SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
	// Without this SDL ends each poll cycle with a turn that takes no event although one waits.
	SDL_SetHint(SDL_HINT_POLL_SENTINEL, "0");
	alert_set_standard(WIN_standard_alert_str);
	alert_set_quit(WIN_quit_app);
	s_initialised = true;
}

bool WIN_video_available()
{
	if (!s_initialised) WIN_initialize(s_fsaa_req);
	if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
	if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
		skyvane_log_write(log_warn, "OGL", "No video device: %s", SDL_GetError());
		return false;
	}
	return true;
}

void WIN_set_create_hidden(bool hidden) { s_create_hidden = hidden; }

WIN_ogl_window* WIN_ogl_window_create(int left, int top, int width, int height, int min_width, int min_height,
                                      int style, WIN_ogl_window* share_with)
{
	if (!WIN_video_available()) return nullptr;
	if (style < 0 || style > win_style_borderless) style = win_style_borderless;

	auto* w = new WIN_ogl_window;
	w->style = style;

	if (share_with) {
		SDL_GL_MakeCurrent(static_cast<SDL_Window*>(share_with->os_window), share_with->gl_view);
		SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
	} else {
		SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
	}

	bool ok = false;
	if (s_pixel_format_chosen) {
		set_gl_attributes(s_depth_bits, s_fsaa_samples);
		ok = make_window_and_context(w, left, top, width, height, style);
	} else {
		// The first window picks the format: the requested samples and a 32-bit depth buffer when
		// the driver has them, else the nearest that it has (software renderers offer 24 bits).
		std::vector<int> sample_choices;
		if (s_fsaa_req > 0) sample_choices.push_back(1 << s_fsaa_req);
		sample_choices.push_back(0);
		for (int samples : sample_choices) {
			for (int depth : {32, 24, 16}) {
				set_gl_attributes(depth, samples);
				if (make_window_and_context(w, left, top, width, height, style)) {
					s_depth_bits = depth;
					s_fsaa_samples = samples;
					ok = true;
					break;
				}
			}
			if (ok) break;
		}
		if (ok) {
			s_pixel_format_chosen = true;
			int s = 0;
			SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &s);
			s_actual_fsaa = s > 0 ? static_cast<int>(std::lround(std::log2(s))) : 0;
		}
	}
	SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);

	if (!ok) {
		skyvane_log_write(log_error, "OGL", "Could not create an OpenGL 3.3 core window: %s", SDL_GetError());
		delete w;
		return nullptr;
	}

	auto* win = static_cast<SDL_Window*>(w->os_window);
	w->os_id = SDL_GetWindowID(win);
	if (min_width > 0 || min_height > 0) SDL_SetWindowMinimumSize(win, std::max(min_width, 1), std::max(min_height, 1));
	if (!s_create_hidden) SDL_RaiseWindow(win);
	note_chrome(w);
	windows().push_back(w);
	SDL_GL_MakeCurrent(win, w->gl_view);
	return w;
}

void WIN_ogl_window_set_delegate(WIN_ogl_window* window, WIN_ogl_window_delegate* delegate)
{
	if (window) window->delegate = delegate;
}

void WIN_ogl_window_destroy(WIN_ogl_window* window)
{
	if (!window) return;
	auto& v = windows();
	v.erase(std::remove(v.begin(), v.end(), window), v.end());
	if (SDL_GL_GetCurrentContext() == window->gl_view) SDL_GL_MakeCurrent(nullptr, nullptr);
	SDL_GL_DeleteContext(window->gl_view);
	SDL_DestroyWindow(static_cast<SDL_Window*>(window->os_window));
	delete window;
}

void WIN_ogl_window_set_style(WIN_ogl_window* window, int style)
{
	if (!window) return;
	if (style < 0 || style > win_style_borderless) style = win_style_borderless;
	if (style == window->style) return;
	saved_context keep;
	window->style = style;
	apply_style_flags(static_cast<SDL_Window*>(window->os_window), style);
	note_chrome(window);
}

void WIN_ogl_window_set_vsync(WIN_ogl_window* window, int on)
{
	if (!window) return;
	saved_context keep;
	SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window->os_window), window->gl_view);
	SDL_GL_SetSwapInterval(on ? 1 : 0);
}

void WIN_ogl_window_set_position(WIN_ogl_window* window, const int rect[4])
{
	if (!window) return;
	saved_context keep;
	auto* win = static_cast<SDL_Window*>(window->os_window);
	SDL_SetWindowSize(win, std::max(rect[2] - rect[0], 1), std::max(rect[3] - rect[1], 1));
	SDL_SetWindowPosition(win, rect[0], rect[1]);
}

void WIN_ogl_window_get_position(WIN_ogl_window* window, int rect[4])
{
	if (!window) return;
	auto* win = static_cast<SDL_Window*>(window->os_window);
	int x = 0, y = 0, w = 0, h = 0;
	SDL_GetWindowPosition(win, &x, &y);
	SDL_GetWindowSize(win, &w, &h);
	rect[0] = x, rect[1] = y, rect[2] = x + w, rect[3] = y + h;
}

void WIN_ogl_window_calc_add_os_chrome(int rect[4], int style)
{
	if (!is_decorated(style)) return;
	const int* c = s_chrome[style];
	rect[2] += c[1] + c[3];
	rect[3] += c[0] + c[2];
}

void WIN_ogl_window_calc_remove_os_chrome(int rect[4], int style)
{
	if (!is_decorated(style)) return;
	const int* c = s_chrome[style];
	rect[2] -= c[1] + c[3];
	rect[3] -= c[0] + c[2];
}

void WIN_ogl_window_get_drawable_size(WIN_ogl_window* window, int* width_px, int* height_px)
{
	int w = 0, h = 0;
	if (window) SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(window->os_window), &w, &h);
	if (width_px) *width_px = w;
	if (height_px) *height_px = h;
}

void WIN_ogl_window_set_current(WIN_ogl_window* window)
{
	if (window)
		SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window->os_window), window->gl_view);
	else
		SDL_GL_MakeCurrent(nullptr, nullptr);
}

void WIN_ogl_window_swap(WIN_ogl_window* window)
{
	if (!window) return;
	auto* win = static_cast<SDL_Window*>(window->os_window);
	SDL_GL_MakeCurrent(win, window->gl_view);
	SDL_GL_SwapWindow(win);
}

int WIN_ogl_window_get_actual_fsaa() { return s_actual_fsaa; }
void WIN_ogl_window_set_actual_fsaa(int n) { s_actual_fsaa = n; }

namespace {
// A loader context has a hidden 1 x 1 window of its own to be current with: a window's surface
// may be current on one thread only (EGL), and the main thread keeps drawing into its own.
struct loader_context {
	SDL_Window* win;
	SDL_GLContext ctx;
};
}  // namespace

WIN_ogl_context WIN_ogl_context_create_with_window(WIN_ogl_window* window)
{
	if (!window) return nullptr;
	saved_context keep;
	set_gl_attributes(s_depth_bits, s_fsaa_samples);
	SDL_Window* own = SDL_CreateWindow("loader", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
	if (!own) {
		skyvane_log_write(log_error, "OGL", "Could not create a loader surface: %s", SDL_GetError());
		return nullptr;
	}
	SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window->os_window), window->gl_view);
	SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
	SDL_GLContext ctx = SDL_GL_CreateContext(own);
	SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
	if (!ctx) {
		skyvane_log_write(log_error, "OGL", "Could not create a shared context: %s", SDL_GetError());
		SDL_DestroyWindow(own);
		return nullptr;
	}
	return new loader_context{own, ctx};
}

int WIN_ogl_context_attach_to_thread(WIN_ogl_context context)
{
	auto* c = static_cast<loader_context*>(context);
	if (!c) return 0;
	return SDL_GL_MakeCurrent(c->win, c->ctx) == 0 ? 1 : 0;
}

void WIN_ogl_context_destroy(WIN_ogl_context context)
{
	auto* c = static_cast<loader_context*>(context);
	if (!c) return;
	if (SDL_GL_GetCurrentContext() == c->ctx) SDL_GL_MakeCurrent(nullptr, nullptr);
	SDL_GL_DeleteContext(c->ctx);
	SDL_DestroyWindow(c->win);
	delete c;
}

float WIN_get_os_dpi_scale() { return 1.0f; }

WIN_ogl_window* WIN_ogl_window_from_os_id(unsigned int os_id)
{
	for (WIN_ogl_window* w : windows())
		if (w->os_id == os_id) return w;
	return nullptr;
}

const std::vector<WIN_ogl_window*>& WIN_all_windows() { return windows(); }

void WIN_note_window_chrome(WIN_ogl_window* window)
{
	if (window) note_chrome(window);
}
