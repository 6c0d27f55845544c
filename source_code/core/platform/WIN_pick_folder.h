#pragma once
// A modal chooser for one folder, run as a child process: zenity, else kdialog.

// Returns a malloc'ed local path (the caller frees it), or null when the user cancels, the
// answer is not an existing local folder, or no chooser is installed. initial_folder, when
// given, is a "file://" URL (or an absolute path) of the folder shown first. The desktop
// choosers have no place for message and prompt; they are kept for the callers' sake.
char* WIN_pick_folder(const char* title, const char* message, const char* prompt, const char* initial_folder);
