#pragma once
// The shell's record of this loop turn's input, written by the window handlers and the key
// router, read by the shell, the steps and the help tips.

struct mnw_record {
	// The mouse point in logical units (y up), truncated, and the same point scaled to the
	// window's points, less the legacy window offset for the main window.
	float x = 0, y = 0;
	float x_scaled = 0, y_scaled = 0;
	double last_activity = 0;  // the clock update keeps it
	int left_held = 0;
	// Buttons 0 left, 1 right, 2 other that went down / up this turn unconsumed by the toolkit.
	int down_this_turn[3] = {0, 0, 0};
	int up_this_turn[3] = {0, 0, 0};
	int wheel_clicks = 0;  // this turn's unconsumed wheel clicks
	int key_went_down = 0;  // this turn
	int key_held = 0;
	int return_pressed = 0, delete_pressed = 0, escape_pressed = 0;  // this turn
	int cursor = 0;  // mouse_cursor_type
};
extern mnw_record mnw;

// The start of a loop turn: clears what holds for one turn only.
void mnw_new_turn();
