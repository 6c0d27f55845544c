#include "core/platform/WIN_standard_alert.h"

#include <SDL2/SDL.h>

#include <cstdio>

void WIN_standard_alert(const char* utf8_text)
{
	const char* text = utf8_text ? utf8_text : "";
	if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "Skyvane Installer", text, nullptr) == 0) return;
	fprintf(stderr, "%s\n", text);
	fflush(stderr);
}

void WIN_standard_alert_str(const std::string& text) { WIN_standard_alert(text.c_str()); }
