// The event loop: one SDL event per turn, dispatched to the delegate of the window it is for.
//
// Contents: application delegate and device notifications; key events; mouse events;
// window notifications; the loop turn.
#include "core/platform/WIN_app.h"
#include "core/platform/WIN_events_sdl.h"
#include "core/platform/WIN_keys_sdl.h"
#include "core/platform/WIN_mount_watch.h"
#include "core/platform/WIN_window.h"
#include "core/platform/WIN_window_registry.h"

#include <SDL2/SDL.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>

#include "core/ui/RADAVI_shell.h"
#include "core/ui/log.h"

namespace {

skyvane_app_delegate* s_app_delegate = nullptr;
bool s_app_hooks_installed = false;
std::unique_ptr<WIN_mount_watch> s_mount_watch;
bool s_in_reshape = false;

WIN_ogl_window_delegate* delegate_for(Uint32 window_id)
{
	WIN_ogl_window* w = WIN_ogl_window_from_os_id(window_id);
	return w ? w->delegate : nullptr;
}

void poll_device_notifications()
{
	if (s_mount_watch && s_mount_watch->poll_new_mount() && s_app_delegate && s_app_delegate->got_new_dvd)
		s_app_delegate->got_new_dvd(s_app_delegate->ref);
}

int mouse_button_index(Uint8 b)
{
	if (b == SDL_BUTTON_LEFT) return 0;
	if (b == SDL_BUTTON_RIGHT) return 1;
	return 2;
}

void store_modifier_snapshot()
{
	const SDL_Keymod mod = SDL_GetModState();
	option_key = (mod & KMOD_ALT) ? 1 : 0;
	shift_key = (mod & KMOD_SHIFT) ? 1 : 0;
	control_key = (mod & (KMOD_CTRL | KMOD_GUI)) ? 1 : 0;
	capslock_key = (mod & KMOD_CAPS) ? 1 : 0;
}

void dispatch_window_event(const SDL_WindowEvent& e)
{
	WIN_ogl_window* w = WIN_ogl_window_from_os_id(e.windowID);
	if (!w) return;
	WIN_ogl_window_delegate* d = w->delegate;
	switch (e.event) {
	case SDL_WINDOWEVENT_MOVED:
	case SDL_WINDOWEVENT_SIZE_CHANGED: {
		if (e.event == SDL_WINDOWEVENT_SIZE_CHANGED) WIN_note_window_chrome(w);
		if (!d || !d->reshaped || s_in_reshape) return;
		int r[4];
		WIN_ogl_window_get_position(w, r);
		s_in_reshape = true;
		d->reshaped(d->ref, r[0], r[1], r[2] - r[0], r[3] - r[1]);
		s_in_reshape = false;
		return;
	}
	case SDL_WINDOWEVENT_EXPOSED:
		if (d && d->repaint) d->repaint(d->ref);
		return;
	case SDL_WINDOWEVENT_FOCUS_GAINED:
		if (d && d->got_keyboard_focus) d->got_keyboard_focus(d->ref);
		return;
	case SDL_WINDOWEVENT_FOCUS_LOST:
		if (d && d->lost_keyboard_focus) d->lost_keyboard_focus(d->ref);
		return;
	case SDL_WINDOWEVENT_CLOSE:
		// Only the delegate's owner closes windows.
		if (d && d->wants_close) d->wants_close(d->ref);
		return;
	default:
		return;
	}
}

}  // namespace

