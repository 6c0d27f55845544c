#include "app/Installer-f/wizard/wizard_driver.h"

#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/wizard/wizard_collection.h"
#include "core/files/launch_app.h"
#include "core/ui/log.h"

bool wizard_host::launch_sim()
{
	return launch_app(dest_dir_path + launch_app_name, "", 1) != -1;
}

namespace {

// A step must open to a step; anything else is taken as accepting the one asked for, so a
// faulty step can never leave the wizard without a current step.
wizard_func* checked_open(wizard_func* target)
{
	wizard_func* r = target->open();
	if (!wiz_is_step(r)) {
		skyvane_log_write(log_error, "WIZ", "Wizard step \"%s\" opened to no step; it stays current",
		                  target->title.c_str());
		return target;
	}
	return r;
}

}  // namespace

void wizard_driver::open_first(wizard_func* first)
{
	if (!wiz_is_step(first))
		return;
	wizard_func* target = first;
	for (;;) {
		wizard_func* r = checked_open(target);
		skyvane_log_write(log_debug, "WIZ", "Starting installer... opening wizard step \"%s\"", r->name.c_str());
		if (r == target)
			break;
		target = r;
	}
	current_ = target;
	if (host_)
		host_->replace_body(current_);
}

void wizard_driver::open_chain(wizard_func* target, const std::string& from_title)
{
	std::string from = from_title;
	for (;;) {
		wizard_func* r = checked_open(target);
		current_ = r;
		skyvane_log_write(log_debug, "WIZ", "Advancing from wizard step \"%s\" to \"%s\"", from.c_str(),
		                  r->title.c_str());
		from = r->title;
		if (r == target)
			break;
		target = r;
	}
}

void wizard_driver::request_wizard_change(wizard_func* target, ins_btn_type cause)
{
	if (target == wiz_target_none)
		return;
	if (!current_) {
		// No step yet: only a real step can be opened.
		if (wiz_is_step(target))
			open_first(target);
		return;
	}
	bool allowed = cause == ins_btn_none || current_->check_can_close(cause);
	if (target == current_ || !allowed)
		return;
	current_->close();
	if (target == wiz_target_run_sim) {
		// On success the process ends inside; a failed launch leaves the closed step current.
		if (host_)
			host_->launch_sim();
		return;
	}
	if (target == wiz_target_quit) {
		if (host_)
			host_->quit();
		return;
	}
	open_chain(target, current_->title);
	if (host_)
		host_->replace_body(current_);
}

void wizard_driver::run_frame()
{
	if (!current_)
		return;
	screen_.reset();
	wizard_func* result = current_->go(screen_);
	request_wizard_change(result, ins_btn_none);
}

void wizard_driver::press_back()
{
	if (screen_.back_step)
		request_wizard_change(screen_.back_step, ins_btn_back);
}

void wizard_driver::press_continue()
{
	if (screen_.next_step == wiz_target_quit) {
		if (host_)
			host_->quit();
		return;
	}
	if (screen_.next_step)
		request_wizard_change(screen_.next_step, ins_btn_next);
}

void wizard_driver::press_choice(int row)
{
	if (row < 0 || row >= wiz_max_choice_rows || row >= static_cast<int>(screen_.choice_steps.size()) ||
	    row >= static_cast<int>(screen_.choice_labels.size()))
		return;
	if (screen_.choice_steps[row])
		request_wizard_change(screen_.choice_steps[row], ins_btn_next);
}

void wizard_driver::press_cancel()
{
	if (!current_ || !current_->check_can_close(ins_btn_cancel))
		return;
	current_->close();
	if (host_)
		host_->quit();
}

void wizard_driver::step_list(std::vector<std::string>& titles, int& current_index) const
{
	titles.clear();
	current_index = -1;
	if (!current_ || !current_->owner)
		return;
	for (const wizard_func* s : current_->owner->steps)
		titles.push_back(s->title);
	current_index = current_->owner->index_of(current_);
}
