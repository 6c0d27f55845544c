#pragma once
// What the window manager needs from the layers above it, as plain callbacks: the toolkit
// (event dispatch, key routing, the root controller) and the render layer (GL state and the
// 2-D projection). Any callback may be null: a null mouse callback means "not consumed", a
// null key callback "not handled", and a null render callback does nothing.

struct wmgr_toolkit_hooks {
	// The event dispatcher. Points are logical, already truncated; each returns 1 when the
	// toolkit did not consume the event.
	int (*mouse_down)(float x, float y, int button, double time, int clicks) = nullptr;
	int (*mouse_up)(float x, float y, int button, double time) = nullptr;
	int (*mouse_move)(float x, float y) = nullptr;
	int (*mouse_drag)(float x, float y, int button, double time) = nullptr;
	int (*mouse_wheel)(float x, float y, int clicks) = nullptr;
	// The commander's keyboard dispatch (character below 128 or 0); 1 when handled.
	int (*keyboard)(int ch, int vkey, int flags) = nullptr;
	// The legacy button focus; 1 when handled.
	int (*legacy_focus_keyboard)(int ch, int vkey, int flags) = nullptr;
	// True while the toolkit runs one modal alert frame.
	bool (*in_modal_alert_frame)() = nullptr;
	// For a legacy window number: make the floating window manager (number 0) or nothing the
	// root controller, with this tight-loop state.
	void (*set_root_for_window_number)(int number, int loop_state) = nullptr;
	// Begin the legacy focus-ring frame; clear the legacy button focus boxes.
	void (*begin_focus_frame)() = nullptr;
	void (*clear_focus_boxes)() = nullptr;
};

struct wmgr_render_hooks {
	// A GL state-cache record for a context (main = the shared main record), freeing one,
	// and making one the current record.
	void* (*create_state_record)(bool main) = nullptr;
	void (*free_state_record)(void* record) = nullptr;
	void (*make_state_record_current)(void* record) = nullptr;
	// The initial state of a new context; fsaa is the anti-aliasing level obtained.
	void (*init_context_state)(int fsaa) = nullptr;
	// The extension table, once, for the main window's context.
	void (*init_extensions)() = nullptr;
	// Back to the standard 2-D state (blending, no scissor, default framebuffer).
	void (*reset_state)() = nullptr;
	// Orthographic 2-D projection (left, bottom, right, top) and viewport over 0..width, 0..height.
	void (*set_projection)(float left, float bottom, float right, float top, int viewport_w, int viewport_h) = nullptr;
	// Flush pending drawing before a window changes its style.
	void (*flush)() = nullptr;
};

// Tight-loop states passed to set_root_for_window_number (the toolkit's numbering).
constexpr int wmgr_loop_none = 0;
constexpr int wmgr_loop_enter = 1;
constexpr int wmgr_loop_exit = 2;

void wmgr_set_toolkit_hooks(const wmgr_toolkit_hooks& hooks);
void wmgr_set_render_hooks(const wmgr_render_hooks& hooks);
const wmgr_toolkit_hooks& wmgr_toolkit();
const wmgr_render_hooks& wmgr_render();

// Texts shown to the user pass through this (the translation lookup); identity until set.
typedef const char* (*wmgr_translate_fn)(const char* english);
void wmgr_set_translate_hook(wmgr_translate_fn fn);
const char* wmgr_translate(const char* english);
