#pragma once
// Platform tests share their process with the render tests: they leave the current GL context
// and the window manager's hooks, scale and legacy window state as they found them.
#include <SDL2/SDL.h>

#include "core/platform/wmgr_hooks.h"
#include "core/platform/wmgr_window.h"
#include "core/platform/wmgr_wins.h"

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
