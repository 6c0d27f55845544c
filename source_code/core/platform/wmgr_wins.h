#pragma once
// The legacy window number: it picks the logical size of the main window's drawing area and
// where a smaller area sits, centred, inside the window.

float* wmgr_backing_scale_ptr();  // the window manager's backing scale factor

class wins_class {
public:
	float* backing_scale = wmgr_backing_scale_ptr();  // the window manager's backing scale factor
	int modal = 0;
	int number = -1;
	int win_width = 0, win_height = 0;  // the main window's size in points
	int offset_x = 0, offset_y = 0;     // where the logical area starts in the window
	int logical_width = 1024, logical_height = 768;
	float proj[4] = {0, 0, 0, 0};       // the main window's 2-D projection: left, bottom, right, top
	float scale_x = 1, scale_y = 1;

	void start_win(int number, int loop_state);
	void set_modal(int m) { modal = m; }
	// While the toolkit runs a modal alert frame, or for window numbers 991 to 1007.
	bool is_modal() const;
};
extern wins_class wins;

// Whether the shown legacy window may be closed by Return, Escape or its close box.
bool can_zap();
// Close the legacy window and go back to the normal interface.
void RADAVI_close_win();
// The modal alert draws from the window's corner.
void clear_win_xy();
// The default 2-D projection of the current window.
void OGL_pix_specs();
