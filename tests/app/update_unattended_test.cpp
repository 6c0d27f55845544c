// The update wizard end to end in unattended mode: the real installer against a loopback nginx
// serving releases made by the release tool.
#include "update_run_rig.h"

#include <gtest/gtest.h>

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const update_run_rig::product k_release1 = {
	{"Aircraft/plane.acf", "plane version 1"},
	{"Airfoils/wing.afl", "wing"},
	{"Instructions/readme.txt", "read me"},
	{"Output/preferences/keep.txt", "x"},
	{"Resources/a.txt", "alpha"},
	{"Resources/user_edited.txt", "as shipped"},
	{"Resources/obsolete.txt", "soon gone"},
};

update_run_rig::product release2()
{
	update_run_rig::product p = k_release1;
	p["Aircraft/plane.acf"] = "plane version 2, somewhat longer";
	p.erase("Resources/obsolete.txt");
	p["Resources/new.txt"] = "brand new";
	return p;
}

TEST(update_unattended, folder_that_matches_is_already_up_to_date)
{
	update_run_rig rig;
	rig.publish("skyvane11_r1", k_release1);
	update_run_rig::write_tree(rig.dest, k_release1);
	std::string out;
	EXPECT_EQ(rig.run_update({}, out), 0) << out;
	EXPECT_TRUE(has(out, "is already up to date")) << out;
	EXPECT_TRUE(has(out, "== Scan Existing Files ==")) << out;
	EXPECT_FALSE(has(out, "== Install ==")) << "the install step must never open:\n" << out;
	EXPECT_EQ(rig.read_dest("Resources/obsolete.txt"), "soon gone");
}

TEST(update_unattended, fetches_deletes_and_answers_the_changed_file_question)
{
	struct row {
		const char* on_modified;
		int status;
		const char* user_file;  // afterwards
		bool updated;           // the new release is in place
	};
	const row rows[] = {
		{"keep", 0, "edited by me", true},
		{"replace", 0, "as shipped", true},
		{"cancel", 3, "edited by me", false},  // the folder is kept as it was
	};
	for (const row& r : rows) {
		SCOPED_TRACE(r.on_modified);
		update_run_rig rig;
		rig.publish("skyvane11_r1", k_release1);
		rig.publish("skyvane11_r2", release2(), "skyvane11_r1");
		update_run_rig::product installed = k_release1;
		installed["Resources/user_edited.txt"] = "edited by me";
		update_run_rig::write_tree(rig.dest, installed);

		std::string out;
		EXPECT_EQ(rig.run_update({std::string("--on_modified=") + r.on_modified}, out), r.status) << out;
		EXPECT_TRUE(has(out, "Resources/user_edited.txt was changed")) << out;
		EXPECT_EQ(rig.read_dest("Resources/user_edited.txt"), r.user_file);
		EXPECT_EQ(rig.read_dest("Resources/a.txt"), "alpha");
		if (r.updated) {
			EXPECT_TRUE(has(out, "Finished updating")) << out;
			EXPECT_EQ(rig.read_dest("Aircraft/plane.acf"), "plane version 2, somewhat longer");
			EXPECT_EQ(rig.read_dest("Resources/new.txt"), "brand new");
			EXPECT_FALSE(rig.dest_has("Resources/obsolete.txt"));
		} else {
			EXPECT_EQ(rig.read_dest("Aircraft/plane.acf"), "plane version 1");
			EXPECT_TRUE(rig.dest_has("Resources/obsolete.txt"));
		}
	}
}

TEST(update_unattended, release_that_only_removes_files_runs_the_install_step)
{
	update_run_rig rig;
	rig.publish("skyvane11_r1", k_release1);
	update_run_rig::product r2 = k_release1;
	r2.erase("Resources/obsolete.txt");
	rig.publish("skyvane11_r2", r2, "skyvane11_r1");
	update_run_rig::write_tree(rig.dest, k_release1);
	std::string out;
	EXPECT_EQ(rig.run_update({}, out), 0) << out;
	EXPECT_TRUE(has(out, "== Install ==")) << out;
	EXPECT_TRUE(has(out, "Finished updating")) << out;
	EXPECT_FALSE(rig.dest_has("Resources/obsolete.txt"));
	EXPECT_EQ(rig.read_dest("Resources/a.txt"), "alpha");
}

TEST(update_unattended, unreachable_mirror_ends_on_the_final_step_with_the_network_sentence)
{
	update_run_rig rig;
	// The lookup server answers; the only mirror it names refuses connections.
	rig.publish("skyvane11_r1", k_release1, "", "127.0.0.1:1");
	update_run_rig::write_tree(rig.dest, k_release1);
	std::string out;
	EXPECT_EQ(rig.run_update({}, out), 1) << out;
	EXPECT_TRUE(has(out, "== Finish ==")) << out;
	EXPECT_TRUE(has(out, "There was a problem updating Skyvane. Please check your internet connection and try again"))
		<< out;
	EXPECT_TRUE(has(out, "(The technical problem was: ")) << out;
	EXPECT_EQ(rig.read_dest("Resources/obsolete.txt"), "soon gone");
}

}  // namespace
