#include "app/Installer-f/flows/steps/pick_run_sim.h"

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/ui/translate.h"

pick_run_sim_body_fn pick_run_sim_body = nullptr;

pick_run_sim::pick_run_sim(wizard_collection* owner, int demo)
	: wizard_func(owner, UTL_translate_string("Run Skyvane"), "Run Skyvane"), demo(demo)
{
}

wizard_func* pick_run_sim::go(wizard_screen& screen)
{
	screen.title = UTL_translate_string("Run Skyvane");
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = owner->next_for_step(this);
	if (all_skysuites.size() == 1) {
		dest_dir_path = all_skysuites.front();
		return wiz_target_run_sim;
	}
	screen.next_step = dest_dir_path.empty() ? wiz_target_none : wiz_target_run_sim;
	return this;
}

gui_widget_controller* pick_run_sim::build_screen_body()
{
	return pick_run_sim_body
		       ? pick_run_sim_body(this, UTL_translate_string("Please pick which copy of Skyvane 11 you would like to run."))
		       : nullptr;
}

run_sim_wizard::run_sim_wizard(wizard_func* parent, int demo) : wizard_collection(parent)
{
	add_step(new pick_run_sim(this, demo));
}
