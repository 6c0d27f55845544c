// The run-interrupting questions: what is logged, how the answers map (the changed-file check
// box, the abort choice), the defaults with nobody to ask, the plan's question reaching the
// installed answerer, and the very-large-download and install-error questions' texts.
#include "app/Installer-f/engine/file_conflict_seam.h"
#include "app/Installer-f/flows/questions.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/flows/steps/download_directory.h"
#include "core/installer/sim_info.h"
#include "core/ui/stg.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct questions : ::testing::Test {
	void SetUp() override
	{
		saved_stg = stg;
		saved_source = sim_info.source;
		saved_rate = s_cdn_rate_bytes_sec;
		file_modified_apply_to_all = false;
		set_abort_answerer([this](const abort_question& q) {
			asked.push_back(q);
			return answer;
		});
	}
	void TearDown() override
	{
		set_abort_answerer(nullptr);
		set_file_modified_answerer(nullptr);
		file_modified_apply_to_all = false;
		stg = saved_stg;
		sim_info.source = saved_source;
		s_cdn_rate_bytes_sec = saved_rate;
	}
	stg_record saved_stg;
	ins_data_src saved_source;
	float saved_rate;
	std::vector<abort_question> asked;
	bool answer = false;
	log_capture log;
};

TEST_F(questions, abort_alert_logs_question_and_answer)
{
	for (bool abort : {true, false}) {
		answer = abort;
		EXPECT_EQ(abort_alert("TITLE", "The message.", "Stop", "the run.", "Go on", "with it.", question_cancel_install),
		          abort);
	}
	ASSERT_EQ(asked.size(), 2u);
	EXPECT_EQ(asked[0].kind, question_cancel_install);
	EXPECT_EQ(asked[0].title, "TITLE");
	EXPECT_EQ(asked[0].message, "The message.");
	EXPECT_EQ(asked[0].abort_label, "Stop");
	EXPECT_EQ(asked[0].abort_detail, "the run.");
	EXPECT_EQ(asked[0].continue_label, "Go on");
	EXPECT_EQ(asked[0].continue_detail, "with it.");
	const std::string t = log.text();
	const size_t first = t.find("DLG: Displaying alert:");
	ASSERT_NE(first, std::string::npos) << t;
	const size_t abort_at = t.find("\tUser decided to abort.", first);
	const size_t cont_at = t.find("\tUser decided to continue.", first);
	EXPECT_NE(t.find("\tTITLE", first), std::string::npos);
	EXPECT_NE(t.find("\tThe message.", first), std::string::npos);
	ASSERT_NE(abort_at, std::string::npos) << t;
	ASSERT_NE(cont_at, std::string::npos) << t;
	EXPECT_LT(abort_at, cont_at);
}

TEST_F(questions, defaults_without_answerer)
{
	set_abort_answerer(nullptr);
	EXPECT_TRUE(abort_alert("t", "m", "a", "ad", "c", "cd", question_install_error));
	EXPECT_FALSE(abort_alert("t", "m", "a", "ad", "c", "cd", question_cancel_install));
	EXPECT_FALSE(abort_alert("t", "m", "a", "ad", "c", "cd", question_huge_download));
	EXPECT_FALSE(abort_alert("t", "m", "a", "ad", "c", "cd"));
}

TEST_F(questions, file_modified_answer_mapping)
{
	struct map_case {
		int command;
		bool all;
		int want;
	};
	const map_case cases[] = {
		{0, false, file_conflict_replace},  {1, false, file_conflict_keep},
		{4, false, file_conflict_cancel},   {0, true, file_conflict_replace_all_in_dir},
		{1, true, file_conflict_keep_all_in_dir}, {4, true, file_conflict_cancel},
		{7, false, file_conflict_keep},     {-1, true, file_conflict_keep},
	};
	for (const map_case& c : cases)
		EXPECT_EQ(file_modified_answer(c.command, c.all), c.want) << c.command << " " << c.all;
}

