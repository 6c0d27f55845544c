// Which files the plan fetches, deletes or leaves, and when it asks about a changed copy.
#include "plan_fixture.h"

namespace {

enum asked_t { not_asked, asked_install_form, asked_delete_form };

struct choose_case {
	const char* what;
	std::vector<std::string> history;  // older first, current last
	const char* sig_have;
	int scenery;  // 0 simulator file; 1 scenery on a selected tile; 2 scenery on unselected tiles only
	int os;
	int ask;
	int answer;  // given when asked
	int want_install, want_delete;
	asked_t asked;
};

class plan_choose : public plan_test {};

TEST_F(plan_choose, one_file)
{
	const choose_case cases[] = {
	    {"wanted, matching copy", {"v2"}, "v2", 0, 0, 1, -1, 0, 0, not_asked},
	    {"wanted, no copy", {"v2"}, "NONE", 0, 0, 1, -1, 1, 0, not_asked},
	    {"wanted, copy of an older release", {"v1", "v2"}, "v1", 0, 0, 1, -1, 1, 0, not_asked},
	    {"wanted, changed copy, overwrite", {"v1", "v2"}, "mine", 0, 0, 1, 0, 1, 0, asked_install_form},
	    {"wanted, changed copy, keep", {"v1", "v2"}, "mine", 0, 0, 1, 1, 0, 0, asked_install_form},
	    {"wanted, changed copy, not asking", {"v1", "v2"}, "mine", 0, 0, 0, -1, 1, 0, not_asked},
	    {"wanted, never scanned", {"v2"}, "", 0, 0, 1, -1, 1, 0, not_asked},
	    {"gone, no copy", {"v1", "GONE"}, "NONE", 0, 0, 1, -1, 0, 0, not_asked},
	    {"gone, copy of an older release", {"v1", "GONE"}, "v1", 0, 0, 1, -1, 0, 1, not_asked},
	    {"gone, changed copy, delete", {"v1", "GONE"}, "mine", 0, 0, 1, 0, 0, 1, asked_delete_form},
	    {"gone, changed copy, keep", {"v1", "GONE"}, "mine", 0, 0, 1, 1, 0, 0, asked_delete_form},
	    {"gone, changed copy, not asking", {"GONE"}, "mine", 0, 0, 0, -1, 0, 1, not_asked},
	    {"gone, never scanned", {"GONE"}, "", 0, 0, 1, -1, 0, 0, not_asked},
	    {"selected scenery, no copy", {"v2"}, "NONE", 1, 0, 1, -1, 1, 0, not_asked},
	    {"selected scenery, matching copy", {"v2"}, "v2", 1, 0, 1, -1, 0, 0, not_asked},
	    {"deselected scenery, matching copy", {"v2"}, "v2", 2, 0, 1, -1, 0, 1, not_asked},
	    {"deselected scenery, no copy", {"v2"}, "NONE", 2, 0, 1, -1, 0, 0, not_asked},
	    {"deselected scenery, changed copy", {"v2"}, "mine", 2, 0, 1, 1, 0, 0, asked_delete_form},
	    {"file of this system", {"v2"}, "NONE", 0, 3, 1, -1, 1, 0, not_asked},
	    {"file of another system, changed copy", {"v2"}, "mine", 0, 2, 1, -1, 0, 0, not_asked},
	};
	for (const choose_case& c : cases) {
		SCOPED_TRACE(c.what);
		sim_info.clear();
		questions.clear();
		answers.clear();
		if (c.answer >= 0)
			answers.push_back(c.answer);
		scenery_take_none();
		stg.wrl_sel[11][13] = 1;  // inside the box below only when the case wants it selected
		file_version_struct& cur = c.scenery ? add_scenery("Global Scenery/p/f.dsf", c.history.back(), c.sig_have,
		                                                   c.scenery == 1 ? 11 : 12, 13, 12, 14)
		                                     : add("Resources/f.txt", c.history, c.sig_have);
		cur.os = c.os;
		cur.want_install = cur.want_delete = 1;  // stale flags of an earlier plan

		EXPECT_EQ(choose_files(c.ask), 1);
		EXPECT_EQ(cur.want_install, c.want_install);
		EXPECT_EQ(cur.want_delete, c.want_delete);
		if (c.asked == not_asked) {
			EXPECT_TRUE(questions.empty());
		} else {
			ASSERT_EQ(questions.size(), 1u);
			EXPECT_EQ(questions[0].path, dest_dir_path + cur.path);
			EXPECT_EQ(questions[0].is_delete, c.asked == asked_delete_form);
		}
	}
}

TEST_F(plan_choose, scenery_box_bounds_are_inclusive_and_clipped)
{
	const struct {
		int lon_min, lat_min, lon_max, lat_max;
		bool selected;
	} cases[] = {
	    {11, 13, 11, 13, true},  {9, 11, 11, 13, true},   {11, 13, 20, 17, true}, {12, 13, 20, 17, false},
	    {0, 0, 10, 17, false},   {0, 14, 35, 17, false},  {-5, -5, 40, 40, true}, {30, 20, 40, 30, false},
	    {-9, 13, -1, 13, false}, {11, 12, 11, 12, false},
	};
	stg.wrl_sel[11][13] = 1;
	for (const auto& c : cases) {
		SCOPED_TRACE(testing::Message() << c.lon_min << "," << c.lat_min << " .. " << c.lon_max << "," << c.lat_max);
		sim_info.clear();
		file_version_struct& v = add_scenery("s.dsf", "v2", "NONE", c.lon_min, c.lat_min, c.lon_max, c.lat_max);
		choose_files(0);
		EXPECT_EQ(v.want_install, c.selected ? 1 : 0);
	}
}

// Every copy below is the user's own, so each is a question unless a folder-wide answer covers it.
TEST_F(plan_choose, folder_wide_answers_hold_in_that_folder_only)
{
	const struct {
		const char* what;
		int answer;
		int a_install, a_delete;
	} cases[] = {
	    {"keep every changed file in the folder", file_conflict_keep_all_in_dir, 0, 0},
	    {"replace every changed file in the folder", file_conflict_replace_all_in_dir, 1, 1},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.what);
		sim_info.clear();
		questions.clear();
		add("a/one.txt", {"v2"}, "mine");
		add("b/three.txt", {"v2"}, "mine");
		add("a/two.txt", {"v2"}, "mine");
		add("a/sub/four.txt", {"v2"}, "mine");
		add("a/old.txt", {"v1", "GONE"}, "mine");
		answers = {c.answer, file_conflict_keep, file_conflict_replace};

		testing::internal::CaptureStdout();
		EXPECT_EQ(choose_files(1), 1);
		const std::string console = testing::internal::GetCapturedStdout();

		ASSERT_EQ(questions.size(), 3u);
		EXPECT_EQ(questions[0].path, dir / "a/one.txt");
		EXPECT_EQ(questions[1].path, dir / "b/three.txt");
		EXPECT_EQ(questions[2].path, dir / "a/sub/four.txt") << "a sub-folder is another folder";
		EXPECT_EQ(file("a/one.txt").want_install, c.a_install);
		EXPECT_EQ(file("a/two.txt").want_install, c.a_install);
		EXPECT_EQ(file("a/old.txt").want_delete, c.a_delete) << "the delete form follows the same answer";
		EXPECT_EQ(file("b/three.txt").want_install, 0);
		EXPECT_EQ(file("a/sub/four.txt").want_install, 1);
		EXPECT_NE(console.find("File: " + (dir / "a/one.txt") + "  sig_want=v2  sig_have=mine\n"), std::string::npos)
		    << console;
		EXPECT_EQ(console.find("a/two.txt"), std::string::npos) << "answered without a question";

		// The answers were for that run only.
		questions.clear();
		answers = {file_conflict_keep, file_conflict_keep, file_conflict_keep, file_conflict_keep, file_conflict_keep};
		testing::internal::CaptureStdout();
		EXPECT_EQ(choose_files(1), 1);
		testing::internal::GetCapturedStdout();
		EXPECT_EQ(questions.size(), 5u);
	}
}

