// The wizard model: Back and Continue targets, and the change-of-step rule as the driver
// applies it, checked through the steps' calls, the host's calls and the log lines.
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_driver.h"
#include "base/log_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class fake_step : public wizard_func {
public:
	fake_step(wizard_collection* w, const std::string& title) : wizard_func(w, title, "name:" + title) {}

	wizard_func* go(wizard_screen& s) override
	{
		++gos;
		s.back_step = owner->prev_for_step(this);
		s.next_step = owner->next_for_step(this);
		s.choice_labels = labels;
		s.choice_steps = choices;
		return go_to ? go_to : this;
	}
	wizard_func* open() override
	{
		++opens;
		return open_to ? open_to : this;
	}
	void close() override { ++closes; }
	bool check_can_close(ins_btn_type cause) override
	{
		asked.push_back(cause);
		return can_close;
	}
	bool skip_back() override { return skips; }

	bool skips = false;
	bool can_close = true;
	wizard_func* open_to = nullptr;  // null: accept
	wizard_func* go_to = nullptr;    // null: stay
	std::vector<std::string> labels;
	std::vector<wizard_func*> choices;
	int gos = 0, opens = 0, closes = 0;
	std::vector<ins_btn_type> asked;
};

class fake_wizard : public wizard_collection {
public:
	fake_wizard(wizard_func* parent, const std::vector<std::string>& titles) : wizard_collection(parent)
	{
		for (const std::string& t : titles)
			add_step(new fake_step(this, t));
	}
	fake_step* at(int i) { return static_cast<fake_step*>(steps[i]); }
};

class fake_host : public wizard_host {
public:
	void replace_body(wizard_func* s) override { bodies.push_back(s); }
	void quit() override { ++quits; }
	bool launch_sim() override
	{
		++launches;
		return false;
	}
	std::vector<wizard_func*> bodies;
	int quits = 0, launches = 0;
};

TEST(wizard_collection, back_targets)
{
	fake_wizard menu(nullptr, {"Menu"});
	wizard_func* parent = menu.steps[0];
	// skips: which of A, B, C, D skip back; from: the step Back is asked for;
	// expected: index of the target, -1 the parent, -2 none.
	struct {
		bool has_parent;
		std::vector<bool> skips;
		int from;
		int expected;
	} cases[] = {
		{false, {false, false, false, false}, 0, -2},  // first step, no parent: Back disabled
		{true, {false, false, false, false}, 0, -1},
		{true, {false, false, false, false}, 2, 1},
		{false, {false, true, true, false}, 3, 0},      // B and C skipped
		{true, {true, true, true, false}, 3, -1},       // every earlier step skips
		{false, {true, true, true, false}, 3, -2},
		{true, {false, true, false, false}, 2, 0},
		{true, {false, false, false, true}, 1, 0},      // a skipping step itself still goes back
	};
	for (const auto& c : cases) {
		fake_wizard w(c.has_parent ? parent : nullptr, {"A", "B", "C", "D"});
		for (int i = 0; i < 4; ++i)
			w.at(i)->skips = c.skips[i];
		wizard_func* want = c.expected >= 0 ? w.steps[c.expected] : (c.expected == -1 ? parent : nullptr);
		EXPECT_EQ(w.prev_for_step(w.steps[c.from]), want) << "from " << c.from << " expected " << c.expected;
	}
}

TEST(wizard_collection, next_targets_and_foreign_steps)
{
	fake_wizard w(nullptr, {"A", "B", "C"});
	fake_wizard other(nullptr, {"X"});
	EXPECT_EQ(w.next_for_step(w.steps[0]), w.steps[1]);
	EXPECT_EQ(w.next_for_step(w.steps[2]), wiz_target_quit);  // the last step's Continue reads "Quit"
	EXPECT_EQ(w.next_for_step(other.steps[0]), wiz_target_none);
	EXPECT_EQ(w.prev_for_step(other.steps[0]), wiz_target_none);
	EXPECT_EQ(w.next_for_step(wiz_target_quit), wiz_target_none);

	fake_wizard empty(other.steps[0], {});
	EXPECT_EQ(empty.prev_for_step(other.steps[0]), wiz_target_none);
	EXPECT_EQ(empty.next_for_step(other.steps[0]), wiz_target_none);

	EXPECT_FALSE(wiz_is_step(wiz_target_none));
	EXPECT_FALSE(wiz_is_step(wiz_target_quit));
	EXPECT_FALSE(wiz_is_step(wiz_target_run_sim));
	EXPECT_TRUE(wiz_is_step(w.steps[0]));
}

