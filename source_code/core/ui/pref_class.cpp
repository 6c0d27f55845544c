#include "core/ui/pref_class.h"

#include "core/files/paths.h"
#include "core/ui/lang_setting.h"
#include "core/ui/proxy_setting.h"
#include "core/ui/scan_class.h"
#include "core/ui/stg.h"

namespace {
std::string s_path_override;
}  // namespace

std::string pref_file_path()
{
	if (!s_path_override.empty())
		return s_path_override;
	std::string folder;
	get_OS_abs_path(os_dir_prefs, folder);
	return folder + "Skyvane Installer.prf";
}

void pref_set_file_path(const std::string& path) { s_path_override = path; }

void pref_class::IO_set(pref_type_t type, int write, bool, bool)
{
	if (type != pref_type_installer)
		return;
	scan_class s(pref_file_path(), write ? scan_class::mode_write : scan_class::mode_read, false);

	int lang = UTL_get_lang_index();
	s.int_io(&lang, "_lang");
	if (!write && lang != UTL_get_lang_index()) {
		UTL_set_lang_index(lang);
		UTL_translate_setup_for_lang();
	}

	s.int_io(&stg.get_beta, "_get_beta");

	std::string proxy;
	UTL_get_proxy_host(proxy);
	std::string unused;
	if (write) {
		if (!proxy.empty())
			s.fetch_or_get(proxy, unused, "_proxy_host");
	} else {
		s.fetch_or_get("", proxy, "_proxy_host");
	}
	UTL_set_proxy_host(proxy);
}
