#include "app/Installer-f/flows/scenery/add_remove_scenery_wizard.h"

#include "app/Installer-f/flows/final_step_texts.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/flows/full/full_install_wizard.h"
#include "app/Installer-f/flows/steps/any_checksum.h"
#include "app/Installer-f/flows/steps/any_get_install_info_net.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/flows/update/net_update_wizard.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/stg.h"
#include "core/ui/translate.h"

namespace {
scenery_wizard_bodies g_bodies;

std::string tr(const char* text) { return UTL_translate_string(text); }
}  // namespace

void scenery_wizard_set_bodies(const scenery_wizard_bodies& bodies) { g_bodies = bodies; }

// ---- add_remove_scenery_standalone_start

add_remove_scenery_standalone_start::add_remove_scenery_standalone_start(add_remove_scenery_wizard* wiz,
                                                                         int force_update)
	: wizard_func(wiz, tr("Welcome"), "Main Menu - Add or Remove Scenery"), wiz(wiz), force_update(force_update)
{
}

wizard_func* add_remove_scenery_standalone_start::go(wizard_screen& screen)
{
	if (!wiz->install_path.empty())
		dest_dir_path = wiz->install_path;
	screen.title = tr("Skyvane 11 Installer");
	screen.show_settings = 1;
	screen.message = tr("Welcome to the Skyvane 11 Installer/Updater.") + " " +
	                 (force_update ? tr("This installer will guide you through the process of upgrading your Skyvane 11 demo to a full installation of Skyvane.")
	                               : tr("This installer will guide you through the process of adding and removing scenery."));
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = owner->next_for_step(this);
	return this;
}

// ---- dvd_pick_scenery

dvd_pick_scenery::dvd_pick_scenery(wizard_collection* owner, const std::string& path)
	: wizard_func(owner, tr("Select an Skyvane Installation"), "Select an Installation to Add or Remove Scenery"),
	  path(path)
{
}

wizard_func* dvd_pick_scenery::go(wizard_screen& screen)
{
	screen.title = tr("Select an Skyvane Installation to Add or Remove Scenery");
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = owner->next_for_step(this);
	if (all_skysuites.size() == 1)
		dest_dir_path = all_skysuites.front();
	if (!path.empty()) {
		dest_dir_path = path;
		return owner->next_for_step(this);
	}
	if (dest_dir_path.empty())
		screen.next_step = wiz_target_none;
	return this;
}

gui_widget_controller* dvd_pick_scenery::build_screen_body()
{
	if (!g_bodies.pick_dest)
		return nullptr;
	return g_bodies.pick_dest(&dest_dir_path, tr("The installer found the following copy of Skyvane 11 to add scenery to."),
	                          tr("Please select the copy of Skyvane you would like to add scenery to."));
}

// ---- dvd_edit_scenery

dvd_edit_scenery::dvd_edit_scenery(wizard_collection* owner)
	: wizard_func(owner, tr("Select New Scenery"), "Select Scenery to Add or Remove")
{
}

wizard_func* dvd_edit_scenery::open()
{
	scenery_from_install(0);
	recalc_disk_sizes();
	return this;
}

wizard_func* dvd_edit_scenery::go(wizard_screen& screen)
{
	screen.title = tr("Select Scenery");
	screen.message = tr("Click on the world map to select the scenery you would like to install. Scenery that you deselect will be removed; scenery that you select will be installed. If you fly into an area with no scenery installed, you will see only ocean.");
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = UTIL_has_enough_disk_space() ? owner->next_for_step(this) : wiz_target_none;
	return this;
}

bool dvd_edit_scenery::check_can_close(ins_btn_type cause)
{
	return cause == ins_btn_next ? UTIL_question_huge_dls() : true;
}

gui_widget_controller* dvd_edit_scenery::build_screen_body()
{
	if (!g_bodies.scenery_picker)
		return nullptr;
	return g_bodies.scenery_picker(tr("You have enough free disk space to install this scenery."),
	                               tr("You do not have enough free disk space to install this scenery."));
}

// ---- dvd_done_scenery

dvd_done_scenery::dvd_done_scenery(wizard_collection* owner, int force_update)
	: wizard_func(owner, force_update ? tr("Upgrade Demo") : tr("Finish"),
	              force_update ? "Scenery Installation Complete - Upgrade Your Demo" : "Scenery Installation Complete"),
	  force_update(force_update)
{
}

dvd_done_scenery::~dvd_done_scenery() { delete update; }

