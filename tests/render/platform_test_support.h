#pragma once
// Platform tests share their process with the render tests: they leave the current GL context
// and the window manager's hooks, scale and legacy window state as they found them.
#include <SDL2/SDL.h>

#include <string>

#include "core/platform/WIN_window.h"

#include "core/platform/wmgr_hooks.h"
#include "core/platform/wmgr_window.h"
#include "core/platform/wmgr_wins.h"

// Whether windows with a GL context can be made here. False without a video device, and
// with a driver that has no display of its own (offscreen, dummy) when the probe fails; with a
// real display a failure is the code's and the tests are left to fail.
inline bool platform_gl_usable()
{
	static int usable = -1;
	if (usable >= 0) return usable == 1;
	usable = 0;
	if (!WIN_video_available()) return false;
	SDL_Window* keep_win = SDL_GL_GetCurrentWindow();
	SDL_GLContext keep_ctx = SDL_GL_GetCurrentContext();
	WIN_set_create_hidden(true);
	WIN_ogl_window* probe = WIN_ogl_window_create(0, 0, 16, 16, 0, 0, win_style_borderless, nullptr);
	const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
	usable = (probe || (driver != "offscreen" && driver != "dummy")) ? 1 : 0;
	if (probe) WIN_ogl_window_destroy(probe);
	SDL_GL_MakeCurrent(keep_win, keep_ctx);
	return usable == 1;
}

class platform_state_keeper {
public:
	platform_state_keeper()
	    : win_(SDL_GL_GetCurrentWindow()), ctx_(SDL_GL_GetCurrentContext()), toolkit_(wmgr_toolkit()),
	      render_(wmgr_render()), scale_(wmgr_get_backing_scale()), wins_(wins)
	{
	}
	~platform_state_keeper()
	{
		wmgr_set_toolkit_hooks(toolkit_);
		wmgr_set_render_hooks(render_);
		wmgr_set_backing_scale(scale_);
		wins = wins_;
		SDL_GL_MakeCurrent(win_, ctx_);
	}
	platform_state_keeper(const platform_state_keeper&) = delete;
	platform_state_keeper& operator=(const platform_state_keeper&) = delete;

private:
	SDL_Window* win_;
	SDL_GLContext ctx_;
	wmgr_toolkit_hooks toolkit_;
	wmgr_render_hooks render_;
	float scale_;
	wins_class wins_;
};
