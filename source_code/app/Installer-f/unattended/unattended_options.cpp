#include "app/Installer-f/unattended/unattended_options.h"

#include <cerrno>
#include <cstdlib>

#include "core/ui/UTL_cmdline.h"

namespace {
bool parse_int(const std::string& text, long lo, long hi, long& out)
{
	if (text.empty())
		return false;
	char* end = nullptr;
	errno = 0;
	long v = std::strtol(text.c_str(), &end, 10);
	if (errno || *end || v < lo || v > hi)
		return false;
	out = v;
	return true;
}

bool parse_regions(const std::string& text, std::vector<int>& out)
{
	out.clear();
	std::string::size_type start = 0;
	while (true) {
		std::string::size_type comma = text.find(',', start);
		long r;
		if (!parse_int(text.substr(start, comma - start), 0, 20, r))
			return false;
		out.push_back(static_cast<int>(r));
		if (comma == std::string::npos)
			return true;
		start = comma + 1;
	}
}
}  // namespace

bool unattended_read_options(unattended_options& out, std::string& problem)
{
	out = unattended_options();
	if (cmdline.has_option("--choice")) {
		long v;
		if (!parse_int(cmdline.get_option("--choice"), 0, 1000, v)) {
			problem = "--choice needs a row number from 0";
			return false;
		}
		out.choice = static_cast<int>(v);
	}
	out.accept_eula = cmdline.has_option("--accept_eula");
	out.dest_parent = cmdline.get_option("--dest_parent");
	if (!out.dest_parent.empty() && out.dest_parent.back() != '/')
		out.dest_parent += '/';
	out.dest_name = cmdline.get_option("--dest_name");
	if (out.dest_name.find('/') != std::string::npos) {
		problem = "--dest_name is a folder name, without \"/\"";
		return false;
	}
	if (cmdline.has_option("--regions")) {
		out.regions = cmdline.get_option("--regions");
		if (out.regions != "default" && out.regions != "all" && out.regions != "none" &&
		    !parse_regions(out.regions, out.region_list)) {
			problem = "--regions takes default, all, none or region numbers 0 to 20 separated by commas";
			return false;
		}
	}
	if (cmdline.has_option("--on_modified")) {
		std::string v = cmdline.get_option("--on_modified");
		if (v == "keep")
			out.on_modified = 1;
		else if (v == "replace")
			out.on_modified = 0;
		else if (v == "cancel")
			out.on_modified = 4;
		else {
			problem = "--on_modified takes keep, replace or cancel";
			return false;
		}
	}
	if (cmdline.has_option("--on_error")) {
		std::string v = cmdline.get_option("--on_error");
		if (v != "continue" && v != "stop") {
			problem = "--on_error takes continue or stop";
			return false;
		}
		out.on_error_continue = v == "continue";
	}
	out.launch = cmdline.has_option("--launch");
	out.send_analytics = cmdline.has_option("--send_analytics");
	if (cmdline.has_option("--disc_wait")) {
		long v;
		if (!parse_int(cmdline.get_option("--disc_wait"), 0, 86400 * 7, v)) {
			problem = "--disc_wait needs whole seconds";
			return false;
		}
		out.disc_wait = static_cast<double>(v);
	}
	return true;
}
