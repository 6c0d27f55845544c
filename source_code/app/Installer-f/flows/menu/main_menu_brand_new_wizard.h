#pragma once
// The menu shown when no Skyvane installation exists: the free demo or a purchased product.
// Each row leads to a wizard built once, with the menu step as its parent.
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_func.h"

class main_menu_brand_new_wizard;
class full_install_wizard;
class demo_install_wizard;

class main_menu_brand_new : public wizard_func {
public:
	explicit main_menu_brand_new(main_menu_brand_new_wizard* wiz);
	wizard_func* go(wizard_screen& screen) override;

	main_menu_brand_new_wizard* wiz;
};

class main_menu_brand_new_wizard : public wizard_collection {
public:
	main_menu_brand_new_wizard();
	~main_menu_brand_new_wizard() override;

	main_menu_brand_new* menu = nullptr;
	full_install_wizard* full_install = nullptr;
	demo_install_wizard* demo_install = nullptr;
};
