#include "app/Installer-f/shell/RADAVI_init.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/Installer-f/shell/system_info.h"
#include "core/files/paths.h"
#include "core/files/xmap_class.h"
#include "core/sockets/UTL_http.h"
#include "core/thread/THREAD_kit.h"
#include "core/thread/UTL_stat.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/alert.h"
#include "core/ui/lang_setting.h"
#include "core/ui/log.h"
#include "core/ui/log_header.h"
#include "core/ui/system_facts.h"
#include "core/ui/translate.h"

system_info_record system_info;

namespace {
RADAVI_display_hooks g_display;
bool g_window_open = false;
int g_loading_counter = 0;

void strip_all(std::string& s, const std::string& what)
{
	for (std::string::size_type p; (p = s.find(what)) != std::string::npos;)
		s.erase(p, what.size());
}

void network_teardown() { UTL_http_shutdown(); }
}  // namespace

void RADAVI_set_display_hooks(const RADAVI_display_hooks& hooks) { g_display = hooks; }

bool RADAVI_is_unattended() { return cmdline.has_option("--unattended"); }

int RADAVI_memory_class(int ram_mb)
{
	static const int classes[] = {1, 2, 3, 4, 6, 8, 16, 32, 64, 128};
	for (int c : classes)
		if (ram_mb <= c * 1024)
			return c;
	return 128;
}

std::string RADAVI_processor_text(const std::string& brand_in, int cpu_mhz, int cores)
{
	std::string brand = brand_in;
	std::string::size_type at = brand.find('@');
	// The brand ends before the blank that precedes "@ 2.60GHz".
	if (at != std::string::npos)
		brand = brand.substr(0, at == 0 ? 0 : at - 1);
	strip_all(brand, "(R)");
	strip_all(brand, "(TM)");
	int low = cpu_mhz / 400 * 400;
	char speed[64];
	std::snprintf(speed, sizeof speed, "%0.1f-%0.1f", low / 1000.0, (low + 400) / 1000.0);
	char out[512];
	std::snprintf(out, sizeof out, "%s - Speed: %s GHz - Cores: %d", brand.c_str(), speed, cores);
	return out;
}

float RADAVI_init_fraction(int counter) { return std::clamp(counter / 18.0f, 0.02f, 0.9f); }

void RADAVI_show_init(const char* text, float fraction)
{
	++g_loading_counter;
	if (!g_window_open || !g_display.show_init)
		return;
	g_display.show_init(UTL_translate_string(text).c_str(),
	                    fraction < 0 ? RADAVI_init_fraction(g_loading_counter) : fraction);
}

void RADAVI_init(int argc, const char* const* argv)
{
	cmdline.init_unix(argc, argv);
	const bool unattended = RADAVI_is_unattended();

	// The Installer runs with an empty application folder; the folder is only looked up.
	std::string app_folder;
	get_OS_abs_path(os_dir_this_app, app_folder);

	skyvane_log_start();

	// Mount notices are polled by the main loop (RADAVI_pre_event_proc).

	long page = sysconf(_SC_PAGESIZE);
	system_info.page_size = page > 0 ? static_cast<int>(page) : 4096;
	xmap_class::set_granularity(system_info.page_size);

	std::string log_path;
	if (cmdline.has_option("--log_path"))
		log_path = cmdline.get_option("--log_path");
	else {
		get_OS_abs_path(os_dir_desktop, log_path);
		log_path += "Skyvane Installer Log.txt";
	}
	skyvane_log_open(log_path);  // a log that cannot be opened is silently lost

	system_facts facts = system_facts_read();
	system_info.memory_class = RADAVI_memory_class(facts.ram_mb);
	system_info.is_64bit = 1;
	system_info.case_sensitive = UTL_volume_is_case_sensitive(app_folder);
	system_info.processor = RADAVI_processor_text(facts.cpu_brand, facts.cpu_mhz, facts.cpu_count);
	system_info.system_version = UTL_http_platform_tag_for(facts.os_pretty_name);
	skyvane_log_write_header(app_folder);

	THREAD_init();

	if (!unattended && g_display.set_display)
		g_display.set_display();
	THREAD_make_workers();

	if (!unattended && g_display.open_main_window) {
		g_display.open_main_window();
		g_window_open = true;
	}

	system_info.lang_index = UTL_get_lang_index();

	UTL_http_init();
	if (!UTL_http_is_inited())
		RADAVI_alert("Skyvane could not initialize network services, probably because you are not connected to any network",
		             "You can still fly, but you will not be able to use multiplayer or other network features.", "", "",
		             alert_mode_warning);
	else
		RADAVI_add_teardown(network_teardown);

	RADAVI_show_init("Will initialize plugins.");
	UTL_stat::init_stats();
	UTL_translate_setup_for_lang();
	RADAVI_show_init("Starting application.");
}
