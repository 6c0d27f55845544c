// The two menus in process: their rows and targets, Back from a chosen flow, the DVD set picked
// up while the existing-installation menu is shown, and the scenery flow from the menu with two
// installations to choose from (against a loopback mirror).
#include "app/Installer-f/flows/demo/demo_install_wizard.h"
#include "app/Installer-f/flows/full/full_install_wizard.h"
#include "app/Installer-f/flows/menu/main_menu_brand_new_wizard.h"
#include "app/Installer-f/flows/menu/main_menu_existing_install_wizard.h"
#include "app/Installer-f/flows/scenery/add_remove_scenery_wizard.h"
#include "app/Installer-f/flows/steps/any_checksum.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/flows/steps/pick_run_sim.h"
#include "app/Installer-f/flows/update/net_update_wizard.h"
#include "app/Installer-f/wizard/wizard_driver.h"
#include "app/steps_fixture.h"
#include "core/installer/dvd_directory_reader.h"
#include "core/installer/install_registry.h"
#include "core/platform/WIN_app.h"
#include "support/zip_maker.h"

namespace {

struct menu_test : release_test {
	void SetUp() override
	{
		release_test::SetUp();
		saved_registry = registry_folder_fn;
		saved_locate = dvd_locate_fn;
		saved_dvd_temp = dvd_temp_path_fn;
		saved_suites = all_skysuites;
		saved_reader = disk_space_reader;
		dir.mkdirs("prefs");
		dir.mkdirs("dvdtmp");
		s_prefs = dir / "prefs/";
		s_dvd_temp = dir / "dvdtmp/";
		s_disc_root.clear();
		s_locates = 0;
		registry_folder_fn = [] { return s_prefs; };
		dvd_locate_fn = [](const std::string&) {
			++s_locates;
			return s_disc_root;
		};
		dvd_temp_path_fn = [] { return s_dvd_temp; };
		disk_space_reader = [](const std::string&, uint64_t* total, uint64_t* free_bytes) -> err_code_t {
			*total = *free_bytes = 100000000000ull;
			return 0;
		};
		sim_info.clear();
		g_new_disc_flag = 0;
		dest_dir_path.clear();
	}
	void TearDown() override
	{
		registry_folder_fn = saved_registry;
		dvd_locate_fn = saved_locate;
		dvd_temp_path_fn = saved_dvd_temp;
		disk_space_reader = saved_reader;
		all_skysuites = saved_suites;
		g_new_disc_flag = 0;
		release_test::TearDown();
	}
	// An installation folder in the registry.
	std::string install(const std::string& name)
	{
		dir.mkdirs(name);
		UTL_register_skyvane(dir / (name + "/"));
		return dir / (name + "/");
	}
	// Runs frames until the current step is target; false after the deadline.
	static bool frames_until(wizard_driver& d, wizard_func* target, int seconds = 30)
	{
		const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
		while (d.current() != target && std::chrono::steady_clock::now() < end) {
			d.run_frame();
			std::this_thread::sleep_for(std::chrono::milliseconds(2));
		}
		return d.current() == target;
	}

