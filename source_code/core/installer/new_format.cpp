#include "core/installer/new_format.h"

#include "core/installer/ins_translate.h"
#include "core/installer/vendor_hosts.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

namespace {

void log_only(const std::string& url)
{
	skyvane_log_write(log_warn, "SYS", "No browser to open %s", url.c_str());
}

void end_main_loop() { sim_is_done = true; }

}  // namespace

new_format_open_url_fn_t new_format_open_url_fn = log_only;
new_format_quit_fn_t new_format_quit_fn = end_main_loop;

void new_format(int is_demo)
{
	const char* title = is_demo ? "This demo installer is too old; a newer one is available for download from "
	                            : "This installer is too old; a newer one is available for download from ";
	RADAVI_alert(ins_translate(title) + vendor_site_name() + ".", "",
	             ins_translate("Click the button below to get the newest installer."),
	             ins_translate("[ Download Now ]"), alert_mode_warning);
	const std::string url = vendor_page_url(VENDOR_PAGE_NEW_INSTALLER);
	skyvane_log_write(log_info, "SYS", "Installer too old for the file format; opening %s", url.c_str());
	if (new_format_open_url_fn)
		new_format_open_url_fn(url);
	if (new_format_quit_fn)
		new_format_quit_fn();
}
