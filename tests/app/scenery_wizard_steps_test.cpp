// The scenery wizard's own steps in process: the step lists, the welcome, the choice of
// installation, the map step's selection and buttons, and the final step's messages and
// follow-on update wizard.
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/flows/questions.h"
#include "app/Installer-f/flows/scenery/add_remove_scenery_wizard.h"
#include "app/Installer-f/flows/steps/any_checksum.h"
#include "app/Installer-f/flows/steps/any_get_install_info_net.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/flows/update/net_update_wizard.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/wizard/wizard_driver.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/installer/install_registry.h"
#include "core/installer/sim_info.h"
#include "core/ui/stg.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class stay_step : public wizard_func {
public:
	explicit stay_step(wizard_collection* w) : wizard_func(w, "Menu", "Menu") {}
	wizard_func* go(wizard_screen&) override { return this; }
};

struct scenery_steps : ::testing::Test {
	void SetUp() override
	{
		saved_stg = stg;
		saved_suites = all_skysuites;
		saved_reader = disk_space_reader;
		sim_info.clear();
		set_install_filter(0, 1, 1);
		stg.target_os = 3;
		dest_dir_path.clear();
		all_skysuites.clear();
		s_free_bytes = 10000000000ull;
		disk_space_reader = [](const std::string&, uint64_t* total, uint64_t* free_bytes) -> err_code_t {
			*total = s_free_bytes * 2;
			*free_bytes = s_free_bytes;
			return 0;
		};
		menu_wizard.add_step(menu);
		saved_registry = registry_folder_fn;
		dir.mkdirs("prefs");
		s_prefs = dir / "prefs/";
		registry_folder_fn = [] { return s_prefs; };
	}
	void TearDown() override
	{
		set_abort_answerer(nullptr);
		registry_folder_fn = saved_registry;
		disk_space_reader = saved_reader;
		sim_info.clear();
		dest_dir_path.clear();
		all_skysuites = saved_suites;
		stg = saved_stg;
	}
	static std::vector<std::string> titles(const wizard_collection& w)
	{
		std::vector<std::string> out;
		for (wizard_func* s : w.steps)
			out.push_back(s->title + "|" + s->name);
		return out;
	}
	// A scenery file of the manifest covering block (x, y), missing from the folder.
	static void add_scenery(const std::string& path, int x, int y, double download_kb, double disk_kb)
	{
		file_history_struct f;
		file_version_struct v;
		v.path = path;
		v.is_scenery = 1;
		v.tile_lon_min = v.tile_lon_max = x;
		v.tile_lat_min = v.tile_lat_max = y;
		v.sig_want = "0123456789abcdef0123456789abcdef";
		v.sig_have = "NONE";
		v.download_kb = download_kb;
		v.disk_kb = disk_kb;
		f.versions.push_back(v);
		sim_info.files.push_back(f);
	}

	static inline uint64_t s_free_bytes = 0;
	static inline std::string s_prefs;
	registry_folder_fn_t saved_registry = nullptr;
	disk_space_reader_fn saved_reader = nullptr;
	stg_record saved_stg;
	std::vector<std::string> saved_suites;
	wizard_collection menu_wizard{nullptr};
	stay_step* menu = new stay_step(&menu_wizard);
	scratch_dir dir;
};

TEST_F(scenery_steps, steps_with_and_without_an_installation_path)
{
	add_remove_scenery_wizard demo("/Apps/Sim/", 1, nullptr);
	EXPECT_EQ(titles(demo), (std::vector<std::string>{
		"Welcome|Main Menu - Add or Remove Scenery", "Check Servers|Get Installation Info from Internet",
		"Scan Existing Files|Scan Existing Files", "Select New Scenery|Select Scenery to Add or Remove",
		"Install|Run Install", "Upgrade Demo|Scenery Installation Complete - Upgrade Your Demo"}));
	EXPECT_EQ(demo.pick, nullptr);
	EXPECT_EQ(demo.prev_for_step(demo.edit), demo.start) << "the scan and the fetch are passed over";
	EXPECT_TRUE(demo.get_info->full);
	EXPECT_FALSE(demo.get_info->demo);
	EXPECT_FALSE(demo.get_info->beta_allowed);
	const any_checksum_config& c = demo.checksum->config;
	EXPECT_EQ(std::vector<int>({c.want_sim, c.want_scenery, c.want_extras, c.scan_mode}), std::vector<int>({0, 1, 1, 1}))
		<< "scenery and extras only, existence only";
	EXPECT_EQ(demo.checksum->msgs.title, "Scanning Skyvane for Installed Scenery");

	add_remove_scenery_wizard from_menu("", 0, menu);
	EXPECT_EQ(titles(from_menu), (std::vector<std::string>{
		"Check Servers|Get Installation Info from Internet",
		"Select an Skyvane Installation|Select an Installation to Add or Remove Scenery",
		"Scan Existing Files|Scan Existing Files", "Select New Scenery|Select Scenery to Add or Remove",
		"Install|Run Install", "Finish|Scenery Installation Complete"}));
	EXPECT_EQ(from_menu.start, nullptr);
	EXPECT_EQ(from_menu.prev_for_step(from_menu.edit), from_menu.pick);
	EXPECT_EQ(from_menu.prev_for_step(from_menu.pick), menu) << "Back from the choice returns to the menu";
}

