#pragma once
// Platform-internal: SDL keyboard events to key triples.
#include <SDL2/SDL.h>

#include "core/platform/WIN_keys.h"

// The first UTF-16 code unit of the first character of a UTF-8 text, or 0.
int WIN_utf8_first_unit(const char* text);

// Flags of a key event from its modifiers: Shift, Option (Alt), Control or Command (Super).
int WIN_modifier_flags(Uint16 mod);

// True for keys that only change modifiers; they send no key events.
bool WIN_is_modifier_scancode(SDL_Scancode sc);

// A key-down (with the text SDL typed for it, or null) or key-up to the triple; false when
// nothing is to be sent.
bool WIN_key_event_to_triple(WIN_key_state& state, const SDL_KeyboardEvent& e, const char* typed_utf8, int* ch,
                             int* vkey, int* flags);