	static inline std::string s_prefs, s_dvd_temp, s_disc_root;
	static inline int s_locates = 0;
	registry_folder_fn_t saved_registry = nullptr;
	dvd_locate_fn_t saved_locate = nullptr;
	dvd_temp_path_fn_t saved_dvd_temp = nullptr;
	disk_space_reader_fn saved_reader = nullptr;
	std::vector<std::string> saved_suites;
};

TEST_F(menu_test, brand_new_menu_offers_the_demo_and_the_purchase)
{
	main_menu_brand_new_wizard w;
	ASSERT_EQ(w.steps.size(), 1u);
	EXPECT_EQ(w.menu->title + "|" + w.menu->name, "Welcome|Main Menu - No Existing Installation");
	EXPECT_EQ(w.full_install->parent, w.menu);
	EXPECT_EQ(w.full_install->from_menu, 1);
	EXPECT_EQ(w.demo_install->parent, w.menu);

	wizard_screen s;
	EXPECT_EQ(w.menu->go(s), w.menu);
	EXPECT_EQ(s.title, "Skyvane 11 Installer");
	EXPECT_EQ(s.message, "Welcome to Skyvane 11. This installer will guide you through the process of installing "
	                     "Skyvane.\n\nWhat would you like to install?");
	EXPECT_EQ(s.back_step, nullptr);
	EXPECT_EQ(s.next_step, nullptr);
	EXPECT_EQ(s.show_settings, 1);
	EXPECT_EQ(s.choice_labels,
	          (std::vector<std::string>{"Install a Free Demo of Skyvane", "Install an Skyvane Product Purchase"}));
	EXPECT_EQ(s.choice_steps,
	          (std::vector<wizard_func*>{w.demo_install->steps.front(), w.full_install->steps.front()}));
}

TEST_F(menu_test, existing_menu_rows_lead_to_their_flows_and_back)
{
	install("one");
	install("two");
	main_menu_existing_install_wizard w;
	EXPECT_EQ(w.menu->title + "|" + w.menu->name, "Welcome|Main Menu - Existing Full Installation");
	EXPECT_EQ(w.update->install_path, "");
	EXPECT_EQ(w.scenery->install_path, "");
	EXPECT_EQ(w.second_copy->from_menu, 1);

	all_skysuites.clear();
	wizard_driver d;
	d.open_first(w.menu);
	EXPECT_EQ(all_skysuites.size(), 2u) << "opening the menu reads the registry";
	d.run_frame();
	const wizard_screen& s = d.screen();
	EXPECT_EQ(s.title, "Skyvane 11 Installer/Updater");
	EXPECT_EQ(s.message, "You already have Skyvane 11 installed on this computer. What would you like to do?");
	EXPECT_EQ(s.back_step, nullptr);
	EXPECT_EQ(s.next_step, nullptr);
	EXPECT_EQ(s.show_settings, 1);
	EXPECT_EQ(s.choice_labels, (std::vector<std::string>{"Run Skyvane Now", "Add or Remove Scenery", "Update Skyvane",
	                                                     "Install a Second Copy of Skyvane"}));

	const wizard_collection* flows[] = {w.run_sim, w.scenery, w.update, w.second_copy};
	for (int row = 0; row < 4; ++row) {
		SCOPED_TRACE(row);
		ASSERT_EQ(d.current(), w.menu);
		d.run_frame();
		EXPECT_EQ(d.screen().choice_steps[row], flows[row]->steps.front());
		EXPECT_EQ(flows[row]->parent, w.menu);
		d.press_choice(row);
		ASSERT_EQ(d.current(), flows[row]->steps.front());
		d.run_frame();
		EXPECT_EQ(d.screen().back_step, w.menu) << "Back from the first step of the flow returns to the menu";
		d.press_back();
		EXPECT_EQ(d.current(), w.menu);
	}
}

TEST_F(menu_test, disc_inserted_while_the_menu_is_shown_serves_the_second_copy)
{
	dir.mkdirs("disc/Skyvane 11 DVD");
	dir.write("disc/dvd_version.txt", "I\n1100 version\nDVD\nSkyvane 11 DVD Set\n\nVERSION Skyvane 11 DVD\n");
	ASSERT_TRUE(write_zip_file(dir / "disc/Skyvane 11 DVD/directory.txt.zip",
	                           {{"directory.txt", "I\n1100 version\nINSTALLER\n"
	                                              "FILE 0 0 0 0 0 0 1 4 d41d8cd98f00b204e9800998ecf8427e Resources/a.txt\n"}}));
	install("one");
	main_menu_existing_install_wizard w;
	wizard_driver d;
	d.open_first(w.menu);
	for (int i = 0; i < 3; ++i)
		d.run_frame();
	EXPECT_EQ(s_locates, 3) << "no disc: looked for every frame";
	EXPECT_EQ(sim_info.source, ins_src_none);

	s_disc_root = dir / "disc/";
	g_new_disc_flag = 1;
	d.run_frame();
	EXPECT_EQ(g_new_disc_flag, 0);
	EXPECT_EQ(sim_info.source, ins_src_dvd);
	EXPECT_EQ(sim_info.install_name, "Skyvane 11 DVD");
	ASSERT_EQ(sim_info.files.size(), 1u);
	const int found_after = s_locates;
	d.run_frame();
	EXPECT_EQ(s_locates, found_after) << "a disc set once read is kept";

	d.press_choice(3);
	ASSERT_NE(d.current(), nullptr);
	EXPECT_EQ(d.current()->owner, w.second_copy);
	EXPECT_NE(d.current(), w.second_copy->get_info) << "the disc is the source: no network fetch";
	EXPECT_EQ(sim_info.source, ins_src_dvd);
}

TEST_F(menu_test, unreadable_disc_is_read_again_only_after_a_new_disc)
{
	dir.mkdirs("disc");
	dir.write("disc/dvd_version.txt", "I\n1100 version\nNOT A DISC\n");
	s_disc_root = dir / "disc/";
	install("one");
	main_menu_existing_install_wizard w;
	wizard_driver d;
	d.open_first(w.menu);
	for (int i = 0; i < 5; ++i)
		d.run_frame();
	EXPECT_EQ(s_locates, 1);
	EXPECT_EQ(sim_info.source, ins_src_none);
	EXPECT_EQ(sim_info.dvd_root, "") << "nothing of the failed read is left for the flows";
	EXPECT_TRUE(sim_info.dvd_info_lines.empty());

	g_new_disc_flag = 1;
	d.run_frame();
	d.run_frame();
	EXPECT_EQ(s_locates, 2);

	// Coming back to the menu tries once more.
	d.press_choice(2);
	d.run_frame();
	d.press_back();
	ASSERT_EQ(d.current(), w.menu);
	d.run_frame();
	EXPECT_EQ(s_locates, 3);
}

TEST_F(menu_test, scenery_from_the_menu_asks_which_installation)
{
	make_release({{"Resources/a.txt", "alpha"},
	              {"Global Scenery/Pack A/Earth nav data/+30-090/+30-090.dsf", "tile one"},
	              {"Global Scenery/Pack A/Earth nav data/+40-080/+40-080.dsf", "tile two"}});
	install("one");
	const std::string two = install("two");
	dir.mkdirs("two/Global Scenery/Pack A/Earth nav data/+40-080");
	dir.write("two/Global Scenery/Pack A/Earth nav data/+40-080/+40-080.dsf", "tile two");

	static std::vector<std::string> s_texts;
	scenery_wizard_bodies bodies;
	bodies.pick_dest = [](std::string*, const std::string& one, const std::string& pick) -> gui_widget_controller* {
		s_texts = {one, pick};
		return nullptr;
	};
	scenery_wizard_set_bodies(bodies);

	main_menu_existing_install_wizard w;
	wizard_driver d;
	d.open_first(w.menu);
	d.run_frame();
	d.press_choice(1);
	ASSERT_TRUE(frames_until(d, w.scenery->pick)) << "the manifest fetch did not finish";
	EXPECT_EQ(d.current()->build_screen_body(), nullptr);
	scenery_wizard_set_bodies(scenery_wizard_bodies());
	EXPECT_EQ(s_texts.size(), 2u);
	EXPECT_EQ(all_skysuites.size(), 2u) << "both installations are offered";
	for (int i = 0; i < 3; ++i) {
		d.run_frame();
		EXPECT_EQ(d.screen().next_step, nullptr) << "Continue stays disabled until one is picked";
		d.press_continue();
		EXPECT_EQ(d.current(), w.scenery->pick);
	}
	EXPECT_EQ(d.screen().back_step, w.menu);

	dest_dir_path = two;  // what the body does when the user picks the second one
	d.run_frame();
	EXPECT_EQ(d.screen().next_step, w.scenery->checksum);
	d.press_continue();
	ASSERT_TRUE(frames_until(d, w.scenery->edit)) << "the scan did not finish";
	EXPECT_EQ(stg.wrl_sel[10][13], 1) << "the map shows the picked installation's scenery";
	EXPECT_EQ(stg.wrl_sel[9][12], 0);
	d.run_frame();
	EXPECT_EQ(d.screen().back_step, w.scenery->pick);
}

}  // namespace