TEST_F(scenery_steps, welcome_names_the_upgrade_or_the_scenery_change)
{
	const struct {
		int force_update;
		std::string message;
	} rows[] = {
		{1, "Welcome to the Skyvane 11 Installer/Updater. This installer will guide you through the process of "
		    "upgrading your Skyvane 11 demo to a full installation of Skyvane."},
		{0, "Welcome to the Skyvane 11 Installer/Updater. This installer will guide you through the process of "
		    "adding and removing scenery."},
	};
	for (const auto& r : rows) {
		SCOPED_TRACE(r.force_update);
		add_remove_scenery_wizard w("/Apps/Demo/", r.force_update, nullptr);
		dest_dir_path = "/elsewhere/";
		wizard_screen s;
		EXPECT_EQ(w.start->go(s), w.start);
		EXPECT_EQ(dest_dir_path, "/Apps/Demo/");
		EXPECT_EQ(s.title, "Skyvane 11 Installer");
		EXPECT_EQ(s.message, r.message);
		EXPECT_EQ(s.back_step, nullptr) << "started by main: no parent";
		EXPECT_EQ(s.next_step, w.get_info);
		EXPECT_EQ(s.show_settings, 1);
	}
}

TEST_F(scenery_steps, choice_of_installation)
{
	const struct {
		const char* name;
		std::vector<std::string> installations;
		std::string chosen;  // dest_dir_path before the frame
		std::string dest;    // after it
		bool next_enabled;
	} rows[] = {
		{"none known", {}, "", "", false},
		{"one is taken", {"/a/"}, "", "/a/", true},
		{"two, none chosen", {"/a/", "/b/"}, "", "", false},
		{"two, one chosen", {"/a/", "/b/"}, "/b/", "/b/", true},
	};
	add_remove_scenery_wizard w("", 0, menu);
	for (const auto& r : rows) {
		SCOPED_TRACE(r.name);
		all_skysuites = r.installations;
		dest_dir_path = r.chosen;
		wizard_screen s;
		EXPECT_EQ(w.pick->go(s), w.pick);
		EXPECT_EQ(dest_dir_path, r.dest);
		EXPECT_EQ(s.title, "Select an Skyvane Installation to Add or Remove Scenery");
		EXPECT_EQ(s.next_step == w.checksum, r.next_enabled);
		EXPECT_EQ(s.back_step, menu);
	}
	EXPECT_FALSE(w.pick->skip_back());

	// Its body edits dest_dir_path with the step's two texts.
	static std::string* s_edited;
	static std::vector<std::string> s_texts;
	scenery_wizard_bodies bodies;
	bodies.pick_dest = [](std::string* dest, const std::string& one, const std::string& pick) -> gui_widget_controller* {
		s_edited = dest;
		s_texts = {one, pick};
		return nullptr;
	};
	scenery_wizard_set_bodies(bodies);
	w.pick->build_screen_body();
	scenery_wizard_set_bodies(scenery_wizard_bodies());
	EXPECT_EQ(s_edited, &dest_dir_path);
	EXPECT_EQ(s_texts, (std::vector<std::string>{"The installer found the following copy of Skyvane 11 to add scenery to.",
	                                             "Please select the copy of Skyvane you would like to add scenery to."}));

	// A step given a path takes it and moves on by itself; Back passes over it.
	dvd_pick_scenery given(&w, "/given/");
	all_skysuites = {"/a/"};
	wizard_screen s;
	EXPECT_EQ(given.go(s), w.next_for_step(&given));
	EXPECT_EQ(dest_dir_path, "/given/");
	EXPECT_TRUE(given.skip_back());
}

