#include "app/Installer-f/flows/menu/main_menu_brand_new_wizard.h"

#include "app/Installer-f/flows/demo/demo_install_wizard.h"
#include "app/Installer-f/flows/full/full_install_wizard.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/ui/translate.h"

main_menu_brand_new::main_menu_brand_new(main_menu_brand_new_wizard* wiz)
	: wizard_func(wiz, UTL_translate_string("Welcome"), "Main Menu - No Existing Installation"), wiz(wiz)
{
}

wizard_func* main_menu_brand_new::go(wizard_screen& screen)
{
	screen.title = UTL_translate_string("Skyvane 11 Installer");
	screen.show_settings = 1;
	screen.message =
		UTL_translate_string("Welcome to Skyvane 11. This installer will guide you through the process of installing Skyvane.") +
		"\n\n" + UTL_translate_string("What would you like to install?");
	screen.choice_labels.push_back(UTL_translate_string("Install a Free Demo of Skyvane"));
	screen.choice_steps.push_back(wiz->demo_install->steps.front());
	screen.choice_labels.push_back(UTL_translate_string("Install an Skyvane Product Purchase"));
	screen.choice_steps.push_back(wiz->full_install->steps.front());
	return this;
}

main_menu_brand_new_wizard::main_menu_brand_new_wizard() : wizard_collection(nullptr)
{
	menu = add_step(new main_menu_brand_new(this));
	full_install = new full_install_wizard(menu, 1);
	demo_install = new demo_install_wizard(menu);
}

main_menu_brand_new_wizard::~main_menu_brand_new_wizard()
{
	delete full_install;
	delete demo_install;
}