void WIN_dispatch_event(SDL_Event& ev)
{
	switch (ev.type) {
	case SDL_KEYDOWN:
	case SDL_KEYUP: {
		// SDL posts the typed text as its own event right after the key-down; it belongs to it.
		char text[SDL_TEXTINPUTEVENT_TEXT_SIZE] = {0};
		if (ev.type == SDL_KEYDOWN) {
			// Only the very next event: a later text belongs to a later key.
			SDL_Event t;
			if (SDL_PeepEvents(&t, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 && t.type == SDL_TEXTINPUT &&
			    t.text.windowID == ev.key.windowID) {
				SDL_PeepEvents(&t, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT);
				SDL_strlcpy(text, t.text.text, sizeof text);
			}
		}
		WIN_deliver_key_event(ev.key, text[0] ? text : nullptr);
		return;
	}
	case SDL_TEXTINPUT:
		// Text with no key-down of its own (an input method committing): a press of no key.
		WIN_deliver_text_event(ev.text);
		return;
	case SDL_MOUSEBUTTONDOWN:
	case SDL_MOUSEBUTTONUP: {
		WIN_ogl_window_delegate* d = delegate_for(ev.button.windowID);
		if (!d) return;
		auto fn = ev.type == SDL_MOUSEBUTTONDOWN ? d->mouse_down : d->mouse_up;
		if (fn) fn(d->ref, ev.button.x, ev.button.y, mouse_button_index(ev.button.button));
		return;
	}
	case SDL_MOUSEMOTION: {
		WIN_ogl_window_delegate* d = delegate_for(ev.motion.windowID);
		if (d && d->mouse_move) d->mouse_move(d->ref, ev.motion.x, ev.motion.y);
		return;
	}
	case SDL_MOUSEWHEEL: {
		WIN_ogl_window_delegate* d = delegate_for(ev.wheel.windowID);
		if (!d || !d->mouse_wheel) return;
		float lines = ev.wheel.preciseY;
		if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) lines = -lines;
		const int clicks = static_cast<int>(std::lround(lines));
		d->mouse_wheel(d->ref, ev.wheel.mouseX, ev.wheel.mouseY, 0, clicks);
		return;
	}
	case SDL_WINDOWEVENT:
		dispatch_window_event(ev.window);
		return;
	case SDL_JOYDEVICEADDED:
	case SDL_JOYDEVICEREMOVED:
		if (s_app_delegate && s_app_delegate->got_new_joy) s_app_delegate->got_new_joy(s_app_delegate->ref);
		return;
	default:
		return;
	}
}

void WIN_deliver_key_event(const SDL_KeyboardEvent& e, const char* typed_utf8)
{
	int ch = 0, vkey = 0, flags = 0;
	if (!WIN_key_event_to_triple(g_win_key_state, e, typed_utf8, &ch, &vkey, &flags)) return;
	WIN_ogl_window_delegate* d = delegate_for(e.windowID);
	if (!d) return;
	auto fn = (flags & WIN_flag_up) ? d->key_press_up : d->key_press_down;
	if (fn) fn(d->ref, ch, vkey, flags);
}

void WIN_deliver_text_event(const SDL_TextInputEvent& e)
{
	const int ch = WIN_utf8_first_unit(e.text);
	if (ch == 0) return;
	WIN_ogl_window_delegate* d = delegate_for(e.windowID);
	if (!d) return;
	const int flags = WIN_modifier_flags(SDL_GetModState());
	if (d->key_press_down) d->key_press_down(d->ref, ch, 0, flags | WIN_flag_down);
	if (d->key_press_up) d->key_press_up(d->ref, ch, 0, flags | WIN_flag_up);
}

void WIN_set_app_deleate(skyvane_app_delegate* delegate)
{
	s_app_delegate = delegate;
	if (s_app_hooks_installed) return;
	s_app_hooks_installed = true;
	s_mount_watch = std::make_unique<WIN_mount_watch>();
	// Device notifications need the joystick subsystem; without it they are simply not sent.
	if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_InitSubSystem(SDL_INIT_JOYSTICK);
}

skyvane_app_delegate* WIN_get_app_delegate() { return s_app_delegate; }

int g_new_disc_flag = 0;
int g_new_joy_flag = 0;

namespace {
void default_got_new_dvd(void*) { g_new_disc_flag = 1; }
void default_got_new_joy(void*) { g_new_joy_flag = 1; }
void default_log_func(void*, const char* format, ...)
{
	char buf[2048];
	va_list args;
	va_start(args, format);
	vsnprintf(buf, sizeof buf, format, args);
	va_end(args);
	xer << buf;
	xer.flush();
}
}  // namespace

skyvane_app_delegate* WIN_default_app_delegate()
{
	static skyvane_app_delegate d = [] {
		skyvane_app_delegate x;
		x.got_new_dvd = default_got_new_dvd;
		x.got_new_joy = default_got_new_joy;
		x.log_func = default_log_func;
		return x;
	}();
	return &d;
}

int WIN_event_loop_once(WIN_loop_fn pre, WIN_loop_fn post)
{
	if (pre) pre();
	poll_device_notifications();
	if (SDL_WasInit(SDL_INIT_EVENTS)) {
		SDL_Event ev;
		if (SDL_PollEvent(&ev)) {
			store_modifier_snapshot();
			WIN_dispatch_event(ev);
		}
	}
	return post ? post() : 0;
}

int WIN_run_app(WIN_loop_fn pre, WIN_loop_fn post)
{
	while (!sim_is_done) WIN_event_loop_once(pre, post);
	return sim_is_done ? 1 : 0;
}

void WIN_quit_app() { sim_is_done = true; }
