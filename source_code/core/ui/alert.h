#pragma once
// The system-wide way to tell the user of a warning or a fatal error.
#include <string>

enum RADAVI_alert_mode_t {
	alert_mode_lang = 0,     // the language choice
	alert_mode_warning = 1,  // continue after the user has read it
	alert_mode_fatal = 2,    // quit cleanly
	alert_mode_fatal_loc = 3 // fatal with location, exit status 1
};

// An alert raised off the main thread, carried to it.
struct exce_class {
	std::string msg1, msg2, msg3, msg4;
	std::string file;
	int line = 0;
	int mode = 0;
};

void __RADAVI_alert(const std::string& line1, const std::string& line2, const std::string& line3,
                    const std::string& line4, RADAVI_alert_mode_t mode, const char* file, int line);

#define RADAVI_alert(l1, l2, l3, l4, mode) __RADAVI_alert((l1), (l2), (l3), (l4), (mode), __FILE__, __LINE__)

// Seams filled by the layers above: the modal alert of the toolkit (returns false when it cannot
// show one, so the platform alert is used), the platform's standard alert, and quitting.
typedef bool (*alert_gui_fn)(const std::string lines[4], RADAVI_alert_mode_t mode, const std::string& location);
typedef void (*alert_standard_fn)(const std::string& text);
typedef void (*alert_quit_fn)();
void alert_set_gui(alert_gui_fn fn);
void alert_set_standard(alert_standard_fn fn);
void alert_set_quit(alert_quit_fn fn);