TEST_F(questions, plan_question_reaches_the_answerer_with_the_check_box)
{
	std::vector<std::pair<std::string, bool>> seen;
	int button = 1;
	set_file_modified_answerer([&](const std::string& path, bool is_delete) {
		seen.push_back({path, is_delete});
		return button;
	});
	EXPECT_EQ(prompt_for_modified_file_decision("a/b.txt", false), file_conflict_keep);
	file_modified_apply_to_all = true;  // ticked in one dialog, it stays ticked for the next
	EXPECT_EQ(prompt_for_modified_file_decision("a/c.txt", true), file_conflict_keep_all_in_dir);
	button = 0;
	EXPECT_EQ(prompt_for_modified_file_decision("a/d.txt", false), file_conflict_replace_all_in_dir);
	button = 4;
	EXPECT_EQ(prompt_for_modified_file_decision("a/e.txt", false), file_conflict_cancel);
	ASSERT_EQ(seen.size(), 4u);
	EXPECT_EQ(seen[1], std::make_pair(std::string("a/c.txt"), true));
	const std::string t = log.text();
	EXPECT_NE(t.find("Asking about the changed file a/c.txt (delete)."), std::string::npos) << t;
	EXPECT_NE(t.find("User decided to keep all in this folder."), std::string::npos) << t;
	EXPECT_NE(t.find("User decided to cancel the installation."), std::string::npos) << t;

	set_file_modified_answerer(nullptr);  // unhooked: the plan keeps changed files
	EXPECT_EQ(prompt_for_modified_file_decision("a/f.txt", false), file_conflict_keep);
	EXPECT_EQ(seen.size(), 4u);
}

TEST_F(questions, huge_download_question_threshold)
{
	struct huge_case {
		ins_data_src source;
		double kb;
		bool asked;
	};
	const huge_case cases[] = {
		{ins_src_net_full, huge_download_kb, true},
		{ins_src_net_full, huge_download_kb - 1, false},
		{ins_src_net, huge_download_kb * 2, false},
		{ins_src_dvd, huge_download_kb * 2, false},
	};
	for (const huge_case& c : cases) {
		asked.clear();
		sim_info.source = c.source;
		stg.download_total_kb = c.kb;
		answer = false;
		EXPECT_TRUE(UTIL_question_huge_dls());
		EXPECT_EQ(asked.size(), c.asked ? 1u : 0u) << c.kb;
	}
}

TEST_F(questions, huge_download_question_texts_and_answers)
{
	sim_info.source = ins_src_net_full;
	stg.download_total_kb = huge_download_kb;
	stg.install_total_kb = 40000000;
	s_cdn_rate_bytes_sec = 1e6f;  // 31,457 s: 8 hours
	answer = true;                // "Change Scenery"
	EXPECT_FALSE(UTIL_question_huge_dls());
	answer = false;               // "Continue Install"
	EXPECT_TRUE(UTIL_question_huge_dls());
	ASSERT_EQ(asked.size(), 2u);
	const abort_question& q = asked[0];
	EXPECT_EQ(q.kind, question_huge_download);
	EXPECT_EQ(q.title, "LONG INSTALLATION TIME EXPECTED");
	EXPECT_EQ(q.message,
	          "You have selected a very large amount of scenery to install.\n\nThis will take approximately 8 hours "
	          "to complete, and it will consume 40.0 GB on your hard drive.");
	EXPECT_EQ(q.abort_label, "Change Scenery");
	EXPECT_EQ(q.abort_detail, "To select less scenery for a faster installation.");
	EXPECT_EQ(q.continue_label, "Continue Install");
	EXPECT_EQ(q.continue_detail, "To keep your current scenery selection (and corresponding long installation time).");
}

TEST_F(questions, install_error_question_text)
{
	for (bool stop : {true, false}) {
		answer = stop;
		EXPECT_EQ(UTIL_cancel_install("An error occurred during update:", "You can continue.", "Cancel", "the update.",
		                              "Continue", "the update."),
		          stop);
	}
	ASSERT_EQ(asked.size(), 2u);
	EXPECT_EQ(asked[0].kind, question_install_error);
	EXPECT_EQ(asked[0].title, "CANCEL INSTALLATION IN PROGRESS?");
	// No install has failed here, so the driver's text is empty.
	EXPECT_EQ(asked[0].message, "An error occurred during update:\n\n.\n\nYou can continue.");
	EXPECT_EQ(asked[0].abort_label, "Cancel");
	EXPECT_EQ(asked[0].continue_label, "Continue");
}

}  // namespace
