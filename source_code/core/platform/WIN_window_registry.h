#pragma once
// Platform-internal: the live windows, for event dispatch.
#include <vector>

struct WIN_ogl_window;

const std::vector<WIN_ogl_window*>& WIN_all_windows();
// Re-reads the decoration sizes once the window manager has framed the window.
void WIN_note_window_chrome(WIN_ogl_window* window);
