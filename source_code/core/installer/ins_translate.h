#pragma once
// The translation lookup as seen from the install engine. Translations live in a layer that is
// set up after this one, so the lookup is a seam: the shell points it at UTL_translate_string;
// until then texts stay in English.
#include <string>

typedef std::string (*ins_translate_fn_t)(const std::string& english);
extern ins_translate_fn_t ins_translate_fn;

std::string ins_translate(const std::string& english);

// "%1:message%"-style placeholder replaced by value (every occurrence).
std::string ins_substitute(std::string text, const std::string& placeholder, const std::string& value);
