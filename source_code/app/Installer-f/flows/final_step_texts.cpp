#include "app/Installer-f/flows/final_step_texts.h"

#include "core/ui/translate.h"

std::string final_step_technical_text(const std::string& error_text)
{
	return UTL_string_sub(UTL_translate_string("(The technical problem was: %1:cryptic error message%.)"), error_text);
}
