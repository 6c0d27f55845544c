#pragma once
// The new installation's folder: a name and a parent folder, validated on the spot, and the
// plan prepared for that destination.
#include <string>

#include "app/Installer-f/wizard/wizard_func.h"
#include "core/thread/UTL_listener.h"

struct any_pick_install_msgs {
	std::string default_name;   // e.g. "Skyvane 11"
	std::string empty_name;     // shown while the name is empty
	std::string folder_prompt;  // used by the body
	std::string enough_space;   // used by the body
	std::string not_enough_space;
};

enum install_location_status {
	loc_usable = 0,
	loc_bad_name = 1,        // "/", ":" or a backslash in the name
	loc_known_bad = 2,       // a location known to cause problems
	loc_no_permission = 3,
	loc_read_only = 4,
	loc_exists = 5,          // a folder of that name is already there
	loc_other_failure = 6    // logged
};

class any_pick_install : public wizard_func, public UTL_listener {
public:
	any_pick_install(wizard_collection* owner, int demo, int require_space, const any_pick_install_msgs& msgs);

	wizard_func* go(wizard_screen& screen) override;
	wizard_func* open() override;
	gui_widget_controller* build_screen_body() override;
	void ReceiveMessage(long message, long param) override;

	// full_path = parent folder + name + "/". Creates and removes a test folder there.
	static int analyze_install_location(const std::string& install_name, const std::string& full_path);

	std::string desktop_folder;
	std::string parent_folder;
	std::string install_name;
	int recheck = 1;
	int demo;
	any_pick_install_msgs msgs;
	int require_space;
	int status = loc_other_failure;
};

// Body builder installed by the screens layer (the location body); none until then.
typedef gui_widget_controller* (*any_pick_install_body_fn)(any_pick_install* step);
extern any_pick_install_body_fn any_pick_install_body;
