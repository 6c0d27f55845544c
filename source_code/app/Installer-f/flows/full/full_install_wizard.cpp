#include "app/Installer-f/flows/full/full_install_wizard.h"

#include "app/Installer-f/flows/final_step_texts.h"
#include <sched.h>

#include "app/Installer-f/engine/checksum_directory.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/flows/steps/any_pick_install.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/flows/steps/see_eula.h"
#include "app/Installer-f/flows/update/net_update_wizard.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/installer/dvd_locate.h"
#include "core/installer/ins_read_result.h"
#include "core/installer/install_registry.h"
#include "core/installer/sim_info.h"
#include "core/installer/vendor_hosts.h"
#include "core/platform/WIN_app.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/log.h"
#include "core/ui/translate.h"

namespace {
full_install_bodies g_bodies;

std::string tr(const char* text) { return UTL_translate_string(text); }

wizard_func* final_step(wizard_collection* w, wizard_func* self)
{
	return w->steps.empty() ? w->next_for_step(self) : w->steps.back();
}
}  // namespace

void full_install_set_bodies(const full_install_bodies& bodies) { g_bodies = bodies; }

any_get_install_info_net_msgs full_release_net_msgs()
{
	any_get_install_info_net_msgs m;
	m.title = tr("Check Servers");
	m.contacting = tr("Contacting ") + vendor_site_name() + tr(" to find a download server.");
	m.downloading = tr("Downloading patch info from %1:server name%.");
	m.progress = tr("Downloading product information... %1:progress%% done checking.");
	return m;
}

// ---- dvd_start

dvd_start::dvd_start(wizard_collection* owner) : wizard_func(owner, tr("Welcome"), "Main Menu - DVD") {}

wizard_func* dvd_start::open()
{
	UTL_locate_all_skyvanes(all_skysuites);
	dest_dir_path.clear();
	return this;
}

std::string dvd_start_message(bool have_install_or_disc, const std::string& install_name)
{
	// Without a name the named sentence would end in "installing ."
	if (!have_install_or_disc || install_name.empty())
		return tr("Welcome to the Skyvane 11 Installer. This installer will guide you through the process of installing Skyvane 11.");
	return UTL_string_sub(
		tr("Welcome to the Skyvane 11 Installer. This installer will guide you through the process of installing %1:install name%."),
		install_name);
}

wizard_func* dvd_start::go(wizard_screen& screen)
{
	if (g_new_disc_flag) {
		g_new_disc_flag = 0;
		sim_info.clear();
		unusable_disc = 0;
	}
	if (sim_info.source == ins_src_none && !unusable_disc) {
		const int r = UTIL_scan_dvd();
		// A disc that is there but cannot be read is no source: left half read (marked as a disc
		// set), the network step would be skipped and nothing installed.
		if (r != 0 && r != ins_read_no_dvd) {
			skyvane_log_write(log_error, "INS", "The DVD set at %s cannot be used (result %d)",
			                  sim_info.dvd_root.c_str(), r);
			sim_info.clear();
			unusable_disc = 1;
		}
	}
	screen.title = tr("Skyvane 11 Installer/Updater");
	screen.back_step = owner->prev_for_step(this);
	screen.show_settings = 1;
	screen.next_step = owner->next_for_step(this);
	const bool disc_read = sim_info.source == ins_src_dvd && sim_info.version != 0 && !sim_info.dvd_root.empty();
	screen.message = dvd_start_message(!all_skysuites.empty() || disc_read, sim_info.install_name);
	return this;
}

// ---- dvd_scenery_install

dvd_scenery_install::dvd_scenery_install(wizard_collection* owner)
	: wizard_func(owner, tr("Select Scenery"), "DVD Scenery Selection")
{
}

wizard_func* dvd_scenery_install::open()
{
	// The destination is new, so the scan finds nothing and ends at once.
	int next = 0;
	float progress = 0;
	int r;
	while ((r = checksum_directory(next, 0, progress)) == 0)
		sched_yield();
	if (r == 2) {
		std::string path;
		const err_code_t err = static_cast<err_code_t>(checksum_get_error(path));
		skyvane_log_write(log_error, "INS", "Scanning the new destination %s failed at %s: %s", dest_dir_path.c_str(),
		                  path.c_str(), error_str(err).c_str());
		checksum_directory_kill();
		owner->error_code = err;
		owner->error_text = error_str(err);
		return final_step(owner, this);
	}
	recalc_disk_sizes();
	return this;
}

wizard_func* dvd_scenery_install::go(wizard_screen& screen)
{
	screen.title = tr("Select Scenery");
	screen.message = tr("Click on the world map to select the scenery you would like to install. You can use this installer to add or remove scenery later. If you fly into an area with no scenery installed, you will see only ocean.");
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = UTIL_has_enough_disk_space() ? owner->next_for_step(this) : wiz_target_none;
	return this;
}

