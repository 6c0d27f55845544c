#pragma once
// What main does between the shell's start-up and the first frame: the DVD self-launch, the
// -path prefixes, the demo test and the choice of the first wizard.
#include <string>
#include <vector>

class wizard_collection;

// The wizard that the start-up decision asks for.
enum start_wizard_kind {
	start_wizard_update = 0,            // net_update_wizard(path, no parent, 0)
	start_wizard_scenery = 1,           // add_remove_scenery_wizard(path, force_update, no parent)
	start_wizard_full_install = 2,      // full_install_wizard(no parent, 0)
	start_wizard_menu_existing = 3,     // main_menu_existing_install_wizard
	start_wizard_menu_brand_new = 4     // main_menu_brand_new_wizard
};

struct start_inputs {
	std::string cmd_line_path;               // prefixes already removed
	int go_scenery = 0;
	int force_update = 0;                    // foce_update_after_scenery
	bool dvd_usable = false;                 // only looked at without a path
	std::vector<std::string> installations;  // all_skysuites
	bool single_is_demo = false;             // the demo test's verdict on a single installation
};

struct start_decision {
	start_wizard_kind kind = start_wizard_menu_brand_new;
	std::string path;      // the folder the wizard works on, empty for the menus and full install
	int force_update = 0;  // scenery wizard only
};

// The decision table; pure.
start_decision main_pick_wizard(const start_inputs& in);

// The -path value's prefixes SCN, UPG, BTA in that order, each only while the text is longer than
// three characters. A non-empty path turns get_beta off before BTA may turn it on again.
void main_strip_path_prefixes(std::string& path, int& go_scenery, int& force_update, int& get_beta);
// A non-empty path without a trailing "/" names the simulator itself: its last component becomes
// launch_name and path keeps the folder.
void main_split_app_from_path(std::string& path, std::string& launch_name);
// "--os" value to target_os: ALL 0, APL 1, IBM 2, LIN 3, anything else 1.
int main_target_os_for(const std::string& value);
// "Skyvane" + "-32bit" on a 32-bit machine + ".app".
std::string main_launch_app_name(bool is_64bit);
// Fewer than 50 entries in the installation's "Resources/bitmaps/Earth Orbit Textures/".
bool main_is_demo_install(const std::string& install_path);
// The -path argument: argv[1] exactly "-path" with a value after it; else empty.
std::string main_path_argument(int argc, const char* const* argv);

// The operating-system folders, one log line each, then a flush.
void main_log_os_folders();

// When running from the product disc, copy the executable to the temporary folder and start the
// copy; on success this does not return (the process exits 0). Returns when not on the disc or
// when the copy or the launch failed.
void main_dvd_self_launch();

// Every step of main's start sequence after the shell's start-up, up to the decision; the
// globals (cmd_line_path, go_scenery, stg, launch_app_name, temp_path, all_skysuites, sim_info)
// are set as a side effect.
start_decision main_start_sequence(int argc, const char* const* argv);

// After the chosen wizard exists: analytics (recorder and, when stg.send_analytics is set, the
// session) through the hook, then a fresh list of installations for the first step.
void main_after_wizard_built();

// Analytics seam: called at the place where the recorder is created and a session may start.
typedef void (*main_analytics_fn)();
void main_set_analytics_hook(main_analytics_fn fn);
