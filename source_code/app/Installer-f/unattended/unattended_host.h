#pragma once
// The unattended mode: the wizards run without a window. Step titles, messages, menu rows and
// progress go to a stream; Continue is pressed whenever it is enabled; questions are answered
// from the options. Exit status 0 (no error), 1 (the final step reports an error, or a step
// cannot go on by itself), 3 (a question's answer cancelled the run).
#include <cstdio>
#include <string>

#include "app/Installer-f/unattended/unattended_options.h"
#include "app/Installer-f/wizard/wizard_driver.h"

enum { unattended_running = -1, unattended_ok = 0, unattended_failed = 1, unattended_cancelled = 3 };

class unattended_session : public wizard_host {
public:
	unattended_session(const unattended_options& options, FILE* out);
	~unattended_session() override;

	// Installs the question answerers and opens the first step.
	void start(wizard_func* first);
	// One frame of the wizard, then the choice of button. Does nothing once finished.
	void turn();
	bool finished() const { return status_ != unattended_running; }
	int status() const { return status_; }

	// wizard_host
	void replace_body(wizard_func* new_step) override;
	void quit() override;
	bool launch_sim() override;

	wizard_driver& driver() { return driver_; }

	// Seams for tests: the clock the disc wait is measured by (seconds) and the simulator launch.
	double (*clock)() = nullptr;
	bool (*launcher)() = nullptr;

private:
	void print_screen();
	void print_header(wizard_func* step);
	void print_pending();
	void finish(int status, const std::string& why);
	bool handle_special_step(wizard_func* step);
	void apply_regions();
	bool is_work_step(const wizard_func* step) const;

	unattended_options opt_;
	FILE* out_;
	wizard_driver driver_;
	int status_ = unattended_running;
	bool cancelled_by_answer_ = false;
	int idle_frames_ = 0;
	double disc_wait_start_ = -1;
	wizard_func* printed_step_ = nullptr;
	wizard_func* pending_step_ = nullptr;  // became current during the last change
	std::string printed_title_, printed_message_, printed_progress_text_;
	int printed_percent_ = -100;
	size_t printed_rows_ = 0;
	double last_repeat_ = -1e9;
	wizard_func* regions_step_ = nullptr;  // the map step whose regions this visit has set
};

// The whole run for main: the loop until the session ends; returns the exit status.
int unattended_run(wizard_func* first, const unattended_options& options);
