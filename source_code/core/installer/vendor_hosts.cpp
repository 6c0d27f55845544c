#include "core/installer/vendor_hosts.h"

#include "core/ui/UTL_cmdline.h"
#include "core/ui/log.h"

#include <map>
#include <mutex>

namespace {

bool usable_value(const std::string& v)
{
	if (v.empty())
		return false;
	for (unsigned char c : v)
		if (c <= ' ' || c == 0x7F || c == '/')
			return false;
	return true;
}

// Each rejected value is logged once, not on every URL built from it.
std::string option_or(const char* option, const char* fallback)
{
	if (!cmdline.has_option(option))
		return fallback;
	std::string v = cmdline.get_option(option);
	if (usable_value(v))
		return v;
	static std::mutex lock;
	static std::map<std::string, std::string> warned;
	std::lock_guard<std::mutex> hold(lock);
	auto it = warned.find(option);
	if (it == warned.end() || it->second != v) {
		warned[option] = v;
		skyvane_log_write(log_warn, "NET", "Ignoring %s=\"%s\": not a single host or name; using %s", option,
		                  v.c_str(), fallback);
	}
	return fallback;
}

}  // namespace

std::string vendor_lookup_host() { return option_or("--lookup_host", "lookup.skyvane.example"); }
std::string vendor_site_name() { return option_or("--vendor_site", "www.skyvane.example"); }
std::string vendor_support_email() { return option_or("--support_email", "support@skyvane.example"); }
std::string vendor_analytics_host() { return option_or("--analytics_host", "analytics.skyvane.example"); }
std::string vendor_tracking_id() { return option_or("--analytics_id", "UA-00000000-1"); }

std::string vendor_lookup_url(const std::string& path) { return "http://" + vendor_lookup_host() + path; }
std::string vendor_server_list_url() { return vendor_lookup_url(VENDOR_SERVER_LIST_PATH); }
std::string vendor_page_url(const std::string& page) { return vendor_lookup_url(VENDOR_LOOKUP_DIR + page); }

std::string mirror_manifest_url(const UTL_server_info& server, const std::string& install_name)
{
	return "http://" + server.host + server.path + install_name + "/" INS_DIRECTORY_FILE ".zip";
}
