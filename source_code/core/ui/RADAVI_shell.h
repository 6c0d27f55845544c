#pragma once
// The application shell's process-wide state and shutdown.

// Set by WIN_quit_app; the main loop ends when it is true.
extern bool sim_is_done;

// Shutdown: full = 1 writes the preference file (unless no_alerts) and stops the thread kit;
// then the upper layers' teardown runs and the log is written out and closed.
void RADAVI_finishup(int full);

// Upper layers (network, display) register their teardown; run in reverse order of registration.
typedef void (*RADAVI_teardown_fn)();
void RADAVI_add_teardown(RADAVI_teardown_fn fn);
