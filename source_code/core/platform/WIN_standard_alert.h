#pragma once
// The system's own modal alert, for when the interface cannot show one.
#include <string>

// Shows the text with a single confirm button and returns when it is dismissed; without a
// display the text goes to standard error.
void WIN_standard_alert(const char* utf8_text);
void WIN_standard_alert_str(const std::string& text);