TEST(wizard_collection, deletes_its_steps_in_order)
{
	static std::vector<std::string> deleted;
	deleted.clear();
	struct noting_step : fake_step {
		using fake_step::fake_step;
		~noting_step() override { deleted.push_back(title); }
	};
	{
		wizard_collection w(nullptr);
		for (const char* t : {"A", "B", "C"})
			w.add_step(new noting_step(&w, t));
	}
	EXPECT_EQ(deleted, std::vector<std::string>({"A", "B", "C"}));
}

// A wizard A, B, C, D with its driver on A, and the log going to a fresh file.
class wizard_driver_test : public log_file_test {
protected:
	void SetUp() override
	{
		log_file_test::SetUp();
		w_ = std::make_unique<fake_wizard>(nullptr, std::vector<std::string>{"A", "B", "C", "D"});
		d_.set_host(&host_);
		d_.open_first(step(0));
		reset_counts();
	}
	fake_step* step(int i) { return w_->at(i); }
	void reset_counts()
	{
		for (wizard_func* s : w_->steps) {
			fake_step* f = static_cast<fake_step*>(s);
			f->gos = f->opens = f->closes = 0;
			f->asked.clear();
		}
		host_.bodies.clear();
		host_.quits = host_.launches = 0;
		skyvane_log_flush();
		log_mark_ = file().size();
	}
	// The WIZ messages logged since the last reset_counts().
	std::vector<std::string> wiz_lines()
	{
		skyvane_log_flush();
		std::string text = file().substr(log_mark_);
		std::vector<std::string> out;
		const std::string tag = "D/WIZ: ";
		for (size_t p = 0; (p = text.find(tag, p)) != std::string::npos;) {
			size_t start = p + tag.size();
			size_t end = text.find('\n', start);
			out.push_back(text.substr(start, end - start));
			p = end;
		}
		return out;
	}

	std::unique_ptr<fake_wizard> w_;
	fake_host host_;
	wizard_driver d_;
	size_t log_mark_ = 0;
};

TEST_F(wizard_driver_test, open_first_follows_skips_and_logs_internal_names)
{
	skyvane_log_flush();
	fake_wizard w(nullptr, {"X", "Y"});
	w.at(0)->open_to = w.at(1);
	wizard_driver d(&host_);
	d.open_first(w.at(0));
	EXPECT_EQ(d.current(), w.at(1));
	EXPECT_EQ(w.at(0)->opens, 1);
	EXPECT_EQ(w.at(1)->opens, 1);
	EXPECT_EQ(wiz_lines(), std::vector<std::string>({"Starting installer... opening wizard step \"name:Y\"",
	                                                 "Starting installer... opening wizard step \"name:Y\""}));
	EXPECT_EQ(host_.bodies, std::vector<wizard_func*>({w.at(1)}));
}

TEST_F(wizard_driver_test, open_chain_logs_hop_by_hop_and_opens_each_once)
{
	fake_step* x = step(1);
	fake_step* y = step(2);
	x->open_to = y;
	d_.request_wizard_change(x, ins_btn_next);
	EXPECT_EQ(d_.current(), y);
	EXPECT_EQ(step(0)->closes, 1);
	EXPECT_EQ(x->opens, 1);
	EXPECT_EQ(y->opens, 1);
	EXPECT_EQ(x->closes, 0);
	// X's title ("B") is never logged.
	EXPECT_EQ(wiz_lines(), std::vector<std::string>({"Advancing from wizard step \"A\" to \"C\"",
	                                                 "Advancing from wizard step \"C\" to \"C\""}));
	EXPECT_EQ(host_.bodies, std::vector<wizard_func*>({y}));
}