bool dvd_scenery_install::check_can_close(ins_btn_type cause)
{
	return cause == ins_btn_next ? UTIL_question_huge_dls() : true;
}

gui_widget_controller* dvd_scenery_install::build_screen_body()
{
	if (!g_bodies.scenery_picker)
		return nullptr;
	return g_bodies.scenery_picker(
		tr("You have enough free disk space to install Skyvane 11 with the selected scenery."),
		tr("You do not have enough free disk space to install Skyvane 11 with the selected scenery; change the install location to another hard drive or select less scenery."));
}

// ---- dvd_done_install

dvd_done_install::dvd_done_install(wizard_collection* owner)
	: wizard_func(owner, tr("Finish"), "DVD Installation Complete")
{
}

dvd_done_install::~dvd_done_install() { delete update_wizard; }

wizard_func* dvd_done_install::open()
{
	if (owner->error_code == 0) {
		delete update_wizard;
		update_wizard = new net_update_wizard(dest_dir_path, owner->steps.front(), 0);
	}
	return this;
}

std::string dvd_done_error_message(err_code_t code, const std::string& error_text)
{
	const std::string advice = UTL_http_is_error_bad_net(code)
		? tr("Please check your internet connection and try again, or contact Brightfold tech support at ")
		: tr("Please try the installer again later or contact Brightfold tech support at ");
	return tr("There was a problem installing Skyvane 11.") + " " + advice + vendor_support_email() + tr(" for help.") +
	       "\n\n" + final_step_technical_text(error_text);
}

wizard_func* dvd_done_install::go(wizard_screen& screen)
{
	screen.title = tr("Finished Installing Skyvane");
	screen.back_step = owner->steps.front();
	screen.next_step = wiz_target_quit;
	if (owner->error_code) {
		screen.message = dvd_done_error_message(owner->error_code, owner->error_text);
		return this;
	}
	screen.message = tr("Installation was successful.");
	// Discs are older than the latest release.
	if (sim_info.source == ins_src_dvd && update_wizard && !update_wizard->steps.empty()) {
		screen.choice_labels.push_back(tr("Check for Updates"));
		screen.choice_steps.push_back(update_wizard->steps.front());
	}
	screen.choice_labels.push_back(tr("Run Skyvane Now"));
	screen.choice_steps.push_back(wiz_target_run_sim);
	return this;
}

void dvd_done_install::close()
{
	owner->clear_error();
}

gui_widget_controller* dvd_done_install::build_screen_body()
{
	return owner->error_code && g_bodies.get_support ? g_bodies.get_support() : nullptr;
}

// ---- full_install_wizard

full_install_wizard::full_install_wizard(wizard_func* parent, int from_menu)
	: wizard_collection(parent), from_menu(from_menu)
{
	if (from_menu == 0)
		start = add_step(new dvd_start(this));

	get_info = add_step(new any_get_install_info_net(this, true, false, false, full_release_net_msgs()));

	any_pick_install_msgs pick_msgs;
	pick_msgs.default_name = tr("Skyvane 11");
	pick_msgs.empty_name = tr("Please pick a name for your Skyvane 11 installation.");
	pick_msgs.folder_prompt = tr("Pick a folder to install Skyvane 11 into.");
	pick_msgs.enough_space = tr("You have enough free disk space to install Skyvane 11 at this location.");
	pick_msgs.not_enough_space = tr("You do not have enough free disk space to install Skyvane 11 at this location.  You can install to a different location, or save disk space by installing only some of the global scenery.");
	pick = add_step(new any_pick_install(this, 0, 0, pick_msgs));

	eula = add_step(new see_eula(this));
	scenery = add_step(new dvd_scenery_install(this));

	any_run_install_msgs run_msgs;
	run_msgs.cancel_question = tr("Are you sure you want to cancel the installation?  This will delete the partially installed copy of Skyvane 11.");
	run_msgs.cancel_label = tr("Cancel");
	run_msgs.cancel_detail = tr("the installation and delete partial installation.");
	run_msgs.continue_label = tr("Continue");
	run_msgs.continue_detail = tr("the installation process.");
	run_msgs.title = tr("Installing Skyvane");
	run_msgs.disc_title = tr("Installing Scenery: Please Change DVDs");
	run_msgs.error_lead_in = tr("An error occurred during installation:");
	run_msgs.error_options = tr("You can continue with the installation and attempt to repair the damaged files later, or you can cancel the installation.");
	run_msgs.error_stop_label = tr("Cancel");
	run_msgs.error_stop_detail = tr("the install.");
	run_msgs.error_continue_label = tr("Continue");
	run_msgs.error_continue_detail = tr("the install.");
	run_install = add_step(new any_run_install(this, 1, run_msgs, ins_install_new));

	done = add_step(new dvd_done_install(this));
}
