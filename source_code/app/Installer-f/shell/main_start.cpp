#include "app/Installer-f/shell/main_start.h"

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "core/files/file_ops.h"
#include "core/files/launch_app.h"
#include "core/files/paths.h"
#include "core/installer/dvd_locate.h"
#include "core/installer/install_registry.h"
#include "core/installer/sim_info.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/log.h"
#include "core/ui/pref_class.h"
#include "core/ui/stg.h"

#include <algorithm>

namespace {
main_analytics_fn g_analytics_hook = nullptr;

bool strip_prefix(std::string& path, const char* prefix)
{
	if (path.size() <= 3 || path.compare(0, 3, prefix) != 0)
		return false;
	path.erase(0, 3);
	return true;
}
}  // namespace

void main_set_analytics_hook(main_analytics_fn fn) { g_analytics_hook = fn; }

start_decision main_pick_wizard(const start_inputs& in)
{
	start_decision d;
	if (!in.cmd_line_path.empty()) {
		d.path = in.cmd_line_path;
		if (in.go_scenery) {
			d.kind = start_wizard_scenery;
			d.force_update = in.force_update;
		} else {
			d.kind = start_wizard_update;
		}
		return d;
	}
	if (in.installations.size() == 1 && in.single_is_demo) {
		// A demo is always turned into a full installation, disc or not.
		d.kind = start_wizard_scenery;
		d.path = in.installations[0];
		d.force_update = 1;
		return d;
	}
	if (in.installations.empty())
		d.kind = in.dvd_usable ? start_wizard_full_install : start_wizard_menu_brand_new;
	else
		d.kind = start_wizard_menu_existing;
	return d;
}

void main_strip_path_prefixes(std::string& path, int& go_scenery, int& force_update, int& get_beta)
{
	if (strip_prefix(path, "SCN"))
		go_scenery = 1;
	if (strip_prefix(path, "UPG")) {
		go_scenery = 1;
		force_update = 1;
	}
	if (!path.empty()) {
		get_beta = 0;
		if (strip_prefix(path, "BTA"))
			get_beta = 1;
	}
}

void main_split_app_from_path(std::string& path, std::string& launch_name)
{
	if (path.empty() || path.back() == '/')
		return;
	get_file_with_path(launch_name, path);
	std::string::size_type slash = path.rfind('/');
	path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int main_target_os_for(const std::string& value)
{
	if (value == "ALL")
		return 0;
	if (value == "APL")
		return 1;
	if (value == "IBM")
		return 2;
	if (value == "LIN")
		return 3;
	return 1;
}

std::string main_launch_app_name(bool is_64bit)
{
	std::string name = "Skyvane";
	if (!is_64bit)
		name += "-32bit";
	return name + ".app";
}

bool main_is_demo_install(const std::string& install_path)
{
	std::vector<std::string> names;
	std::vector<file_type_t> types;
	// A folder that cannot be opened counts 0 entries.
	int n = opensave_getitems(install_path + "Resources/bitmaps/Earth Orbit Textures/", list_filter_visible, names, types);
	if (n < 0)
		n = 0;
	return static_cast<int>(names.size()) < 50;
}

std::string main_path_argument(int argc, const char* const* argv)
{
	if (argc >= 3 && std::string(argv[1]) == "-path")
		return argv[2];
	return std::string();
}

void main_log_os_folders()
{
	static const struct {
		os_dir_type type;
		const char* label;
	} rows[] = {
		{os_dir_this_app, "os_dir_this_app\t\t="},
		{os_dir_desktop, "os_dir_desktop\t\t="},
		{os_dir_default_apps, "os_dir_default_apps\t="},
		{os_dir_temp, "os_dir_temp\t\t\t="},
		{os_dir_prefs, "os_dir_prefs\t\t\t="},
	};
	for (const auto& r : rows) {
		std::string folder;
		get_OS_abs_path(r.type, folder);
		std::string line = std::string(r.label) + folder + (r.type == os_dir_prefs ? "\n\n" : "\n");
		xer << line;
	}
	skyvane_log_flush();
}

void main_dvd_self_launch()
{
	std::string temp, bundle;
	get_OS_abs_path(os_dir_temp, temp);
	get_OS_abs_path(os_dir_app_bundle, bundle);
	sim_info.dvd_root = UTIL_locate_dvd_by_root_file(INS_DVD_KEY_FILE);
	const std::string& root = sim_info.dvd_root;
	if (root.empty() || bundle.empty() || temp.empty())
		return;
	size_t n = std::min(root.size(), bundle.size());
	if (root.compare(0, n, bundle, 0, n) != 0)
		return;
	std::string name;
	get_file_with_path(name, bundle);
	std::string copy = temp + name;
	err_code_t err = copy_file_recursive(bundle, copy);
	if (err) {
		skyvane_log_write(2, "SYS", "Could not copy the installer from the disc to %s: %s", copy.c_str(),
		                  error_str(err).c_str());
		return;
	}
	// Success ends the process; a failure is in the log and we go on from the disc.
	launch_app(copy, std::string(), 0);
}

start_decision main_start_sequence(int argc, const char* const* argv)
{
	main_log_os_folders();

	get_OS_abs_path(os_dir_temp, temp_path);
	sim_info.clear();
	stg.server_index = 0;
	stg.download_total_kb = 0;
	stg.install_total_kb = 0;
	stg.target_os = 1;
	if (cmdline.has_option("--os"))
		stg.target_os = main_target_os_for(cmdline.get_option("--os"));

	launch_app_name = main_launch_app_name(sizeof(void*) == 8);
	pref_class::IO_set(pref_type_installer, 0);

	cmd_line_path = main_path_argument(argc, argv);
	main_strip_path_prefixes(cmd_line_path, go_scenery, foce_update_after_scenery, stg.get_beta);
	main_split_app_from_path(cmd_line_path, launch_app_name);

	UTL_locate_all_skyvanes(all_skysuites);

	start_inputs in;
	in.cmd_line_path = cmd_line_path;
	in.go_scenery = go_scenery;
	in.force_update = foce_update_after_scenery;
	in.installations = all_skysuites;
	in.single_is_demo = all_skysuites.size() == 1 && main_is_demo_install(all_skysuites[0]);
	if (cmd_line_path.empty()) {
		UTIL_scan_dvd();
		in.dvd_usable = sim_info.version != 0 && !sim_info.dvd_root.empty();
	}
	return main_pick_wizard(in);
}

void main_after_wizard_built()
{
	// The licence step's constructor sets the flag, so this must follow the wizard's construction.
	if (g_analytics_hook)
		g_analytics_hook();
	UTL_locate_all_skyvanes(all_skysuites);
}
