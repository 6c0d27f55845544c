#include "core/platform/WIN_clipboard.h"

#include <SDL2/SDL.h>

#include "core/ui/log.h"

void WIN_clipboard_put_text(const char* utf8_text)
{
	if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
	if (SDL_SetClipboardText(utf8_text ? utf8_text : "") != 0)
		skyvane_log_write(log_warn, "GUI", "Could not set the clipboard: %s", SDL_GetError());
}

void WIN_clipboard_get_text(void (*callback)(const char* utf8_text, void* ref), void* ref)
{
	if (!callback || !SDL_WasInit(SDL_INIT_VIDEO) || !SDL_HasClipboardText()) return;
	char* text = SDL_GetClipboardText();
	if (text && *text) callback(text, ref);
	SDL_free(text);
}
