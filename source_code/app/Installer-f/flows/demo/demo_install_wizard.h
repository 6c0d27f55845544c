#pragma once
// The demo install wizard: the free demo from the mirror servers. Licence, server list and
// manifest of the final release, destination with the space it needs, install of the simulator
// files only, and a final screen that offers to fly the demo.
#include <string>

#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_func.h"
#include "core/ui/err_code.h"

class see_eula;
class any_get_install_info_net;
class any_pick_install;
class any_run_install;

// The "Contact Support" body of a failed demo install, from the screens layer; none until set.
typedef gui_widget_controller* (*demo_done_support_body_fn)();
void demo_install_set_support_body(demo_done_support_body_fn fn);

class demo_done : public wizard_func {
public:
	explicit demo_done(wizard_collection* owner);
	wizard_func* go(wizard_screen& screen) override;
	void close() override;
	gui_widget_controller* build_screen_body() override;
};

class demo_install_wizard : public wizard_collection {
public:
	explicit demo_install_wizard(wizard_func* parent);

	see_eula* eula = nullptr;
	any_get_install_info_net* get_info = nullptr;
	any_pick_install* pick = nullptr;
	any_run_install* run_install = nullptr;
	demo_done* done = nullptr;
};

// The final step's message for a failed demo install.
std::string demo_done_error_message(err_code_t code, const std::string& error_text);
