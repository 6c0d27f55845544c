#include "core/ui/lang_setting.h"

namespace {
int s_lang_index = 0;
UTL_translate_setup_fn s_setup_hook = nullptr;
}  // namespace

int UTL_get_lang_index() { return s_lang_index; }
void UTL_set_lang_index(int index) { s_lang_index = index; }

void UTL_translate_setup_for_lang()
{
	if (s_setup_hook)
		s_setup_hook();
}

void UTL_set_translate_setup_hook(UTL_translate_setup_fn fn) { s_setup_hook = fn; }