TEST_F(scenery_steps, map_starts_from_the_installed_blocks)
{
	// Block folders with something in them count; an empty one does not.
	dir.mkdirs("Global Scenery/Pack A/Earth nav data/+30-090");
	dir.write("Global Scenery/Pack A/Earth nav data/+30-090/+30-090.dsf", "tile");
	dir.mkdirs("Global Scenery/Pack B/Earth nav data/-40+110");
	dir.write("Global Scenery/Pack B/Earth nav data/-40+110/x.dsf", "tile");
	dir.mkdirs("Global Scenery/Pack B/Earth nav data/+40-080");
	dest_dir_path = dir.path();
	stg.wrl_sel[0][0] = 1;  // left from an earlier visit

	add_remove_scenery_wizard w(dir.path(), 0, nullptr);
	EXPECT_EQ(w.edit->open(), w.edit);
	int selected = 0;
	for (int x = 0; x < stg_wrl_lon_count; ++x)
		for (int y = 0; y < stg_wrl_lat_count; ++y)
			selected += stg.wrl_sel[x][y] != 0;
	EXPECT_EQ(selected, 2);
	EXPECT_EQ(stg.wrl_sel[9][12], 1);
	EXPECT_EQ(stg.wrl_sel[29][5], 1);
	EXPECT_EQ(stg.wrl_sel[10][13], 0);

	wizard_screen s;
	EXPECT_EQ(w.edit->go(s), w.edit);
	EXPECT_EQ(s.title, "Select Scenery");
	EXPECT_EQ(s.back_step, w.start);
	EXPECT_EQ(s.next_step, w.run_install);
}

TEST_F(scenery_steps, map_continue_needs_disk_space_and_asks_about_huge_downloads)
{
	dest_dir_path = dir.path();
	sim_info.source = ins_src_net_full;
	static int s_asked;
	static bool s_change;
	set_abort_answerer([](const abort_question& q) {
		++s_asked;
		EXPECT_EQ(q.kind, question_huge_download);
		return s_change;
	});
	const struct {
		const char* name;
		double download_kb;
		uint64_t free_bytes;
		bool change_scenery;  // the answer to the large-download question
		bool next_enabled;
		bool asked;
		bool may_leave;       // check_can_close on Continue
	} rows[] = {
		{"too little space", 1000, 1000, false, false, false, true},
		{"ordinary download", 1000, 10000000000ull, false, true, false, true},
		{"huge download, keep the selection", 40000000, 10000000000ull, false, true, true, true},
		{"huge download, change the selection", 40000000, 10000000000ull, true, true, true, false},
	};
	for (const auto& r : rows) {
		SCOPED_TRACE(r.name);
		sim_info.files.clear();
		add_scenery("Global Scenery/Pack A/Earth nav data/+30-090/big.dsf", 9, 12, r.download_kb, 4000);
		s_free_bytes = r.free_bytes;
		s_asked = 0;
		s_change = r.change_scenery;
		add_remove_scenery_wizard w(dir.path(), 0, nullptr);
		wizard_driver d;
		d.open_first(w.edit);
		stg.wrl_sel[9][12] = 1;  // nothing is installed; the user picks the block of the file
		d.run_frame();
		EXPECT_EQ(d.screen().next_step == w.run_install, r.next_enabled);
		EXPECT_TRUE(w.edit->check_can_close(ins_btn_back));
		EXPECT_TRUE(w.edit->check_can_close(ins_btn_cancel));
		EXPECT_EQ(s_asked, 0) << "only Continue asks";
		if (r.next_enabled) {
			EXPECT_EQ(w.edit->check_can_close(ins_btn_next), r.may_leave);
		}
		EXPECT_EQ(s_asked > 0, r.asked);
		if (r.asked && !r.may_leave) {
			d.press_continue();
			EXPECT_EQ(d.current(), w.edit) << "Change Scenery keeps the user on the map";
		}
	}
}

