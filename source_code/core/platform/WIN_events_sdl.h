#pragma once
// Platform-internal: handing SDL events to window delegates.
#include <SDL2/SDL.h>

// Dispatches one event taken from the queue (may take the text event that follows a key-down).
void WIN_dispatch_event(SDL_Event& ev);
// A key event with the text typed for it (or null) to the delegate of its window.
void WIN_deliver_key_event(const SDL_KeyboardEvent& e, const char* typed_utf8);
// Text that arrived without a key-down: a press and release of no key with that character.
void WIN_deliver_text_event(const SDL_TextInputEvent& e);
