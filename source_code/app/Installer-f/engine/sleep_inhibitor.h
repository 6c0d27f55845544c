#pragma once
// Keeps the computer from idle sleep while downloads run. Every download reader holds one
// reference; the first reference takes a systemd-logind "idle:sleep" inhibitor lock over the
// system bus, the last one lets it go. Best effort: without a bus or logind the install goes
// on, and the failure is logged once per process.

// Who the lock is for, as logind lists it.
#define SLEEP_INHIBITOR_WHO "Skyvane 11 Installer"

void sleep_inhibitor_acquire();
void sleep_inhibitor_release();

int sleep_inhibitor_holders();   // live references
bool sleep_inhibitor_is_held();  // whether the last attempt got a lock that is still held

// Tests: the next failure is logged again.
void sleep_inhibitor_forget_logged_failure();