TEST_F(plan_choose, cancel_stops_at_once)
{
	add("a.txt", {"v2"}, "NONE");
	add("b.txt", {"v2"}, "mine");
	add("c.txt", {"v2"}, "mine");
	answers = {file_conflict_cancel};
	testing::internal::CaptureStdout();
	EXPECT_EQ(choose_files(1), 0);
	testing::internal::GetCapturedStdout();
	ASSERT_EQ(questions.size(), 1u) << "nothing is asked after a cancel";
	EXPECT_EQ(questions[0].path, dir / "b.txt");
	EXPECT_EQ(file("a.txt").want_install, 1);
	EXPECT_EQ(file("b.txt").want_install, 0);
}

TEST_F(plan_choose, progress_start_is_the_share_installed_before_the_file)
{
	add("a.txt", {"v2"}, "NONE", 4);
	add("b.txt", {"v2"}, "v2", 400);     // matching: not installed, not counted
	add("c.txt", {"v2"}, "NONE", 8);
	add("d.txt", {"v1", "GONE"}, "v1", 40);
	add("e.txt", {"v2"}, "NONE", 4);
	add("f.txt", {"v2"}, "NONE", 1000).os = 2;  // filtered out
	EXPECT_EQ(choose_files(0), 1);
	const float expected[] = {0.0f, 0.25f, 0.25f, 0.75f, 0.75f, 1.0f};
	for (size_t i = 0; i < sim_info.files.size(); ++i)
		EXPECT_FLOAT_EQ(sim_info.files[i].cur().progress_start, expected[i]) << sim_info.files[i].cur().path;

	file("a.txt").sig_have = "v2";
	file("c.txt").sig_have = "v2";
	file("e.txt").sig_have = "v2";
	EXPECT_EQ(choose_files(0), 1);
	for (const file_history_struct& f : sim_info.files)
		EXPECT_FLOAT_EQ(f.cur().progress_start, 0.5f) << f.cur().path << ": nothing to install";
}

TEST(plan_conflict_seam, answers)
{
	const struct {
		const char* what;
		bool installed;
		int given, returned;
	} cases[] = {
	    {"nobody to ask keeps the user's copy", false, 0, file_conflict_keep},
	    {"replace", true, 0, file_conflict_replace},
	    {"keep all", true, 3, file_conflict_keep_all_in_dir},
	    {"cancel", true, 4, file_conflict_cancel},
	    {"the unanswered value keeps", true, 5, file_conflict_keep},
	    {"a negative answer keeps", true, -1, file_conflict_keep},
	};
	for (const auto& c : cases) {
		std::string seen_path;
		bool seen_delete = false;
		if (c.installed)
			set_file_conflict_answerer([&, given = c.given](const std::string& p, bool d) {
				seen_path = p;
				seen_delete = d;
				return given;
			});
		else
			set_file_conflict_answerer({});
		EXPECT_EQ(prompt_for_modified_file_decision("/x/y.txt", true), c.returned) << c.what;
		if (c.installed) {
			EXPECT_EQ(seen_path, "/x/y.txt");
			EXPECT_TRUE(seen_delete);
		}
	}
	set_file_conflict_answerer({});
}

}  // namespace
