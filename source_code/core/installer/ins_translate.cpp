#include "core/installer/ins_translate.h"

#include "core/files/str_helpers.h"

ins_translate_fn_t ins_translate_fn = nullptr;

std::string ins_translate(const std::string& english) { return ins_translate_fn ? ins_translate_fn(english) : english; }

std::string ins_substitute(std::string text, const std::string& placeholder, const std::string& value)
{
	str_replace_all(text, placeholder, value);
	return text;
}
