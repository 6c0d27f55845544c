#pragma once
// The main loop's turn and the interface frame: frame clock, pacing to about 30 frames a
// second, the interface work and the main-thread run loop within its budget.

// The milliseconds to sleep after a frame that took last_frame seconds (0.033 - last) x 1000
// truncated when the frame took less than 0.03 s, else 0.
int APP_frame_sleep_ms(double last_frame);

// The interface work of one frame (widgets and drawing with a window, the wizard driver
// without one). Null runs nothing.
typedef void (*APP_frame_fn)();
void APP_set_frame_work(APP_frame_fn fn);
// Sleeps instead of calling the real sleep when set (tests).
typedef void (*APP_sleep_fn)(int ms);
void APP_set_sleep(APP_sleep_fn fn);

// One interface frame: pacing, then the frame work.
void APP_update();

// The two halves of a loop turn, and one whole turn without a window.
int RADAVI_pre_event_proc();
int RADAVI_post_event_proc();
void RADAVI_event_proc_once();

// Turns until sim_is_done. Without a window no events are taken; with one the window layer
// passes the two halves to its event loop.
void RADAVI_run_loop_without_window();

// A modal alert holds the loop: the interface frame is skipped while it is up.
void RADAVI_set_modal_alert_up(bool up);
