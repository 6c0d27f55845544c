#include "app/Installer-f/unattended/unattended_host.h"

#include <cmath>

#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/flows/questions.h"
#include "app/Installer-f/flows/steps/any_pick_install.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/see_eula.h"
#include "app/Installer-f/scenery/world_map_regions.h"
#include "app/Installer-f/shell/RADAVI_loop.h"
#include "app/Installer-f/wizard/wizard_collection.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/app_clock.h"
#include "core/ui/log.h"

namespace {
// A step that runs no work and keeps Continue disabled this many frames cannot go on.
constexpr int k_stuck_frames = 30;
// Texts of a running work step change every frame; they are printed this often at most.
constexpr double k_repeat_seconds = 2.0;

unattended_session* g_session = nullptr;

void session_frame()
{
	g_session->turn();
	if (g_session->finished())
		sim_is_done = true;
}

void print_lines(FILE* out, const std::string& prefix, const std::string& text)
{
	std::string::size_type start = 0;
	while (start <= text.size()) {
		std::string::size_type nl = text.find('\n', start);
		std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
		std::fprintf(out, "%s%s\n", prefix.c_str(), line.c_str());
		if (nl == std::string::npos)
			break;
		start = nl + 1;
	}
}
}  // namespace

unattended_session::unattended_session(const unattended_options& options, FILE* out)
	: opt_(options), out_(out), driver_(this)
{
}

unattended_session::~unattended_session()
{
	set_abort_answerer(nullptr);
	set_file_modified_answerer(nullptr);
	if (g_session == this)
		g_session = nullptr;
}

void unattended_session::start(wizard_func* first)
{
	set_abort_answerer([this](const abort_question& q) {
		bool abort = false;
		if (q.kind == question_install_error)
			abort = !opt_.on_error_continue;
		// A cancel question only follows a button, which this mode never presses while work runs;
		// the very large download is answered "Continue Install".
		std::fprintf(out_, "? %s\n", q.title.c_str());
		print_lines(out_, "?   ", q.message);
		std::fprintf(out_, "? -> %s\n", abort ? q.abort_label.c_str() : q.continue_label.c_str());
		std::fflush(out_);
		return abort;
	});
	set_file_modified_answerer([this](const std::string& path, bool is_delete) {
		static const char* const names[] = {"replace", "keep", "", "", "cancel"};
		std::fprintf(out_, "? %s was changed%s -> %s\n", path.c_str(), is_delete ? " (obsolete)" : "",
		             names[opt_.on_modified]);
		std::fflush(out_);
		if (opt_.on_modified == 4)
			cancelled_by_answer_ = true;
		return opt_.on_modified;
	});
	driver_.open_first(first);
	if (driver_.current() && driver_.current() != printed_step_)
		print_header(driver_.current());
}

double unattended_session_now(double (*clock)()) { return clock ? clock() : app_clock_now(); }

bool unattended_session::is_work_step(const wizard_func* step) const
{
	// Automatic steps move on by themselves; Continue stays disabled while they run.
	return step->name == "Get Installation Info from Internet" || step->name == "Scan Existing Files" ||
	       step->name == "Run Install";
}

void unattended_session::finish(int status, const std::string& why)
{
	if (finished())
		return;
	status_ = status;
	if (!why.empty())
		print_lines(out_, "! ", why);
	std::fprintf(out_, "Exit status %d\n", status);
	std::fflush(out_);
	skyvane_log_write(status ? 2 : 1, "WIZ", "Unattended run ends with status %d", status);
}

void unattended_session::print_header(wizard_func* step)
{
	printed_step_ = step;
	printed_title_.clear();
	printed_message_.clear();
	printed_progress_text_.clear();
	printed_percent_ = -100;
	printed_rows_ = 0;
	std::fprintf(out_, "\n== %s ==\n", step ? step->title.c_str() : "");
	std::fflush(out_);
}

