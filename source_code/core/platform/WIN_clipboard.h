#pragma once
// The text clipboard (UTF-8).

void WIN_clipboard_put_text(const char* utf8_text);
// Calls the callback once, before returning, when the clipboard holds text; otherwise not at all.
void WIN_clipboard_get_text(void (*callback)(const char* utf8_text, void* ref), void* ref);
