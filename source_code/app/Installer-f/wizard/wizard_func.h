#pragma once
// One step of a wizard, asked once per frame what the window shows and where to go next.
#include <cstdint>
#include <string>

class wizard_collection;
struct wizard_screen;
class gui_widget_controller;

// The cause of a requested change of step.
enum ins_btn_type {
	ins_btn_cancel = 0,  // the Cancel button
	ins_btn_back = 1,    // Back or Escape
	ins_btn_next = 2,    // Continue, Return or a menu row
	ins_btn_none = 3     // the step's own go() result: check_can_close is not asked
};

class wizard_func {
public:
	wizard_func(wizard_collection* owner, const std::string& title, const std::string& name)
		: owner(owner), title(title), name(name) {}
	virtual ~wizard_func() = default;
	wizard_func(const wizard_func&) = delete;
	wizard_func& operator=(const wizard_func&) = delete;

	// Fills the screen for this frame; returns this to stay, another step, or a special target.
	// Never none.
	virtual wizard_func* go(wizard_screen& screen) = 0;
	// A new controller for the step's own body area, or none.
	virtual gui_widget_controller* build_screen_body() { return nullptr; }
	// About to become current: this to accept, or the step to show instead.
	virtual wizard_func* open() { return this; }
	virtual void close() {}
	// Asked before a user button leaves this step.
	virtual bool check_can_close(ins_btn_type cause) { return true; }
	// Back from a later step passes over this one (automatic work steps).
	virtual bool skip_back() { return false; }

	wizard_collection* const owner;
	std::string title;  // translated; shown in the step list and in step-change log lines
	std::string name;   // internal, for the start-up log line
};

// Targets that are not steps. They are compared, never dereferenced.
inline wizard_func* const wiz_target_none = nullptr;                                // button disabled
inline wizard_func* const wiz_target_quit = reinterpret_cast<wizard_func*>(uintptr_t{1});  // end of the wizard
inline wizard_func* const wiz_target_run_sim = reinterpret_cast<wizard_func*>(uintptr_t{3});  // launch the simulator and quit

// True for a pointer to a real step.
inline bool wiz_is_step(const wizard_func* target)
{
	return target != wiz_target_none && target != wiz_target_quit && target != wiz_target_run_sim;
}