void unattended_session::print_screen()
{
	// The screen of the last frame belongs to printed_step_ even when go() moved on.
	const wizard_screen& s = driver_.screen();
	wizard_func* cur = printed_step_;
	double now = unattended_session_now(clock);
	bool may_repeat = now - last_repeat_ >= k_repeat_seconds;
	bool printed = false;
	if (s.title != printed_title_) {
		printed_title_ = s.title;
		std::fprintf(out_, "%s\n", s.title.c_str());
		printed = true;
	}
	if (s.message != printed_message_ && (printed_message_.empty() || may_repeat || !is_work_step(cur))) {
		printed_message_ = s.message;
		print_lines(out_, "  ", s.message);
		printed = true;
	}
	if (s.choice_labels.size() != printed_rows_) {
		printed_rows_ = s.choice_labels.size();
		for (size_t i = 0; i < s.choice_labels.size() && i < wiz_max_choice_rows; ++i)
			std::fprintf(out_, "  [%zu] %s\n", i, s.choice_labels[i].c_str());
		printed = true;
	}
	if (s.progress > 0) {
		int percent = static_cast<int>(std::floor(s.progress * 100.0f));
		bool moved = std::abs(percent - printed_percent_) >= 5 || (percent == 100 && printed_percent_ != 100);
		if (moved || (s.progress_text != printed_progress_text_ && may_repeat && percent != printed_percent_)) {
			printed_percent_ = percent;
			printed_progress_text_ = s.progress_text;
			if (s.progress_text.empty())
				std::fprintf(out_, "  %3d%%\n", percent);
			else
				std::fprintf(out_, "  %3d%% %s\n", percent, s.progress_text.c_str());
			printed = true;
		}
	}
	if (printed) {
		last_repeat_ = now;
		std::fflush(out_);
	}
}

// The map screen's own start (the covering search over stg.wrl_sel), then --regions, written
// back into stg.wrl_sel as the map's first frame would.
void unattended_session::apply_regions()
{
	world_map_regions map;
	if (opt_.regions == "all") {
		map.btn_command_received(0);
	} else if (opt_.regions == "none") {
		map.btn_command_received(1);
	} else if (opt_.regions != "default") {
		region_flag_map& flags = *map.region_flags();
		for (auto& [region, on] : flags)
			on = false;
		for (int r : opt_.region_list)
			if (r >= 0 && r < region_count)
				flags[static_cast<region_t>(r)] = true;
	}
	map.pre_per_frame();
	recalc_disk_sizes();
	std::string names;
	for (region_t r : map.selected_regions())
		names += (names.empty() ? "" : ", ") + std::string(s_region_names[r]);
	std::fprintf(out_, "  Regions: %s\n", names.empty() ? "none" : names.c_str());
	std::fflush(out_);
}

bool unattended_session::handle_special_step(wizard_func* step)
{
	if (step->name == "DVD Scenery Selection" || step->name == "Select Scenery to Add or Remove") {
		if (regions_step_ == step)
			return false;
		regions_step_ = step;
		apply_regions();
		return true;  // Continue is judged on the next frame, with the new disk-space figures
	}
	if (step->name == "EULA") {
		if (opt_.accept_eula)
			static_cast<see_eula*>(step)->agreed = 1;
		return false;
	}
	if (step->name == "Pick Installation") {
		any_pick_install* pick = static_cast<any_pick_install*>(step);
		bool changed = false;
		if (!opt_.dest_parent.empty() && pick->parent_folder != opt_.dest_parent) {
			pick->parent_folder = opt_.dest_parent;
			changed = true;
		}
		if (!opt_.dest_name.empty() && pick->install_name != opt_.dest_name) {
			pick->install_name = opt_.dest_name;
			changed = true;
		}
		if (changed) {
			pick->recheck = 1;
			return true;  // judge Continue after the step has validated the new choice
		}
		return false;
	}
	if (step->name == "Run Install") {
		any_run_install* run = static_cast<any_run_install*>(step);
		if (!run->waiting_for_disc) {
			disc_wait_start_ = -1;
			return false;
		}
		double now = unattended_session_now(clock);
		if (disc_wait_start_ < 0)
			disc_wait_start_ = now;
		else if (now - disc_wait_start_ > opt_.disc_wait) {
			char why[128];
			std::snprintf(why, sizeof why, "The requested disc was not inserted within %.0f seconds.", opt_.disc_wait);
			finish(unattended_failed, why);
		}
		return true;
	}
	return false;
}

