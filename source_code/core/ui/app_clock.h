#pragma once
// The application clock: seconds since start, advanced once per frame. Tests set it.

struct app_clock_t {
	double real_time = 0.0;   // seconds since start as of this frame; main thread
	double frame_time = 0.0;  // duration of the last frame
};
extern app_clock_t xtim;

// xtim.real_time for code that may run on any thread (the log): a copy the clock stores each
// time it moves, so no thread reads the main thread's value while it is being written.
double app_clock_real_time_any_thread();

// Monotonic seconds since the process started, read now (not the frame clock).
double app_clock_now();
// Advance xtim from the monotonic clock; called once per frame by the main loop.
void app_clock_advance();
// Tests: replace the frame clock's value (frame_time becomes the step taken).
void app_clock_set(double seconds);
