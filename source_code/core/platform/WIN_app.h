#pragma once
// The application event loop, the application delegate and quitting.

// Filled by the shell; every callback receives the reference first.
struct skyvane_app_delegate {
	void* ref = nullptr;
	void (*got_new_dvd)(void* ref) = nullptr;  // a storage volume was mounted
	void (*got_new_joy)(void* ref) = nullptr;  // a human-interface device came or went
	void (*log_func)(void* ref, const char* format, ...) __attribute__((format(printf, 2, 3))) = nullptr;
};

// The first call installs the application hooks (volume-mounted and device notifications,
// the platform's standard alert and quit for the alert module); every call makes this the
// record those hooks call. null detaches the hooks from any record.
void WIN_set_app_deleate(skyvane_app_delegate* delegate);
skyvane_app_delegate* WIN_get_app_delegate();

// The delegate the display set-up installs: a mount raises g_new_disc_flag, a device change
// g_new_joy_flag, and log_func writes straight to the log stream and flushes it.
skyvane_app_delegate* WIN_default_app_delegate();
extern int g_new_disc_flag;  // read and cleared by the steps that wait for a disc
extern int g_new_joy_flag;   // raised only; nothing reads it

typedef int (*WIN_loop_fn)();

// One turn: pre, at most one event taken without waiting and dispatched, post. Returns
// post's result (0 without post).
int WIN_event_loop_once(WIN_loop_fn pre, WIN_loop_fn post);
// Turns until sim_is_done is set (tested before each turn); returns it.
int WIN_run_app(WIN_loop_fn pre, WIN_loop_fn post);
// Sets sim_is_done; the current turn runs to its end.
void WIN_quit_app();