void unattended_session::turn()
{
	if (finished())
		return;
	print_pending();  // a button of the last turn changed the step
	wizard_func* before = driver_.current();
	driver_.run_frame();
	if (printed_step_ == before)
		print_screen();
	print_pending();
	if (finished())
		return;
	wizard_func* cur = driver_.current();
	if (!cur) {
		finish(unattended_failed, "No wizard step is open.");
		return;
	}
	// The step moved on by itself: this frame's screen was the old step's.
	if (cur != before) {
		idle_frames_ = 0;
		return;
	}
	const wizard_screen& s = driver_.screen();

	if (s.next_step == wiz_target_quit) {
		// A final screen whose row leads on into another wizard (the update after a disc
		// install) is a menu: --choice takes that row.
		if (!cancelled_by_answer_ && !cur->owner->error_code && opt_.choice >= 0 &&
		    opt_.choice < static_cast<int>(s.choice_steps.size()) && opt_.choice < wiz_max_choice_rows &&
		    wiz_is_step(s.choice_steps[opt_.choice])) {
			driver_.press_choice(opt_.choice);
			idle_frames_ = 0;
			return;
		}
		int st = cancelled_by_answer_ ? unattended_cancelled
		                              : (cur->owner->error_code ? unattended_failed : unattended_ok);
		if (opt_.launch && st == unattended_ok) {
			for (size_t i = 0; i < s.choice_steps.size(); ++i)
				if (s.choice_steps[i] == wiz_target_run_sim) {
					finish(st, "");
					driver_.press_choice(static_cast<int>(i));
					return;
				}
		}
		finish(st, "");
		driver_.press_continue();
		return;
	}
	if (cancelled_by_answer_ && !is_work_step(cur)) {
		finish(unattended_cancelled, "The run was cancelled by the answer to a question.");
		return;
	}
	if (handle_special_step(cur) || finished()) {
		idle_frames_ = 0;
		return;
	}
	if (!s.choice_steps.empty() && opt_.choice >= 0) {
		if (static_cast<size_t>(opt_.choice) < s.choice_steps.size() && opt_.choice < wiz_max_choice_rows &&
		    s.choice_steps[opt_.choice] != wiz_target_none) {
			driver_.press_choice(opt_.choice);
			idle_frames_ = 0;
			return;
		}
	}
	if (s.next_step != wiz_target_none) {
		driver_.press_continue();
		idle_frames_ = 0;
		return;
	}
	if (is_work_step(cur)) {
		idle_frames_ = 0;
		return;
	}
	if (++idle_frames_ >= k_stuck_frames) {
		std::string why = "This step cannot go on by itself: " + cur->title;
		if (!s.choice_steps.empty())
			why += " (a menu: give --choice=N)";
		if (!s.message.empty())
			why += "\n" + s.message;
		finish(unattended_failed, why);
	}
}

void unattended_session::replace_body(wizard_func* new_step)
{
	pending_step_ = new_step;
	regions_step_ = nullptr;  // a map step that becomes current again is a new visit
}

void unattended_session::print_pending()
{
	if (pending_step_ && pending_step_ != printed_step_)
		print_header(pending_step_);
	pending_step_ = nullptr;
}

void unattended_session::quit()
{
	if (!finished())
		finish(cancelled_by_answer_ ? unattended_cancelled : unattended_ok, "");
	sim_is_done = true;
}

bool unattended_session::launch_sim()
{
	if (launcher)
		return launcher();
	return wizard_host::launch_sim();
}

int unattended_run(wizard_func* first, const unattended_options& options)
{
	unattended_session session(options, stdout);
	g_session = &session;
	APP_set_frame_work(session_frame);
	session.start(first);
	if (!session.finished())
		RADAVI_run_loop_without_window();
	APP_set_frame_work(nullptr);
	return session.status();
}
