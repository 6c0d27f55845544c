#include <cstdio>

#include "app/Installer-f/analytics/analytics_recorder.h"
#include "app/Installer-f/flows/menu/main_menu_brand_new_wizard.h"
#include "app/Installer-f/flows/menu/main_menu_existing_install_wizard.h"
#include "app/Installer-f/flows/scenery/add_remove_scenery_wizard.h"
#include "app/Installer-f/flows/full/full_install_wizard.h"
#include "app/Installer-f/flows/update/net_update_wizard.h"
#include "app/Installer-f/shell/RADAVI_init.h"
#include "app/Installer-f/shell/main_start.h"
#include "app/Installer-f/unattended/unattended_host.h"
#include "app/Installer-f/wizard/wizard_driver.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/log.h"
#include "core/ui/stg.h"

int main(int argc, char** argv)
{
	main_dvd_self_launch();
	RADAVI_init(argc, argv);

	unattended_options options;
	const bool unattended = RADAVI_is_unattended();
	if (unattended) {
		std::string problem;
		if (!unattended_read_options(options, problem)) {
			std::fprintf(stderr, "Skyvane Installer: %s\n", problem.c_str());
			RADAVI_finishup(1);
			return 1;
		}
	}

	start_decision decision = main_start_sequence(argc, argv);

	// The chosen wizard lives until the process ends.
	wizard_collection* wizard = nullptr;
	if (decision.kind == start_wizard_update)
		wizard = new net_update_wizard(decision.path, nullptr, 0);
	if (decision.kind == start_wizard_full_install)
		wizard = new full_install_wizard(nullptr, 0);
	if (decision.kind == start_wizard_scenery)
		wizard = new add_remove_scenery_wizard(decision.path, decision.force_update, nullptr);
	if (decision.kind == start_wizard_menu_existing)
		wizard = new main_menu_existing_install_wizard();
	if (decision.kind == start_wizard_menu_brand_new)
		wizard = new main_menu_brand_new_wizard();

	// The person never sees the usage-data check box in this mode: only the option sends.
	if (unattended)
		stg.send_analytics = options.send_analytics ? 1 : 0;
	main_set_analytics_hook(ins_analytics_start);
	main_after_wizard_built();
	int status = 0;
	if (unattended) {
		status = unattended_run(wizard->steps.front(), options);
	} else {
		std::fputs("Skyvane Installer: the installer window is not available in this build; run with --unattended.\n",
		           stderr);
		status = 1;
	}
	RADAVI_finishup(1);
	return status;
}
