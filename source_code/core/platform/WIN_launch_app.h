#pragma once
// Starting another application.

// Starts the executable at path with arguments (null-terminated list, or null) in a session
// of its own, without waiting for it. True when it was started; otherwise the system's
// description of the error goes to standard error.
bool WIN_launch_app(const char* path, const char* const* arguments);
