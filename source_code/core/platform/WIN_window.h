#pragma once
// Operating-system windows that carry an OpenGL 3.3 core context (SDL2 + libepoxy).
// Geometry here is in screen points, origin at the top-left of the primary monitor, y down;
// a window rectangle is (left, top, right, bottom) with top < bottom.
//
// This header does not include SDL: the handles are opaque so that the layers above can use
// windows without seeing the platform library.

// Window styles. Any other value is treated as borderless.
constexpr int win_style_titled = 0;     // title bar only: not closable, not resizable
constexpr int win_style_resizable = 1;  // title bar, close button, resizable border
constexpr int win_style_borderless = 2;

// Every callback receives the reference first; positions are integer points relative to the
// top-left of the content area. Buttons: 0 left, 1 right, 2 any other. Any callback may be null.
struct WIN_ogl_window_delegate {
	void* ref = nullptr;
	void (*mouse_down)(void* ref, int x, int y, int button) = nullptr;
	void (*mouse_up)(void* ref, int x, int y, int button) = nullptr;
	void (*mouse_move)(void* ref, int x, int y) = nullptr;
	void (*mouse_wheel)(void* ref, int x, int y, int axis, int clicks) = nullptr;
	void (*repaint)(void* ref) = nullptr;
	void (*reshaped)(void* ref, int left, int top, int width, int height) = nullptr;
	void (*got_keyboard_focus)(void* ref) = nullptr;
	void (*lost_keyboard_focus)(void* ref) = nullptr;
	void (*key_press_down)(void* ref, int ch, int vkey, int flags) = nullptr;
	void (*key_press_up)(void* ref, int ch, int vkey, int flags) = nullptr;
	void (*wants_close)(void* ref) = nullptr;
};

struct WIN_ogl_window {
	WIN_ogl_window_delegate* delegate = nullptr;
	int style = 0;
	void* os_window = nullptr;  // SDL_Window*
	void* gl_view = nullptr;    // SDL_GLContext
	unsigned int os_id = 0;     // the window id that events carry
};

typedef void* WIN_ogl_context;

// One-time process set-up; fsaa_req 0 = no multisampling, n > 0 = 2^n samples.
// Window creation calls it with 0 when nobody did.
void WIN_initialize(int fsaa_req);

// True when a video device can be opened (a display, or SDL_VIDEODRIVER=offscreen/dummy).
// Tests call it and skip when false.
bool WIN_video_available();

// New windows are created hidden while this is set (tests, unattended runs). Default: shown.
void WIN_set_create_hidden(bool hidden);

// A window whose content area is at (left, top) with this size, this minimum content size and
// style, brought to the front; its context (OpenGL 3.3 core, double-buffered, 32-bit depth when
// available) is current on return. share_with, when given, shares textures and buffers.
// Returns null (and logs why) when the window or context cannot be made.
WIN_ogl_window* WIN_ogl_window_create(int left, int top, int width, int height, int min_width, int min_height,
                                      int style, WIN_ogl_window* share_with);
void WIN_ogl_window_set_delegate(WIN_ogl_window* window, WIN_ogl_window_delegate* delegate);
void WIN_ogl_window_destroy(WIN_ogl_window* window);

void WIN_ogl_window_set_style(WIN_ogl_window* window, int style);
void WIN_ogl_window_set_vsync(WIN_ogl_window* window, int on);
void WIN_ogl_window_set_position(WIN_ogl_window* window, const int rect[4]);
void WIN_ogl_window_get_position(WIN_ogl_window* window, int rect[4]);
void WIN_ogl_window_calc_add_os_chrome(int rect[4], int style);
void WIN_ogl_window_calc_remove_os_chrome(int rect[4], int style);

// The drawable size in pixels (the backing store); differs from the point size on scaled displays.
void WIN_ogl_window_get_drawable_size(WIN_ogl_window* window, int* width_px, int* height_px);

// null clears the current context.
void WIN_ogl_window_set_current(WIN_ogl_window* window);
// Makes the window's context current and presents the back buffer.
void WIN_ogl_window_swap(WIN_ogl_window* window);

// log2 of the sample count obtained; 0 without multisampling.
int WIN_ogl_window_get_actual_fsaa();
void WIN_ogl_window_set_actual_fsaa(int n);

// A further context sharing objects with the window's context (for a loader thread), made on
// the main thread; the caller's current context is kept. WIN_ogl_context_attach_to_thread makes
// it current on the calling thread and returns 1 (0 when that fails). Destroy it on the main
// thread once the loader thread has let go of it.
WIN_ogl_context WIN_ogl_context_create_with_window(WIN_ogl_window* window);
int WIN_ogl_context_attach_to_thread(WIN_ogl_context context);
void WIN_ogl_context_destroy(WIN_ogl_context context);

// Always 1.0: the interface scale belongs to the window manager.
float WIN_get_os_dpi_scale();

// The window record for an SDL window id (events carry ids), or null.
WIN_ogl_window* WIN_ogl_window_from_os_id(unsigned int os_id);
