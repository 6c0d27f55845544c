#pragma once
// The menu shown when Skyvane is installed: run it, change its scenery, update it, or install a
// second copy. Each row leads to a wizard built once, with the menu step as its parent. While
// the menu is shown it looks for a DVD set, so a disc inserted meanwhile serves the second copy.
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_func.h"

class main_menu_existing_install_wizard;
class net_update_wizard;
class run_sim_wizard;
class add_remove_scenery_wizard;
class full_install_wizard;

class main_menu_existing_install : public wizard_func {
public:
	explicit main_menu_existing_install(main_menu_existing_install_wizard* wiz);
	wizard_func* open() override;
	wizard_func* go(wizard_screen& screen) override;

	main_menu_existing_install_wizard* wiz;
	// A disc was found but could not be read: not read again (and logged again) every frame,
	// only after the next disc arrives or the menu is entered again.
	int unreadable_disc = 0;
};

class main_menu_existing_install_wizard : public wizard_collection {
public:
	main_menu_existing_install_wizard();
	~main_menu_existing_install_wizard() override;

	main_menu_existing_install* menu = nullptr;
	net_update_wizard* update = nullptr;
	run_sim_wizard* run_sim = nullptr;
	add_remove_scenery_wizard* scenery = nullptr;
	full_install_wizard* second_copy = nullptr;
};