wizard_func* dvd_done_scenery::open()
{
	if (owner->error_code)
		return this;
	delete update;
	update = new net_update_wizard(dest_dir_path, owner->parent, 0);
	// A demo being upgraded goes on into the update, which brings in the rest of the product.
	if (force_update)
		return update->steps.front();
	return this;
}

std::string dvd_done_scenery_message(err_code_t code, const std::string& error_text, int install_count,
                                     int delete_count)
{
	const bool added = install_count > 0, removed = delete_count > 0;
	if (code) {
		std::string first = added && removed ? tr("There were errors while adding and removing your scenery.")
		                    : added          ? tr("There were errors while installing your scenery.")
		                    : removed        ? tr("There were errors while removing your scenery.")
		                                     : tr("There were errors while updating your scenery.");
		std::string advice = UTL_http_is_error_bad_net(code)
			? tr("Some of your scenery may not be usable. Please check your internet connection and try again, or contact Brightfold tech support for help.")
			: tr("Some of your scenery may not be usable. Please try the installer again later or contact Brightfold tech support for help.");
		return first + " " + advice + "\n\n" +
		       final_step_technical_text(error_text);
	}
	return added && removed ? tr("Scenery has been added/removed to match your choices on the map.")
	       : added          ? tr("New scenery has been installed to match your choices on the map.")
	       : removed        ? tr("Scenery has been removed to match your choices on the map.")
	                        : tr("Your scenery has been updated to match your choices on the map.");
}

wizard_func* dvd_done_scenery::go(wizard_screen& screen)
{
	screen.title = tr("Finished Adding/Removing Scenery");
	screen.back_step = owner->parent;
	screen.next_step = wiz_target_quit;
	screen.message =
		dvd_done_scenery_message(owner->error_code, owner->error_text, stg.install_file_count, stg.delete_file_count);
	if (!owner->error_code) {
		if (update && !update->steps.empty()) {
			screen.choice_labels.push_back(tr("Check for Updates"));
			screen.choice_steps.push_back(update->steps.front());
		}
		screen.choice_labels.push_back(tr("Run Skyvane Now"));
		screen.choice_steps.push_back(wiz_target_run_sim);
	}
	return this;
}

void dvd_done_scenery::close()
{
	owner->clear_error();
}

gui_widget_controller* dvd_done_scenery::build_screen_body()
{
	return owner->error_code && g_bodies.get_support ? g_bodies.get_support() : nullptr;
}

// ---- add_remove_scenery_wizard

add_remove_scenery_wizard::add_remove_scenery_wizard(const std::string& path, int force_update, wizard_func* parent)
	: wizard_collection(parent), install_path(path)
{
	if (!install_path.empty())
		start = add_step(new add_remove_scenery_standalone_start(this, force_update));

	// The same fetch of the full release as the full install, with its texts.
	get_info = add_step(new any_get_install_info_net(this, true, false, false, full_release_net_msgs()));

	if (install_path.empty())
		pick = add_step(new dvd_pick_scenery(this, install_path));

	any_checksum_config cfg{0, 1, 1, 1};
	any_checksum_msgs scan_msgs;
	scan_msgs.title = tr("Scanning Skyvane for Installed Scenery");
	scan_msgs.scanning = tr("Scanning %1:install folder% to see what scenery you already have installed.") + "\n\n" +
	                     tr("Note: The installer will only check for the scenery that comes with Skyvane.") + " " +
	                     tr("This scan will not show any custom scenery add-ons that you have installed.");
	checksum = add_step(new any_checksum(this, cfg, scan_msgs));

	edit = add_step(new dvd_edit_scenery(this));

	any_run_install_msgs run_msgs;
	run_msgs.cancel_question = tr("Are you sure you want to stop scenery installation? You can add or remove more scenery later.");
	run_msgs.cancel_label = tr("Stop");
	run_msgs.cancel_detail = tr("the scenery install.");
	run_msgs.continue_label = tr("Continue");
	run_msgs.continue_detail = tr("the scenery install.");
	run_msgs.title = tr("Installing New Scenery");
	run_msgs.disc_title = tr("Installing Scenery: Please Change DVDs");
	run_msgs.error_lead_in = tr("An error occurred during scenery installation:");
	run_msgs.error_options = tr("You can continue with the installation and attempt to reinstall the damaged files later, or you can stop the installation.");
	run_msgs.error_stop_label = tr("Stop");
	run_msgs.error_stop_detail = tr("the scenery install.");
	run_msgs.error_continue_label = tr("Continue");
	run_msgs.error_continue_detail = tr("the scenery install.");
	run_install = add_step(new any_run_install(this, 0, run_msgs, ins_install_scenery));

	done = add_step(new dvd_done_scenery(this, force_update));
}
