#pragma once
// What a caller does when the server list or the manifest is newer than this installer:
// tell the user, open the download page for a newer installer, quit.
#include <string>

void new_format(int is_demo);

// Seams: opening a page belongs to the platform layer (default: only logged); quitting
// defaults to ending the main loop.
typedef void (*new_format_open_url_fn_t)(const std::string& url);
typedef void (*new_format_quit_fn_t)();
extern new_format_open_url_fn_t new_format_open_url_fn;
extern new_format_quit_fn_t new_format_quit_fn;
