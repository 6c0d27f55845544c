#include <cstdio>

#include "app/Installer-f/flows/update/net_update_wizard.h"
#include "app/Installer-f/shell/RADAVI_init.h"
#include "app/Installer-f/shell/main_start.h"
#include "app/Installer-f/unattended/unattended_host.h"
#include "app/Installer-f/wizard/wizard_driver.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/log.h"
#include "core/ui/stg.h"

namespace {
const char* wizard_kind_name(start_wizard_kind kind)
{
	switch (kind) {
	case start_wizard_update: return "update";
	case start_wizard_scenery: return "scenery add/remove";
	case start_wizard_full_install: return "full install";
	case start_wizard_menu_existing: return "existing-installation menu";
	case start_wizard_menu_brand_new: return "brand-new menu";
	}
	return "?";
}
}  // namespace

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
	if (!wizard) {
		std::fprintf(stderr, "Skyvane Installer: the %s wizard is not available in this build.\n",
		             wizard_kind_name(decision.kind));
		skyvane_log_write(3, "WIZ", "The %s wizard is not available in this build", wizard_kind_name(decision.kind));
		RADAVI_finishup(1);
		return 1;
	}

	// The person never sees the usage-data check box in this mode: only the option sends.
	if (unattended)
		stg.send_analytics = options.send_analytics ? 1 : 0;
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
