#include "app/Installer-f/flows/menu/main_menu_existing_install_wizard.h"

#include "app/Installer-f/flows/full/full_install_wizard.h"
#include "app/Installer-f/flows/scenery/add_remove_scenery_wizard.h"
#include "app/Installer-f/flows/steps/pick_run_sim.h"
#include "app/Installer-f/flows/update/net_update_wizard.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/installer/dvd_locate.h"
#include "core/installer/install_registry.h"
#include "core/installer/ins_read_result.h"
#include "core/installer/sim_info.h"
#include "core/platform/WIN_app.h"
#include "core/ui/translate.h"

main_menu_existing_install::main_menu_existing_install(main_menu_existing_install_wizard* wiz)
	: wizard_func(wiz, UTL_translate_string("Welcome"), "Main Menu - Existing Full Installation"), wiz(wiz)
{
}

wizard_func* main_menu_existing_install::open()
{
	UTL_locate_all_skyvanes(all_skysuites);
	unreadable_disc = 0;
	return this;
}

wizard_func* main_menu_existing_install::go(wizard_screen& screen)
{
	if (g_new_disc_flag) {
		g_new_disc_flag = 0;
		sim_info.clear();
		unreadable_disc = 0;
	}
	if (sim_info.source == ins_src_none && !unreadable_disc) {
		const int r = UTIL_scan_dvd();
		if (r != 0 && r != ins_read_no_dvd) {
			unreadable_disc = 1;
			// What a failed read left behind would be taken for a disc set by the flows.
			sim_info.clear();
		}
	}

	screen.title = UTL_translate_string("Skyvane 11 Installer/Updater");
	screen.show_settings = 1;
	screen.message = UTL_translate_string("You already have Skyvane 11 installed on this computer. What would you like to do?");
	const struct {
		const char* label;
		wizard_collection* target;
	} rows[] = {
		{"Run Skyvane Now", wiz->run_sim},
		{"Add or Remove Scenery", wiz->scenery},
		{"Update Skyvane", wiz->update},
		{"Install a Second Copy of Skyvane", wiz->second_copy},
	};
	for (const auto& row : rows) {
		screen.choice_labels.push_back(UTL_translate_string(row.label));
		screen.choice_steps.push_back(row.target->steps.front());
	}
	return this;
}

main_menu_existing_install_wizard::main_menu_existing_install_wizard() : wizard_collection(nullptr)
{
	menu = add_step(new main_menu_existing_install(this));
	update = new net_update_wizard(std::string(), menu, 0);
	run_sim = new run_sim_wizard(menu, 0);
	scenery = new add_remove_scenery_wizard(std::string(), 0, menu);
	second_copy = new full_install_wizard(menu, 1);
}

main_menu_existing_install_wizard::~main_menu_existing_install_wizard()
{
	delete update;
	delete run_sim;
	delete scenery;
	delete second_copy;
}
