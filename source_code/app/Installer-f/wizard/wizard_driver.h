#pragma once
// The change-of-step rule and the per-frame turn of a wizard, shared by the window and the
// unattended mode. What differs between them (showing a body, quitting, starting the
// simulator) goes through wizard_host.
#include "app/Installer-f/wizard/wizard_func.h"
#include "app/Installer-f/wizard/wizard_screen.h"

#include <string>
#include <vector>

class wizard_host {
public:
	virtual ~wizard_host() = default;
	// The current step changed: drop the old body and show new_step's (build_screen_body()).
	virtual void replace_body(wizard_func* new_step) = 0;
	// End the application (the main loop finishes its turn).
	virtual void quit() = 0;
	// Start dest_dir_path + launch_app_name; returns false when it could not be started.
	// The default hands it to launch_app, which on success shuts down and ends the process.
	virtual bool launch_sim();
};

class wizard_driver {
public:
	explicit wizard_driver(wizard_host* host = nullptr) : host_(host) {}
	void set_host(wizard_host* host) { host_ = host; }

	// Start-up: open first (following steps that open to another one) and make the result
	// current, logging each opened step's internal name. The body is given to the host when
	// one is attached; a host attached later shows current()'s body itself.
	void open_first(wizard_func* first);

	// The change rule: ask check_can_close for user causes, close, then launch, quit or open
	// the target hop by hop. Nothing happens for none, for the current step or when refused.
	void request_wizard_change(wizard_func* target, ins_btn_type cause);

	// One frame: reset the screen, let the current step fill it, apply what go() returned.
	void run_frame();

	// User buttons, acting on the screen of the last frame.
	void press_back();
	void press_continue();
	void press_choice(int row);  // rows that are not shown or have no target do nothing
	void press_cancel();

	wizard_func* current() const { return current_; }
	const wizard_screen& screen() const { return screen_; }
	// Titles of the current step's wizard and the current step's position there (-1 if absent).
	void step_list(std::vector<std::string>& titles, int& current_index) const;

private:
	void open_chain(wizard_func* target, const std::string& from);

	wizard_host* host_;
	wizard_func* current_ = nullptr;
	wizard_screen screen_;
};
