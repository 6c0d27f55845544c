#include "app/Installer-f/flows/demo/demo_install_wizard.h"

#include "app/Installer-f/flows/final_step_texts.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/flows/steps/any_get_install_info_net.h"
#include "app/Installer-f/flows/steps/any_pick_install.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/see_eula.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/files/paths.h"
#include "core/installer/vendor_hosts.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/translate.h"

namespace {
demo_done_support_body_fn g_support_body = nullptr;

std::string tr(const char* text) { return UTL_translate_string(text); }
}  // namespace

void demo_install_set_support_body(demo_done_support_body_fn fn) { g_support_body = fn; }

// ---- demo_done

demo_done::demo_done(wizard_collection* owner) : wizard_func(owner, tr("Finish"), "Finished Demo Installation") {}

std::string demo_done_error_message(err_code_t code, const std::string& error_text)
{
	const std::string lead = UTL_http_is_error_bad_net(code)
		? tr("There was a problem installing the Skyvane 11 Demo. Please check your internet connection and try again, or contact Brightfold tech support at ") +
		      vendor_support_email() + tr(" for help.")
		: tr("There was a problem installing the Skyvane 11 Demo. Please try the demo installer again later or contact Brightfold tech support for help.");
	return lead + "\n\n" + final_step_technical_text(error_text);
}

wizard_func* demo_done::go(wizard_screen& screen)
{
	screen.title = tr("Finshed Web Demo Install");
	screen.back_step = wiz_target_none;
	screen.next_step = wiz_target_quit;
	if (owner->error_code) {
		screen.message = demo_done_error_message(owner->error_code, owner->error_text);
		return this;
	}
	std::string path = dest_dir_path;
	set_path_to_os_native_dirchars(path);
	screen.message = UTL_string_sub(tr("The Skyvane 11 Demo has finished installing at: %1:file path%."), path);
	screen.choice_labels.push_back(tr("Fly Skyvane 11 Now"));
	screen.choice_steps.push_back(wiz_target_run_sim);
	return this;
}

void demo_done::close()
{
	owner->clear_error();
}

gui_widget_controller* demo_done::build_screen_body()
{
	return owner->error_code && g_support_body ? g_support_body() : nullptr;
}

// ---- demo_install_wizard

demo_install_wizard::demo_install_wizard(wizard_func* parent) : wizard_collection(parent)
{
	eula = add_step(new see_eula(this));

	any_get_install_info_net_msgs net_msgs;
	net_msgs.title = tr("Check Servers");
	net_msgs.contacting = tr("Contacting ") + vendor_site_name() + tr(" to find a demo server.");
	net_msgs.downloading = tr("Downloading demo information from %1:server name%.");
	net_msgs.progress = tr("Checking the net for the latest version of Skyvane 11 right now, and I am %1:progress%% done checking.");
	// Neither full nor beta: the demo is the simulator of the current final release.
	get_info = add_step(new any_get_install_info_net(this, false, true, false, net_msgs));

	any_pick_install_msgs pick_msgs;
	pick_msgs.default_name = tr("Skyvane 11");
	pick_msgs.empty_name = tr("Please pick a name for your Skyvane 11 Demo installation. ");
	pick_msgs.folder_prompt = tr("Pick a folder to install the Skyvane 11 Demo into.");
	pick_msgs.enough_space = tr("You have enough free disk space to install the Skyvane 11 Demo at this location.");
	pick_msgs.not_enough_space = tr("You do not have enough free disk space to install the Skyvane 11 Demo at this location. You can change the install location to a drive with more free disk space.");
	pick = add_step(new any_pick_install(this, 1, 1, pick_msgs));

	any_run_install_msgs run_msgs;
	run_msgs.cancel_question = tr("Are you sure you want to cancel the installation? This will delete the partially installed copy of the Skyvane 11 Demo.");
	run_msgs.cancel_label = tr("Cancel");
	run_msgs.cancel_detail = tr("the demo installation and delete partial installation.");
	run_msgs.continue_label = tr("Continue");
	run_msgs.continue_detail = tr("the demo installation process.");
	run_msgs.title = tr("Installing Skyvane 11 Demo");
	// No disc change in the demo: disc_title stays empty.
	run_msgs.error_lead_in = tr("An error occurred during installation:");
	run_msgs.error_options = tr("You can continue with the installation and attempt to repair the damaged files later, or you can cancel the installation.");
	run_msgs.error_stop_label = tr("Cancel");
	run_msgs.error_stop_detail = tr("the install.");
	run_msgs.error_continue_label = tr("Continue");
	run_msgs.error_continue_detail = tr("the install.");
	run_install = add_step(new any_run_install(this, 1, run_msgs, ins_install_new));

	done = add_step(new demo_done(this));
}
