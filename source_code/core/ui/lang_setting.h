#pragma once
// The interface language index (0 is English) and the
// hook through which the translation module applies it.

int UTL_get_lang_index();
void UTL_set_lang_index(int index);

// Applies the current language index: the translation module installs the routine that loads
// or clears its tables. Without one installed this does nothing (English texts stay).
void UTL_translate_setup_for_lang();

typedef void (*UTL_translate_setup_fn)();
void UTL_set_translate_setup_hook(UTL_translate_setup_fn fn);
