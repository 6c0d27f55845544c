#pragma once
// Texts that every wizard's final step shows the same way after a failure.
#include <string>

// "(The technical problem was: ...)" with the wizard's error text, translated.
std::string final_step_technical_text(const std::string& error_text);
