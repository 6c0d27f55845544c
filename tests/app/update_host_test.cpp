// The unattended session's choice of button and exit status, with steps that stand in for
// menus, a stuck step, a work step and the final step.
#include "app/Installer-f/unattended/unattended_host.h"
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/ui/RADAVI_shell.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A step whose screen is set by the test: Continue on or off, menu rows, end-of-wizard.
class scripted_step : public wizard_func {
public:
	scripted_step(wizard_collection* w, const std::string& title, const std::string& name = "scripted")
		: wizard_func(w, title, name) {}
	wizard_func* go(wizard_screen& s) override
	{
		++frames;
		s.title = title;
		s.message = message;
		s.next_step = last ? wiz_target_quit : (continue_on ? owner->next_for_step(this) : wiz_target_none);
		for (size_t i = 0; i < rows.size(); ++i) {
			s.choice_labels.push_back("row " + std::to_string(i));
			s.choice_steps.push_back(rows[i]);
		}
		if (last && fly)
			s.choice_labels.push_back("Fly Skyvane Now"), s.choice_steps.push_back(wiz_target_run_sim);
		return frames_to_move > 0 && frames >= frames_to_move ? owner->next_for_step(this) : this;
	}
	int frames = 0;
	int frames_to_move = 0;  // a work step moves on by itself after this many frames
	bool continue_on = true;
	bool last = false;
	bool fly = false;
	std::string message;
	std::vector<wizard_func*> rows;
};

struct update_host : ::testing::Test {
	update_host() : wiz(nullptr), out(tmpfile()) { sim_is_done = false; }
	~update_host() override
	{
		std::fclose(out);
		sim_is_done = false;
	}
	scripted_step* add(const std::string& title, const std::string& name = "scripted")
	{
		return wiz.add_step(new scripted_step(&wiz, title, name));
	}
	int run(const unattended_options& opt, int max_turns = 500)
	{
		unattended_session s(opt, out);
		s.launcher = [] { return (launched = true); };
		s.start(wiz.steps.front());
		for (int i = 0; i < max_turns && !s.finished(); ++i)
			s.turn();
		last_step = s.driver().current();
		return s.status();
	}
	std::string output()
	{
		std::string text;
		std::rewind(out);
		char buf[4096];
		size_t n;
		while ((n = std::fread(buf, 1, sizeof buf, out)) > 0)
			text.append(buf, n);
		return text;
	}
	static inline bool launched = false;
	wizard_collection wiz;
	FILE* out;
	wizard_func* last_step = nullptr;
};

TEST_F(update_host, continue_through_to_the_final_step)
{
	add("One");
	scripted_step* work = add("Work", "Scan Existing Files");
	work->continue_on = false;
	work->frames_to_move = 40;  // longer than a non-work step may sit without Continue
	scripted_step* fin = add("Finish");
	fin->last = true;
	fin->message = "Finished updating /x/.";
	EXPECT_EQ(run(unattended_options()), unattended_ok);
	EXPECT_TRUE(sim_is_done);
	std::string text = output();
	EXPECT_NE(text.find("== One =="), std::string::npos) << text;
	EXPECT_NE(text.find("== Finish ==\nFinish\n  Finished updating /x/."), std::string::npos) << text;
}

TEST_F(update_host, final_step_with_an_error_is_status_1)
{
	add("One");
	add("Finish")->last = true;
	wiz.error_code = err_make(7, 1);
	EXPECT_EQ(run(unattended_options()), unattended_failed);
}

TEST_F(update_host, step_without_work_and_continue_off_ends_with_its_message)
{
	scripted_step* disk = add("Check Disk Space");
	disk->continue_on = false;
	disk->message = "Please free some space on your hard drive.";
	add("Finish")->last = true;
	EXPECT_EQ(run(unattended_options()), unattended_failed);
	EXPECT_EQ(last_step, disk);
	std::string text = output();
	EXPECT_NE(text.find("cannot go on by itself: Check Disk Space"), std::string::npos) << text;
	EXPECT_NE(text.find("! Please free some space on your hard drive."), std::string::npos) << text;
}

TEST_F(update_host, menu_row_by_choice_and_stuck_without_one)
{
	const struct {
		int choice;
		int status;
		const char* reached;
	} cases[] = {{1, unattended_ok, "B"}, {-1, unattended_failed, "Menu"}, {7, unattended_failed, "Menu"}};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.choice);
		wizard_collection branches(nullptr);
		scripted_step* a = branches.add_step(new scripted_step(&branches, "A"));
		scripted_step* b = branches.add_step(new scripted_step(&branches, "B"));
		a->last = b->last = true;
		wizard_collection menu(nullptr);
		scripted_step* m = menu.add_step(new scripted_step(&menu, "Menu"));
		m->continue_on = false;
		m->rows = {a, b};
		unattended_options opt;
		opt.choice = c.choice;
		unattended_session s(opt, out);
		s.start(m);
		for (int i = 0; i < 200 && !s.finished(); ++i)
			s.turn();
		EXPECT_EQ(s.status(), c.status);
		EXPECT_EQ(s.driver().current()->title, c.reached);
		sim_is_done = false;
	}
}

TEST_F(update_host, launch_takes_the_fly_row)
{
	scripted_step* fin = add("Finish");
	fin->last = true;
	fin->fly = true;
	unattended_options opt;
	opt.launch = true;
	launched = false;
	EXPECT_EQ(run(opt), unattended_ok);
	EXPECT_TRUE(launched);

	launched = false;
	EXPECT_EQ(run(unattended_options()), unattended_ok);
	EXPECT_FALSE(launched) << "without --launch the final step quits";
}

}  // namespace
