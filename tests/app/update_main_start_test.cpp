// main's start: the choice of the first wizard, the -path prefixes and application name, the
// --os value, the launch name and the demo test.
#include "app/Installer-f/shell/main_start.h"
#include "core/files/paths.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct decision_case {
	const char* name;
	std::string path;
	int go_scenery;
	int force_update;
	bool dvd_usable;
	std::vector<std::string> installs;
	bool demo;
	start_wizard_kind want;
	std::string want_path;
	int want_force;
};

TEST(update_main_start, decision_table)
{
	const std::vector<std::string> one = {"/Apps/Sim/"};
	const std::vector<std::string> two = {"/A/", "/B/"};
	const decision_case cases[] = {
		{"path, scenery, forced", "/Apps/Sim/", 1, 1, false, {}, false, start_wizard_scenery, "/Apps/Sim/", 1},
		{"path, scenery", "/Apps/Sim/", 1, 0, true, two, false, start_wizard_scenery, "/Apps/Sim/", 0},
		{"path alone updates", "/Apps/Sim/", 0, 0, true, one, true, start_wizard_update, "/Apps/Sim/", 0},
		{"dvd, none", "", 0, 0, true, {}, false, start_wizard_full_install, "", 0},
		{"dvd, one demo", "", 0, 0, true, one, true, start_wizard_scenery, "/Apps/Sim/", 1},
		{"dvd, one full", "", 0, 0, true, one, false, start_wizard_menu_existing, "", 0},
		{"dvd, two demos", "", 0, 0, true, two, true, start_wizard_menu_existing, "", 0},
		{"no dvd, none", "", 0, 0, false, {}, false, start_wizard_menu_brand_new, "", 0},
		{"no dvd, one demo", "", 0, 0, false, one, true, start_wizard_scenery, "/Apps/Sim/", 1},
		{"no dvd, one full", "", 0, 0, false, one, false, start_wizard_menu_existing, "", 0},
		{"no dvd, two", "", 0, 0, false, two, false, start_wizard_menu_existing, "", 0},
		// go_scenery without a path (e.g. "-path SCNx" leaves only an app name) is the menu road.
		{"scenery flag, no path", "", 1, 1, false, {}, false, start_wizard_menu_brand_new, "", 0},
	};
	for (const decision_case& c : cases) {
		start_inputs in;
		in.cmd_line_path = c.path;
		in.go_scenery = c.go_scenery;
		in.force_update = c.force_update;
		in.dvd_usable = c.dvd_usable;
		in.installations = c.installs;
		in.single_is_demo = c.demo;
		start_decision d = main_pick_wizard(in);
		EXPECT_EQ(d.kind, c.want) << c.name;
		EXPECT_EQ(d.path, c.want_path) << c.name;
		EXPECT_EQ(d.force_update, c.want_force) << c.name;
	}
}

struct prefix_case {
	std::string arg;
	int beta_before;
	std::string want_path;
	std::string want_app;  // launch name after the split ("Skyvane.app" unless the path names one)
	int want_scenery;
	int want_force;
	int want_beta;
};

TEST(update_main_start, path_prefixes_and_app_name)
{
	const prefix_case cases[] = {
		{"SCN", 0, "", "SCN", 0, 0, 0},  // exactly three letters: a path, then an app name
		{"SCNx", 1, "", "x", 1, 0, 0},
		{"UPG/Apps/Sim/", 1, "/Apps/Sim/", "Skyvane.app", 1, 1, 0},
		{"/Apps/Sim/", 1, "/Apps/Sim/", "Skyvane.app", 0, 0, 0},
		{"BTA/Apps/Sim/", 0, "/Apps/Sim/", "Skyvane.app", 0, 0, 1},
		{"SCNBTA/Apps/Sim/", 0, "/Apps/Sim/", "Skyvane.app", 1, 0, 1},
		{"UPGBTA/Apps/Sim/", 0, "/Apps/Sim/", "Skyvane.app", 1, 1, 1},
		{"BTASCN/Apps/Sim/", 0, "SCN/Apps/Sim/", "Skyvane.app", 0, 0, 1},
		{"/Apps/Sim/Skyvane.app", 0, "/Apps/Sim/", "Skyvane.app", 0, 0, 0},
		{"/Apps/Sim/Other.app", 0, "/Apps/Sim/", "Other.app", 0, 0, 0},
		{"", 1, "", "Skyvane.app", 0, 0, 1},  // no -path keeps the preference file's beta choice
	};
	for (const prefix_case& c : cases) {
		std::string path = c.arg, app = "Skyvane.app";
		int scenery = 0, force = 0, beta = c.beta_before;
		main_strip_path_prefixes(path, scenery, force, beta);
		main_split_app_from_path(path, app);
		EXPECT_EQ(path, c.want_path) << c.arg;
		EXPECT_EQ(app, c.want_app) << c.arg;
		EXPECT_EQ(scenery, c.want_scenery) << c.arg;
		EXPECT_EQ(force, c.want_force) << c.arg;
		EXPECT_EQ(beta, c.want_beta) << c.arg;
	}
}

TEST(update_main_start, path_argument_os_and_launch_name)
{
	const char* with_path[] = {"installer", "-path", "/Apps/Sim/"};
	const char* path_last[] = {"installer", "-path"};
	const char* path_second[] = {"installer", "--os=LIN", "-path", "/Apps/"};
	EXPECT_EQ(main_path_argument(3, with_path), "/Apps/Sim/");
	EXPECT_EQ(main_path_argument(2, path_last), "");
	EXPECT_EQ(main_path_argument(4, path_second), "");

	const std::pair<const char*, int> os[] = {{"ALL", 0}, {"APL", 1}, {"IBM", 2}, {"LIN", 3}, {"", 1}, {"lin", 1}};
	for (const auto& [value, want] : os)
		EXPECT_EQ(main_target_os_for(value), want) << value;

	EXPECT_EQ(main_launch_app_name(true), "Skyvane.app");
	EXPECT_EQ(main_launch_app_name(false), "Skyvane-32bit.app");
}

TEST(update_main_start, demo_test_counts_earth_orbit_textures)
{
	const std::pair<int, bool> cases[] = {{0, true}, {49, true}, {50, false}, {51, false}};
	for (const auto& [count, demo] : cases) {
		scratch_dir d;
		d.mkdirs("Resources/bitmaps/Earth Orbit Textures");
		for (int i = 0; i < count; ++i)
			d.write("Resources/bitmaps/Earth Orbit Textures/t" + std::to_string(i) + ".png", "x");
		EXPECT_EQ(main_is_demo_install(d.path()), demo) << count;
	}
	scratch_dir empty;
	EXPECT_TRUE(main_is_demo_install(empty.path())) << "a folder that cannot be opened counts 0";
}

TEST(update_main_start, os_folders_in_the_log_one_line_each)
{
	log_capture log;
	main_log_os_folders();
	std::string want;
	const std::pair<os_dir_type, const char*> rows[] = {
		{os_dir_this_app, "os_dir_this_app\t\t="}, {os_dir_desktop, "os_dir_desktop\t\t="},
		{os_dir_default_apps, "os_dir_default_apps\t="}, {os_dir_temp, "os_dir_temp\t\t\t="},
		{os_dir_prefs, "os_dir_prefs\t\t\t="}};
	for (const auto& [type, label] : rows) {
		std::string folder;
		get_OS_abs_path(type, folder);
		EXPECT_FALSE(folder.empty()) << label;
		want += label + folder + "\n";
	}
	EXPECT_EQ(log.text(), want + "\n");
}

}  // namespace
