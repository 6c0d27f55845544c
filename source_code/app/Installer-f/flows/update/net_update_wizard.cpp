#include "app/Installer-f/flows/update/net_update_wizard.h"

#include "app/Installer-f/flows/final_step_texts.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/flows/steps/any_checksum.h"
#include "app/Installer-f/flows/steps/any_get_install_info_net.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/files/paths.h"
#include "core/installer/install_registry.h"
#include "core/installer/sim_info.h"
#include "core/installer/vendor_hosts.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/stg.h"
#include "core/ui/translate.h"

namespace {
net_update_bodies g_bodies;

std::string tr(const char* text) { return UTL_translate_string(text); }
}  // namespace

void net_update_set_bodies(const net_update_bodies& bodies) { g_bodies = bodies; }

// ---- net_start

net_start::net_start(net_update_wizard* wiz)
	: wizard_func(wiz, tr("Welcome"), "Main Menu - Web Update"), wiz(wiz)
{
}

wizard_func* net_start::open()
{
	UTL_locate_all_skyvanes(all_skysuites);
	return this;
}

wizard_func* net_start::go(wizard_screen& screen)
{
	if (!wiz->install_path.empty())
		dest_dir_path = wiz->install_path;
	else
		// A choice made on the next step is forgotten when the user comes back here.
		dest_dir_path = all_skysuites.size() == 1 ? all_skysuites[0] : std::string();
	screen.title = tr("Skyvane 11 Web Updater");
	screen.message = tr("This installer will guide you through the process of updating your copy of Skyvane 11 to the latest version.");
	screen.show_settings = 1;
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = owner->next_for_step(this);
	return this;
}

gui_widget_controller* net_start::build_screen_body()
{
	return g_bodies.net_start ? g_bodies.net_start(&stg.get_beta) : nullptr;
}

// ---- net_pick_dest

net_pick_dest::net_pick_dest(wizard_collection* owner)
	: wizard_func(owner, tr("Pick Destination"), "Choose Copy of Skyvane to Update")
{
}

wizard_func* net_pick_dest::go(wizard_screen& screen)
{
	screen.title = tr("Pick Destination");
	screen.show_settings = 1;
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = dest_dir_path.empty() ? wiz_target_none : owner->next_for_step(this);
	return this;
}

gui_widget_controller* net_pick_dest::build_screen_body()
{
	if (!g_bodies.pick_dest)
		return nullptr;
	return g_bodies.pick_dest(&dest_dir_path, tr("The installer found the following copy of Skyvane 11 to update."),
	                          tr("Please select which copy of Skyvane 11 you would like to update."));
}

// ---- net_check_disk

net_check_disk::net_check_disk(wizard_collection* owner)
	: wizard_func(owner, tr("Check Disk Space"), "Check Disk Space for Update")
{
}

wizard_func* net_check_disk::open()
{
	scenery_from_install(0);
	recalc_disk_sizes();
	return this;
}

wizard_func* net_check_disk::go(wizard_screen& screen)
{
	screen.title = tr("Check Disk Space");
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = owner->next_for_step(this);
	if (stg.install_file_count == 0 && stg.delete_file_count == 0)
		return owner->steps.back();  // already up to date
	if (UTIL_has_enough_disk_space()) {
		screen.message = UTL_string_sub(
			tr("You are about to download %1:download size% of compressed data to update to %2:install name%."),
			size_str_kb(stg.download_total_kb), sim_info.install_name);
	} else {
		screen.next_step = wiz_target_none;
		screen.message = tr("There is a newer version of Skyvane 11 available, but you do not have enough free disk space to download and install the update.") +
		                 "\n\n" + tr("Please free some space on your hard drive.");
	}
	return this;
}

gui_widget_controller* net_check_disk::build_screen_body()
{
	if (!g_bodies.disk_space)
		return nullptr;
	return g_bodies.disk_space(tr("You have enough free disk space to update Skyvane 11."),
	                           tr("You do not have enough free disk space to update Skyvane 11."));
}

// ---- net_done

net_done::net_done(wizard_collection* owner) : wizard_func(owner, tr("Finish"), "Update Complete") {}

std::string net_done_error_message(err_code_t code, const std::string& error_text)
{
	std::string advice = UTL_http_is_error_bad_net(code)
		? tr("Please check your internet connection and try again, or contact Brightfold tech support at ")
		: tr("Please try the updater again later or contact Brightfold tech support at ");
	return tr("There was a problem updating Skyvane.") + " " + advice + vendor_support_email() + tr(" for help.") +
	       "\n\n" + final_step_technical_text(error_text);
}

wizard_func* net_done::go(wizard_screen& screen)
{
	screen.title = tr("Finshed Web Update");
	screen.back_step = owner->parent;
	screen.next_step = wiz_target_quit;
	if (owner->error_code) {
		screen.message = net_done_error_message(owner->error_code, owner->error_text);
		return this;
	}
	std::string path = dest_dir_path;
	set_path_to_os_native_dirchars(path);
	if (stg.install_file_count || stg.delete_file_count)
		screen.message = UTL_string_sub(tr("Finished updating %1:install path%."), path);
	else
		screen.message = UTL_string_sub(tr("This copy of Skyvane (%1:install path%) is already up to date."), path);
	screen.choice_labels.push_back(tr("Fly Skyvane Now"));
	screen.choice_steps.push_back(wiz_target_run_sim);
	return this;
}

void net_done::close()
{
	owner->clear_error();
}

// ---- net_update_wizard

net_update_wizard::net_update_wizard(const std::string& path, wizard_func* parent, int demo)
	: wizard_collection(parent), install_path(path)
{
	(void)demo;  // every flow passes 0
	start = add_step(new net_start(this));
	if (install_path.empty())
		pick_dest = add_step(new net_pick_dest(this));

	any_get_install_info_net_msgs net_msgs;
	net_msgs.title = tr("Search for Updates");
	net_msgs.contacting = tr("Contacting ") + vendor_site_name() + tr(" to find an update server.");
	net_msgs.downloading = tr("Downloading patch info from %1:server name%.");
	net_msgs.progress = tr("Checking the internet for the latest version of Skyvane 11. %1:progress%% done checking.");
	get_info = add_step(new any_get_install_info_net(this, false, false, true, net_msgs));

	any_checksum_config cfg{1, 1, 1, 0};
	any_checksum_msgs scan_msgs;
	scan_msgs.title = tr("Checking Installed Files");
	scan_msgs.scanning = tr("Scanning %1:folder path% to see what files need updating.");
	checksum = add_step(new any_checksum(this, cfg, scan_msgs));

	check_disk = add_step(new net_check_disk(this));

	any_run_install_msgs run_msgs;
	run_msgs.cancel_question = tr("Are you sure you want to stop the update? Skyvane 11 will not be usable until the update is finished. You can resume the update later.");
	run_msgs.cancel_label = tr("Stop");
	run_msgs.cancel_detail = tr("the update.");
	run_msgs.continue_label = tr("Continue");
	run_msgs.continue_detail = tr("the update process.");
	run_msgs.title = tr("Updating");
	run_msgs.error_lead_in = tr("An error occurred during update:");
	run_msgs.error_options = tr("You can continue with the update and attempt to repair the damaged files later, or you can stop the update and try again later.");
	run_msgs.error_stop_label = tr("Cancel");
	run_msgs.error_stop_detail = tr("the update.");
	run_msgs.error_continue_label = tr("Continue");
	run_msgs.error_continue_detail = tr("the update.");
	run_install = add_step(new any_run_install(this, 0, run_msgs, ins_install_update));

	done = add_step(new net_done(this));
}
