#include "core/installer/manifest_reader.h"

#include "core/installer/ins_read_open.h"
#include "core/installer/vendor_hosts.h"
#include "core/files/xmap_class.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

#include <cmath>

namespace {

const int k_manifest_versions[] = {1100, 0};

// The tile grid of 10-degree blocks that scenery boxes index.
constexpr int k_grid_lon = 36, k_grid_lat = 18;

bool size_is_sound(float kb) { return std::isfinite(kb) && kb >= 0.0f; }

bool box_is_on_grid(const file_version_struct& v)
{
	auto in = [](int i, int n) { return i >= 0 && i < n; };
	return in(v.tile_lon_min, k_grid_lon) && in(v.tile_lon_max, k_grid_lon) && in(v.tile_lat_min, k_grid_lat) &&
	       in(v.tile_lat_max, k_grid_lat);
}

void alert_folder_path(const std::string& path)
{
	RADAVI_alert("While reading the directory text file, Skyvane found a path that has no file.",
	             "This cannot be used in the installer.",
	             "Please report this to Skyvane customer support at " + vendor_support_email() +
	                 ", and include the path below:",
	             path, alert_mode_fatal);
}

// One FILE line after its keyword. Returns 0 or the failing result (already logged).
int read_file_line(xmap_class& m, const std::string& prefix, int disk, file_version_struct& v)
{
	const int flags = m.scan_int();
	v.os = flags & 3;
	v.package_bits = flags & 0x30;
	v.is_scenery = (flags >> 3) & 1;
	v.compression = flags & 0xC0;
	v.aux_value = m.scan_int();
	v.tile_lon_min = m.scan_int();
	v.tile_lat_min = m.scan_int();
	v.tile_lon_max = m.scan_int();
	v.tile_lat_max = m.scan_int();
	const float download = m.scan_real();
	const float installed = m.scan_real();
	m.TXT_str_scan_space(&v.sig_want);
	std::string rest;
	m.TXT_str_scan_eoln(&rest);
	v.path = prefix + rest;
	v.disk = disk;

	if (!manifest_path_is_safe(v.path)) {
		skyvane_log_write(log_error, "INS", "Manifest path refused (absolute, empty, '.', '..', NUL, '\\' or ':'): \"%s\"",
		                  v.path.c_str());
		return ins_read_bad_path;
	}
	if (v.path.back() == '/') {
		alert_folder_path(v.path);  // fatal: the application ends here
		return ins_read_bad_path;
	}
	if (!size_is_sound(download) || !size_is_sound(installed)) {
		skyvane_log_write(log_error, "INS", "Manifest size refused (negative or not finite) for \"%s\"", v.path.c_str());
		return ins_read_bad_value;
	}
	if (v.is_scenery && !box_is_on_grid(v)) {
		skyvane_log_write(log_error, "INS", "Manifest scenery box %d,%d..%d,%d is off the grid for \"%s\"",
		                  v.tile_lon_min, v.tile_lat_min, v.tile_lon_max, v.tile_lat_max, v.path.c_str());
		return ins_read_bad_value;
	}
	v.download_kb = download;
	v.disk_kb = manifest_disk_kb(installed);
	return ins_read_ok;
}

}  // namespace

bool manifest_path_is_safe(const std::string& path)
{
	if (path.empty() || path[0] == '/')
		return false;
	for (char c : path)
		if (c == '\0' || c == '\\' || c == ':')
			return false;
	// Components between "/"; a single trailing "/" ends the last one.
	size_t start = 0;
	while (start < path.size()) {
		size_t slash = path.find('/', start);
		size_t end = slash == std::string::npos ? path.size() : slash;
		const std::string part = path.substr(start, end - start);
		if (part.empty() || part == "." || part == "..")
			return false;
		if (slash == std::string::npos)
			break;
		start = slash + 1;
	}
	return true;
}

double manifest_disk_kb(float installed_kb)
{
	// The reference counts bytes as kilobytes times 1024, in single precision.
	const float bytes = std::ceil(installed_kb * 1024.0f);
	const double k = std::round(static_cast<double>(bytes));
	return std::ceil(k / 4096.0) * 4.0;
}

int UTL_read_directory(const std::string& path, sim_info_struct& info, ins_data_src src)
{
	info.files.clear();
	info.version = 0;
	info.source = src;

	xmap_class m(path);
	if (int r = ins_read_check_open(m, "manifest", path))
		return r;
	const int version = m.check_file(xmap_kind_text, k_manifest_versions, "INSTALLER", nullptr);
	if (!version) {
		skyvane_log_write(log_error, "INS", "The manifest %s has a header this installer does not know", path.c_str());
		return ins_read_new_format;
	}

	int disk = src == ins_src_dvd ? 0 : -1;
	std::string prefix;
	while (!m.at_end()) {
		if (m.scan_keyword("DIR")) {
			m.TXT_str_scan_eoln(&prefix);
		} else if (m.scan_keyword("DISK")) {
			const int n = m.scan_int();
			if (src == ins_src_dvd)
				disk = n;
			m.skip_line();
		} else if (m.scan_keyword("FILE")) {
			file_version_struct v;
			if (int r = read_file_line(m, prefix, disk, v)) {
				info.files.clear();
				return r;
			}
			// Only consecutive lines of one path share a history.
			if (info.files.empty() || info.files.back().cur().path != v.path)
				info.files.emplace_back();
			info.files.back().versions.push_back(std::move(v));
		} else {
			m.skip_line();
		}
	}
	info.version = version;
	return ins_read_ok;
}
