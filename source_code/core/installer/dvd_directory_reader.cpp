#include "core/installer/dvd_directory_reader.h"

#include "core/installer/ins_read_open.h"
#include "core/installer/ins_translate.h"
#include "core/installer/manifest_reader.h"
#include "core/installer/vendor_hosts.h"
#include "core/files/temp_folder.h"
#include "core/files/xmap_class.h"
#include "core/files/zip/zip_extract.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

#include <cerrno>

namespace {

std::string no_disc(const std::string&) { return std::string(); }

const int k_dvd_versions[] = {1000, 1100, 0};

// Reads the description into info; returns 0, 7, 8 or 10.
int read_dvd_version(const std::string& file, sim_info_struct& info)
{
	xmap_class m(file);
	// A missing description counts as a wrong header, as on the reference.
	if (int r = ins_read_check_open(m, "DVD description", file))
		return r == ins_read_cannot_open ? ins_read_bad_dvd : r;
	const int version = m.check_file(xmap_kind_text, k_dvd_versions, "DVD", nullptr);
	if (version == 0)
		return ins_read_bad_dvd;
	if (version == 1000)
		return ins_read_old_dvd;
	std::string line;
	while (!m.at_end()) {
		if (m.scan_keyword("VERSION", true)) {
			m.TXT_str_scan_eoln(&info.install_name);
		} else {
			m.TXT_str_scan_eoln(&line);
			if (!line.empty())
				info.dvd_info_lines.push_back(line);
		}
	}
	return ins_read_ok;
}

void alert_cannot_extract(err_code_t err, const std::string& zip_path, const std::string& dest)
{
	RADAVI_alert(ins_translate("Error during DVD scan: The installer cannot extract a file. Please report this to "
	                           "Skyvane techincal support at ") +
	                 vendor_support_email() + ins_translate(", and include the information below:"),
	             ins_substitute(ins_translate("Error: %1:message%."), "%1:message%", error_str(err)),
	             ins_substitute(ins_translate("Compressed File: %1:file%."), "%1:file%", zip_path),
	             ins_substitute(ins_translate("Destination Path: %1:file%."), "%1:file%", dest), alert_mode_fatal);
}

}  // namespace

dvd_locate_fn_t dvd_locate_fn = no_disc;
dvd_temp_path_fn_t dvd_temp_path_fn = temp_folder_path;
dvd_limit_lang_fn_t dvd_limit_lang_fn = nullptr;

int UTL_read_dvd_directory(sim_info_struct& info)
{
	if (info.dvd_root.empty() && dvd_locate_fn)
		info.dvd_root = dvd_locate_fn(INS_DVD_KEY_FILE);
	if (info.dvd_root.empty())
		return ins_read_no_dvd;
	if (!info.install_name.empty())
		return ins_read_not_read;

	const std::string version_file = info.dvd_root + INS_DVD_KEY_FILE;
	if (int r = read_dvd_version(version_file, info)) {
		skyvane_log_write(log_error, "INS", "DVD description %s not usable (result %d)", version_file.c_str(), r);
		return r;
	}
	if (dvd_limit_lang_fn)
		dvd_limit_lang_fn(version_file);
	if (info.install_name.empty())
		return ins_read_not_read;

	const std::string zip_path = info.dvd_root + info.install_name + "/" INS_DIRECTORY_FILE ".zip";
	const std::string temp = dvd_temp_path_fn ? dvd_temp_path_fn() : std::string();
	// Without a temporary folder the archive would land in the working folder.
	const err_code_t err = temp.empty() ? err_from_errno(ENOENT) : zip_to_file(zip_path, temp, nullptr, 0, ins_read_max_bytes);
	if (err) {
		skyvane_log_write(log_error, "INS", "Cannot extract %s into %s: %s", zip_path.c_str(), temp.c_str(),
		                  error_str(err).c_str());
		alert_cannot_extract(err, zip_path, temp);
		return ins_read_cannot_open;
	}
	return UTL_read_directory(temp + INS_DIRECTORY_FILE, info, ins_src_dvd);
}