TEST_F(scenery_steps, final_messages)
{
	const std::string net = "Some of your scenery may not be usable. Please check your internet connection and try "
	                        "again, or contact Brightfold tech support for help.";
	const std::string other = "Some of your scenery may not be usable. Please try the installer again later or contact "
	                          "Brightfold tech support for help.";
	const std::string tech = "\n\n(The technical problem was: boom.)";
	const struct {
		err_code_t error;
		int fetched, deleted;
		std::string message;
	} rows[] = {
		{err_make(1, 7), 2, 3, "There were errors while adding and removing your scenery. " + net + tech},
		{err_make(2, 404), 2, 0, "There were errors while installing your scenery. " + other + tech},
		{err_make(2, 404), 0, 3, "There were errors while removing your scenery. " + other + tech},
		{err_make(1, 7), 0, 0, "There were errors while updating your scenery. " + net + tech},
		{0, 2, 3, "Scenery has been added/removed to match your choices on the map."},
		{0, 2, 0, "New scenery has been installed to match your choices on the map."},
		{0, 0, 3, "Scenery has been removed to match your choices on the map."},
		{0, 0, 0, "Your scenery has been updated to match your choices on the map."},
	};
	for (const auto& r : rows) {
		SCOPED_TRACE(r.message);
		EXPECT_EQ(dvd_done_scenery_message(r.error, r.error ? "boom" : "", r.fetched, r.deleted), r.message);

		add_remove_scenery_wizard w("", 0, menu);
		dest_dir_path = "/Apps/Sim/";
		stg.install_file_count = r.fetched;
		stg.delete_file_count = r.deleted;
		w.error_code = r.error;
		w.error_text = r.error ? "boom" : "";
		EXPECT_EQ(w.done->open(), w.done);
		wizard_screen s;
		EXPECT_EQ(w.done->go(s), w.done);
		EXPECT_EQ(s.title, "Finished Adding/Removing Scenery");
		EXPECT_EQ(s.message, r.message);
		EXPECT_EQ(s.back_step, menu) << "Back returns to the menu";
		EXPECT_EQ(s.next_step, wiz_target_quit);
		if (r.error) {
			EXPECT_TRUE(s.choice_steps.empty());
			EXPECT_EQ(w.done->update, nullptr) << "no follow-on update after a failure";
		} else {
			ASSERT_NE(w.done->update, nullptr);
			EXPECT_EQ(s.choice_labels, (std::vector<std::string>{"Check for Updates", "Run Skyvane Now"}));
			EXPECT_EQ(s.choice_steps, (std::vector<wizard_func*>{w.done->update->steps.front(), wiz_target_run_sim}));
		}
		w.done->close();
		EXPECT_EQ(w.error_code, 0);
		EXPECT_EQ(w.error_text, "");
	}
}

TEST_F(scenery_steps, final_step_builds_the_follow_on_update)
{
	// Started by main on a demo: straight into the update, whose Back leads nowhere.
	add_remove_scenery_wizard demo("/Apps/Demo/", 1, nullptr);
	dest_dir_path = "/Apps/Demo/";
	wizard_func* next = demo.done->open();
	ASSERT_NE(demo.done->update, nullptr);
	EXPECT_EQ(next, demo.done->update->steps.front());
	EXPECT_EQ(demo.done->update->install_path, "/Apps/Demo/");
	EXPECT_EQ(demo.done->update->parent, nullptr);
	wizard_screen s;
	demo.done->go(s);
	EXPECT_EQ(s.back_step, nullptr) << "started by main: Back disabled";

	// From the menu: the update's parent is the menu, and every visit builds it for the folder
	// then being worked on.
	add_remove_scenery_wizard w("", 0, menu);
	dest_dir_path = "/a/";
	EXPECT_EQ(w.done->open(), w.done);
	EXPECT_EQ(w.done->update->parent, menu);
	dest_dir_path = "/b/";
	EXPECT_EQ(w.done->open(), w.done);
	EXPECT_EQ(w.done->update->install_path, "/b/");
	EXPECT_EQ(w.done->update->pick_dest, nullptr);

	// Driven: the demo's last install frame opens the update's welcome instead of the final screen.
	wizard_driver d;
	dest_dir_path = "/Apps/Demo/";
	d.open_first(demo.done);
	ASSERT_NE(d.current(), nullptr);
	EXPECT_EQ(d.current(), demo.done->update->steps.front());
	EXPECT_EQ(d.current()->name, "Main Menu - Web Update");
}

}  // namespace
