#pragma once
// The full install wizard: a new installation from the DVD set in the drive or, without one,
// from the mirror servers. (Welcome,) server list and manifest, destination, licence, scenery
// map, install, finish; the finish step offers an update of the new installation.
#include <string>

#include "app/Installer-f/flows/steps/any_get_install_info_net.h"
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_func.h"
#include "core/ui/err_code.h"

class full_install_wizard;
class net_update_wizard;
class any_pick_install;
class see_eula;
class any_run_install;

// Step bodies come from the screens layer; until it registers them the steps have none.
struct full_install_bodies {
	// The world map above the disk-space line, given its two texts.
	gui_widget_controller* (*scenery_picker)(const std::string& enough, const std::string& not_enough) = nullptr;
	// The "Contact Support" body of a final screen that reports a failure.
	gui_widget_controller* (*get_support)() = nullptr;
};
void full_install_set_bodies(const full_install_bodies& bodies);

// Heading and texts of the network step that fetches the full release (also the scenery wizard's).
any_get_install_info_net_msgs full_release_net_msgs();

class dvd_start : public wizard_func {
public:
	explicit dvd_start(wizard_collection* owner);
	wizard_func* go(wizard_screen& screen) override;
	wizard_func* open() override;

	int unusable_disc = 0;  // the disc in the drive cannot be read; looked at again when a disc arrives
};

class dvd_scenery_install : public wizard_func {
public:
	explicit dvd_scenery_install(wizard_collection* owner);
	wizard_func* go(wizard_screen& screen) override;
	// Scans the new destination to completion and recomputes the plan; a failed scan goes to
	// the wizard's final step with the error.
	wizard_func* open() override;
	bool check_can_close(ins_btn_type cause) override;
	gui_widget_controller* build_screen_body() override;
};

class dvd_done_install : public wizard_func {
public:
	explicit dvd_done_install(wizard_collection* owner);
	~dvd_done_install() override;
	wizard_func* go(wizard_screen& screen) override;
	// Without an error, rebuilds the follow-on update wizard for dest_dir_path.
	wizard_func* open() override;
	void close() override;
	gui_widget_controller* build_screen_body() override;

	net_update_wizard* update_wizard = nullptr;  // owned; its parent is this wizard's first step
};

class full_install_wizard : public wizard_collection {
public:
	// from_menu 0: started by main, with a welcome step; 1: the menu row is the welcome.
	full_install_wizard(wizard_func* parent, int from_menu);

	int from_menu;
	dvd_start* start = nullptr;  // only when from_menu is 0
	any_get_install_info_net* get_info = nullptr;
	any_pick_install* pick = nullptr;
	see_eula* eula = nullptr;
	dvd_scenery_install* scenery = nullptr;
	any_run_install* run_install = nullptr;
	dvd_done_install* done = nullptr;
};

// The welcome message: the install name of the disc set when one is read (or an installation is
// known), the plain one otherwise.
std::string dvd_start_message(bool have_install_or_disc, const std::string& install_name);
// The final step's message for a failed install.
std::string dvd_done_error_message(err_code_t code, const std::string& error_text);
