#include "core/installer/server_list_reader.h"

#include "core/installer/ins_read_open.h"
#include "core/files/xmap_class.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/log.h"

#include <cstdlib>

namespace {

const int k_server_list_versions[] = {1100, 0};

void read_entries(xmap_class& m, UTL_server_info_list& list)
{
	while (!m.at_end()) {
		if (m.scan_keyword("BETA"))
			m.TXT_str_scan_eoln(&list.beta_name);
		else if (m.scan_keyword("FINAL"))
			m.TXT_str_scan_eoln(&list.final_name);
		else if (m.scan_keyword("FULL"))
			m.TXT_str_scan_eoln(&list.full_name);
		else if (m.scan_keyword("BETA_INSTALLER_MAC")) {
			m.TXT_str_scan_space(&list.beta_installer_word);
			m.TXT_str_scan_eoln(&list.beta_installer_rest);
		} else if (m.scan_keyword("FINAL_INSTALLER_MAC")) {
			m.TXT_str_scan_space(&list.final_installer_word);
			m.TXT_str_scan_eoln(&list.final_installer_rest);
		} else if (m.scan_keyword("BETA_VERSION")) {
			list.beta_version = m.scan_int();
			m.skip_line();
		} else if (m.scan_keyword("FINAL_VERSION")) {
			list.final_version = m.scan_int();
			m.skip_line();
		} else if (m.scan_keyword("ENDOFLIST", true)) {
			return;
		} else if (m.scan_keyword("SERVER", true)) {
			UTL_server_info s;
			m.TXT_str_scan_eoln(&s.host);
			m.TXT_str_scan_eoln(&s.path);
			m.TXT_str_scan_eoln(&s.name);
			list.servers.push_back(std::move(s));
		} else {
			m.skip_line();
		}
	}
}

}  // namespace

bool server_list_split_mirror(const std::string& value, UTL_server_info& out)
{
	const size_t slash = value.find('/');
	if (slash == std::string::npos || slash == 0)
		return false;
	out.host = value.substr(0, slash);
	out.path = value.substr(slash);
	out.name = value;
	return true;
}

void server_list_apply_overrides(UTL_server_info_list& list)
{
	if (cmdline.has_option("--install_name")) {
		const std::string v = cmdline.get_option("--install_name");
		if (v.empty()) {
			skyvane_log_write(log_warn, "NET", "Ignoring --install_name without a value");
		} else {
			list.final_name = list.beta_name = list.full_name = v;
			skyvane_log_write(log_info, "NET", "Install name set to \"%s\" from the command line", v.c_str());
		}
	}
	auto mirror_option = [](const char* option, UTL_server_info& out) {
		if (!cmdline.has_option(option))
			return false;
		const std::string v = cmdline.get_option(option);
		if (server_list_split_mirror(v, out))
			return true;
		skyvane_log_write(log_warn, "NET", "Ignoring %s=\"%s\": expected a host, then a path starting with \"/\"",
		                  option, v.c_str());
		return false;
	};
	UTL_server_info s;
	if (mirror_option("--server", s)) {
		list.servers.assign(1, s);
		skyvane_log_write(log_info, "NET", "Mirror server list replaced by %s from the command line", s.name.c_str());
	}
	if (mirror_option("--add_server", s)) {
		list.servers.push_back(s);
		skyvane_log_write(log_info, "NET", "Mirror server %s added from the command line", s.name.c_str());
	}
	if (cmdline.has_option("--server_clone") && !list.servers.empty()) {
		int n = std::atoi(cmdline.get_option("--server_clone").c_str());
		if (n > server_list_max_clones) {
			skyvane_log_write(log_warn, "NET", "--server_clone=%d cut to %d copies", n, server_list_max_clones);
			n = server_list_max_clones;
		}
		if (n > 0) {
			const UTL_server_info first = list.servers.front();
			list.servers.insert(list.servers.end(), static_cast<size_t>(n), first);
		}
	}
}

int UTL_read_server_list(const std::string& path, UTL_server_info_list& list)
{
	list.clear();
	xmap_class m(path);
	if (int r = ins_read_check_open(m, "server list", path))
		return r;
	const int version = m.check_file(xmap_kind_text, k_server_list_versions, "SERVERS", nullptr);
	if (!version) {
		skyvane_log_write(log_error, "NET", "The server list %s has a header this installer does not know", path.c_str());
		return ins_read_new_format;
	}
	read_entries(m, list);
	list.version = version;
	server_list_apply_overrides(list);
	return ins_read_ok;
}