TEST_F(wizard_driver_test, longer_chain)
{
	step(1)->open_to = step(2);
	step(2)->open_to = step(3);
	d_.request_wizard_change(step(1), ins_btn_none);
	EXPECT_EQ(d_.current(), step(3));
	EXPECT_EQ(wiz_lines(), std::vector<std::string>({"Advancing from wizard step \"A\" to \"C\"",
	                                                 "Advancing from wizard step \"C\" to \"D\"",
	                                                 "Advancing from wizard step \"D\" to \"D\""}));
}

TEST_F(wizard_driver_test, step_that_stays_is_left_alone)
{
	for (int i = 0; i < 5; ++i)
		d_.run_frame();
	EXPECT_EQ(d_.current(), step(0));
	EXPECT_EQ(step(0)->gos, 5);
	EXPECT_EQ(step(0)->opens, 0);
	EXPECT_EQ(step(0)->closes, 0);
	EXPECT_TRUE(step(0)->asked.empty());  // go() results never ask check_can_close
	EXPECT_TRUE(host_.bodies.empty());
	EXPECT_TRUE(wiz_lines().empty());
}

TEST_F(wizard_driver_test, go_result_moves_on_without_asking)
{
	step(0)->can_close = false;
	step(0)->go_to = step(1);
	d_.run_frame();
	EXPECT_EQ(d_.current(), step(1));
	EXPECT_TRUE(step(0)->asked.empty());
	EXPECT_EQ(step(0)->closes, 1);
}

TEST_F(wizard_driver_test, refused_close_leaves_everything)
{
	d_.request_wizard_change(step(1), ins_btn_next);  // onto B, so that Back exists
	d_.run_frame();
	reset_counts();
	step(1)->can_close = false;
	d_.press_continue();
	d_.press_back();
	d_.press_cancel();
	EXPECT_EQ(step(1)->asked, std::vector<ins_btn_type>({ins_btn_next, ins_btn_back, ins_btn_cancel}));
	EXPECT_EQ(d_.current(), step(1));
	for (int i = 0; i < 4; ++i) {
		EXPECT_EQ(step(i)->opens, 0) << i;
		EXPECT_EQ(step(i)->closes, 0) << i;
	}
	EXPECT_TRUE(host_.bodies.empty());
	EXPECT_EQ(host_.quits, 0);
	EXPECT_TRUE(wiz_lines().empty());
}

TEST_F(wizard_driver_test, target_equal_to_current_does_nothing)
{
	d_.request_wizard_change(step(0), ins_btn_next);
	EXPECT_EQ(step(0)->asked, std::vector<ins_btn_type>({ins_btn_next}));  // asked, whatever the answer
	EXPECT_EQ(step(0)->closes, 0);
	EXPECT_EQ(step(0)->opens, 0);
	EXPECT_TRUE(host_.bodies.empty());
	EXPECT_TRUE(wiz_lines().empty());
}

TEST_F(wizard_driver_test, buttons_use_the_screen_of_the_last_frame)
{
	d_.press_continue();  // no frame yet: Continue has no target
	EXPECT_EQ(d_.current(), step(0));

	d_.run_frame();
	EXPECT_EQ(d_.screen().back_step, nullptr);  // first step, no parent
	d_.press_back();
	EXPECT_EQ(d_.current(), step(0));
	EXPECT_TRUE(step(0)->asked.empty());

	d_.press_continue();
	EXPECT_EQ(d_.current(), step(1));
	EXPECT_EQ(step(0)->asked, std::vector<ins_btn_type>({ins_btn_next}));

	d_.run_frame();
	d_.press_back();
	EXPECT_EQ(d_.current(), step(0));
	EXPECT_EQ(step(1)->asked, std::vector<ins_btn_type>({ins_btn_back}));
}

