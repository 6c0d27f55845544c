#include "core/ui/alert.h"
#include "core/thread/THREAD_kit.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {
void print_standard_alert(const std::string& text) { fprintf(stderr, "%s\n", text.c_str()); }

alert_gui_fn g_gui = nullptr;
alert_standard_fn g_standard = print_standard_alert;
alert_quit_fn g_quit = nullptr;
std::atomic<bool> g_showing{false};

std::string location_text(const char* file, int line)
{
	std::string f = file ? file : "";
	std::string::size_type slash = f.find_last_of('/');
	if (slash != std::string::npos)
		f.erase(0, slash + 1);
	return "(" + f + ":" + std::to_string(line) + ")";
}

void log_box(const std::string lines[4], const std::string& location)
{
	const std::string rule = "+" + std::string(79, '-');
	skyvane_log_write(log_error, "SYS", "%s", rule.c_str());
	for (int i = 0; i < 4; ++i)
		skyvane_log_write(log_error, "SYS", "| %s", lines[i].c_str());
	skyvane_log_write(log_error, "SYS", "| %s", location.c_str());
	skyvane_log_write(log_error, "SYS", "%s", rule.c_str());
	skyvane_log_flush();
}
}  // namespace

void alert_set_gui(alert_gui_fn fn) { g_gui = fn; }
void alert_set_standard(alert_standard_fn fn) { g_standard = fn ? fn : print_standard_alert; }
void alert_set_quit(alert_quit_fn fn) { g_quit = fn; }

void __RADAVI_alert(const std::string& line1, const std::string& line2, const std::string& line3,
                    const std::string& line4, RADAVI_alert_mode_t mode, const char* file, int line)
{
	if (THREAD_is_inited() && !THREAD_is_main_thread()) {
		exce_class e;
		e.msg1 = line1;
		e.msg2 = line2;
		e.msg3 = line3;
		e.msg4 = line4;
		e.file = file ? file : "";
		e.line = line;
		e.mode = mode;
		THREAD_send_exception(e);
		return;
	}

	const std::string lines[4] = {line1, line2, line3, line4};
	const std::string location = location_text(file, line);
	const bool fatal = mode == alert_mode_fatal || mode == alert_mode_fatal_loc;

	if (cmdline.no_alerts()) {
		log_box(lines, location);
		if (fatal)
			exit(1);
		return;
	}

	skyvane_log_flush();
	const bool reentered = g_showing.exchange(true);
	const bool any_text = !(line1.empty() && line2.empty() && line3.empty() && line4.empty());
	// The toolkit's alert returns false when it cannot show one; the platform's takes over.
	bool shown = false;
	if (!reentered && g_gui)
		shown = !any_text || g_gui(lines, mode, location);
	if (!shown)
		g_standard(line1 + "\n" + line2 + "\n" + line3 + "\n" + line4);
	if (!reentered)
		g_showing.store(false);

	if (mode != alert_mode_lang || reentered)
		log_box(lines, location);
	skyvane_log_flush();
	if (fatal || reentered) {
		if (g_quit)
			g_quit();
		exit(mode == alert_mode_fatal_loc || reentered ? 1 : 0);
	}
}
