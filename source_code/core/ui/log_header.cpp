#include "core/ui/log_header.h"

#include "core/ui/log.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string swap_case(const std::string& s)
{
	std::string r = s;
	for (char& c : r) {
		unsigned char u = static_cast<unsigned char>(c);
		c = std::isupper(u) ? static_cast<char>(std::tolower(u)) : static_cast<char>(std::toupper(u));
	}
	return r;
}

bool same_file(const std::string& a, const std::string& b)
{
	struct stat sa, sb;
	return lstat(a.c_str(), &sa) == 0 && lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
	       sa.st_ino == sb.st_ino;
}

const std::string dashes(67, '-');

}  // namespace

std::string log_header_build_stamp() { return __DATE__ " " __TIME__; }

int UTL_volume_is_case_sensitive(const std::string& folder)
{
	std::string dir = folder.empty() ? std::string("./") : folder;
	if (dir.back() != '/')
		dir += '/';

	std::string probe = dir + "CaseProbe.XXXXXX";
	int fd = mkstemp(probe.data());
	if (fd >= 0) {
		close(fd);
		std::string leaf = probe.substr(dir.size());
		int sensitive = same_file(probe, dir + swap_case(leaf)) ? 0 : 1;
		unlink(probe.c_str());
		return sensitive;
	}

	// Read-only folder: its own name, if it has letters, tells as much.
	std::string path = folder;
	while (path.size() > 1 && path.back() == '/')
		path.pop_back();
	std::string swapped = swap_case(path);
	if (swapped != path && access(path.c_str(), F_OK) == 0)
		return same_file(path, swapped) ? 0 : 1;
	return 1;
}

void skyvane_log_write_header(std::ostream& out, const log_header_info& info)
{
	struct tm local = {};
	char when[64] = "";
	time_t t = info.started;
	if (!localtime_r(&t, &local) || !asctime_r(&local, when))
		when[0] = 0;
	if (!when[0])
		std::snprintf(when, sizeof(when), "(unknown)\n");

	const system_facts& f = info.facts;
	out << "Installer log.txt for " << info.product << " compiled on " << info.build_stamp << "\n";
	out << "Installer " << "started on " << when << "\n";
	out << "This log file is generated automatically by Brightfold applications and contains diagnostics "
	       "about your graphics hardware, installation, and any error conditions.\n";
	out << "If you need to contact tech support or file a bug, please send us this file. NOTE: this file "
	       "is rewritten every time you start ANY of your Skysuite applications.\n\n";
	out << "Linux: " << f.os_pretty_name << "\n";
	out << "CPU type: " << (f.cpu_brand.empty() ? std::string("(unknown)") : f.cpu_brand) << " "
	    << "CPU speed (mhz): " << f.cpu_mhz << " "
	    << "Bus speed (mhz): " << f.bus_mhz << " "
	    << "RAM (MB): " << f.ram_mb << "\n";
	out << "\nSkysuite folder:'" << info.app_folder << "', case sensitive=" << (info.case_sensitive ? 1 : 0)
	    << "\n\n";
	out.flush();

	if (!info.options.empty()) {
		out << dashes << "\n";
		out << "Application was launched with the following command line options...\n";
		for (const auto& [key, value] : info.options) {
			out << "\t'" << key;
			if (!value.empty())
				out << "'='" << value;
			out << "'\n";
		}
		out << dashes << "\n\n";
		out.flush();
	}
}

void skyvane_log_write_header(const std::string& app_folder)
{
	log_header_info info;
	info.build_stamp = log_header_build_stamp();
	info.started = time(nullptr);
	info.facts = system_facts_read();
	info.app_folder = app_folder;
	info.case_sensitive = UTL_volume_is_case_sensitive(app_folder);
	cmdline.get_options(info.options);
	skyvane_log_write_header(xer, info);
}