TEST_F(wizard_driver_test, menu_rows)
{
	step(0)->labels = {"one", "two", "three"};
	step(0)->choices = {step(2), nullptr, step(3)};
	d_.run_frame();
	d_.press_choice(3);  // no fourth row
	d_.press_choice(1);  // a row without a target
	d_.press_choice(-1);
	EXPECT_EQ(d_.current(), step(0));
	EXPECT_TRUE(step(0)->asked.empty());
	d_.press_choice(2);
	EXPECT_EQ(d_.current(), step(3));
	EXPECT_EQ(step(0)->asked, std::vector<ins_btn_type>({ins_btn_next}));
}

TEST_F(wizard_driver_test, only_the_first_ten_rows_can_be_chosen)
{
	for (int i = 0; i < 11; ++i) {
		step(0)->labels.push_back("row");
		step(0)->choices.push_back(step(1 + i % 3));
	}
	d_.run_frame();
	d_.press_choice(10);
	EXPECT_EQ(d_.current(), step(0));
	d_.press_choice(9);
	EXPECT_EQ(d_.current(), step(1));
}

TEST_F(wizard_driver_test, quit_and_run_sim_reach_the_host)
{
	// Continue on the last step quits at once.
	d_.request_wizard_change(step(3), ins_btn_none);
	d_.run_frame();
	ASSERT_EQ(d_.screen().next_step, wiz_target_quit);
	reset_counts();
	d_.press_continue();
	EXPECT_EQ(host_.quits, 1);

	// A go() result of the quit target closes the step, then quits.
	reset_counts();
	step(3)->go_to = wiz_target_quit;
	d_.run_frame();
	EXPECT_EQ(step(3)->closes, 1);
	EXPECT_EQ(host_.quits, 1);
	EXPECT_TRUE(host_.bodies.empty());

	// Run-sim: closed, launched; a failed launch leaves the closed step current.
	reset_counts();
	step(3)->go_to = nullptr;
	d_.request_wizard_change(wiz_target_run_sim, ins_btn_next);
	EXPECT_EQ(step(3)->asked, std::vector<ins_btn_type>({ins_btn_next}));
	EXPECT_EQ(step(3)->closes, 1);
	EXPECT_EQ(host_.launches, 1);
	EXPECT_EQ(host_.quits, 0);
	EXPECT_EQ(d_.current(), step(3));
	EXPECT_TRUE(wiz_lines().empty());
}

TEST_F(wizard_driver_test, cancel_closes_then_quits)
{
	d_.press_cancel();
	EXPECT_EQ(step(0)->asked, std::vector<ins_btn_type>({ins_btn_cancel}));
	EXPECT_EQ(step(0)->closes, 1);
	EXPECT_EQ(host_.quits, 1);
}

TEST_F(wizard_driver_test, none_targets_and_faulty_steps_never_lose_the_current_step)
{
	d_.request_wizard_change(wiz_target_none, ins_btn_next);
	EXPECT_EQ(d_.current(), step(0));
	EXPECT_EQ(step(0)->closes, 0);

	step(0)->go_to = nullptr;
	step(1)->open_to = wiz_target_quit;  // a step must open to a step
	d_.request_wizard_change(step(1), ins_btn_none);
	EXPECT_EQ(d_.current(), step(1));
	EXPECT_EQ(host_.quits, 0);
	std::vector<std::string> lines = wiz_lines();
	ASSERT_FALSE(lines.empty());
	EXPECT_EQ(lines.back(), "Advancing from wizard step \"A\" to \"B\"");
	EXPECT_NE(file().find("E/WIZ: Wizard step \"B\" opened to no step"), std::string::npos);
}

TEST_F(wizard_driver_test, step_list_follows_the_current_wizard)
{
	std::vector<std::string> titles;
	int index = 0;
	d_.step_list(titles, index);
	EXPECT_EQ(titles, std::vector<std::string>({"A", "B", "C", "D"}));
	EXPECT_EQ(index, 0);

	// Chaining into another wizard: its steps are listed.
	fake_wizard next(step(3), {"P", "Q"});
	d_.request_wizard_change(next.at(1), ins_btn_next);
	d_.step_list(titles, index);
	EXPECT_EQ(titles, std::vector<std::string>({"P", "Q"}));
	EXPECT_EQ(index, 1);
}

}  // namespace
