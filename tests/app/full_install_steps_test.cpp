// The full install and demo install wizards' own steps in process: step lists, the welcome
// step's disc handling, the map's disk-space and large-download rules, the final screens.
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/flows/demo/demo_install_wizard.h"
#include "app/Installer-f/flows/full/full_install_wizard.h"
#include "app/Installer-f/flows/questions.h"
#include "app/Installer-f/flows/steps/any_get_install_info_net.h"
#include "app/Installer-f/flows/steps/any_pick_install.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/see_eula.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/flows/update/net_update_wizard.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/installer/dvd_directory_reader.h"
#include "core/installer/install_registry.h"
#include "core/installer/sim_info.h"
#include "core/installer/vendor_hosts.h"
#include "core/platform/WIN_app.h"
#include "core/ui/stg.h"
#include "support/scratch_dir.h"
#include "support/zip_maker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct full_install_steps : ::testing::Test {
	void SetUp() override
	{
		saved_stg = stg;
		saved_sim = sim_info;
		saved_dest = dest_dir_path;
		saved_reader = disk_space_reader;
		saved_locate = dvd_locate_fn;
		saved_temp = dvd_temp_path_fn;
		saved_registry = registry_folder_fn;
		sim_info.clear();
		set_install_filter(1, 1, 1);
		stg.target_os = 3;
		dest_dir_path = dir / "Skyvane 11/";
		s_free_bytes = 100000000000ull;
		disk_space_reader = [](const std::string&, uint64_t* total, uint64_t* free_bytes) -> err_code_t {
			*total = s_free_bytes * 2;
			*free_bytes = s_free_bytes;
			return 0;
		};
		dir.mkdirs("prefs");
		dir.mkdirs("temp");
		s_dir = dir.path();
		registry_folder_fn = [] { return s_dir + "prefs/"; };
		dvd_temp_path_fn = [] { return s_dir + "temp/"; };
		dvd_locate_fn = [](const std::string&) { return s_disc; };
		s_disc.clear();
		g_new_disc_flag = 0;
	}
	void TearDown() override
	{
		set_abort_answerer(nullptr);
		disk_space_reader = saved_reader;
		dvd_locate_fn = saved_locate;
		dvd_temp_path_fn = saved_temp;
		registry_folder_fn = saved_registry;
		g_new_disc_flag = 0;
		stg = saved_stg;
		sim_info = saved_sim;
		dest_dir_path = saved_dest;
	}
	// A manifest file missing from the destination, so the plan fetches it.
	void add_missing(const std::string& path, double download_kb, double disk_kb)
	{
		file_history_struct f;
		file_version_struct v;
		v.path = path;
		v.sig_want = "0123456789abcdef0123456789abcdef";
		v.sig_have = "NONE";
		v.download_kb = download_kb;
		v.disk_kb = disk_kb;
		f.versions.push_back(v);
		sim_info.files.push_back(f);
	}
	// A disc in a scratch folder: its description and zipped manifest.
	void burn_disc(const std::string& folder, const std::string& install_name, const std::string& manifest)
	{
		dir.mkdirs(folder + install_name);
		dir.write(folder + "dvd_version.txt", "I\n1100 version\nDVD\n\nVERSION " + install_name + "\n");
		ASSERT_TRUE(write_zip_file(dir / (folder + install_name + "/directory.txt.zip"), {{"directory.txt", manifest}}));
	}
	static std::vector<std::string> titles(const wizard_collection& w)
	{
		std::vector<std::string> out;
		for (wizard_func* s : w.steps)
			out.push_back(s->title + "|" + s->name);
		return out;
	}

	static inline uint64_t s_free_bytes = 0;
	static inline std::string s_dir, s_disc;
	scratch_dir dir;
	stg_record saved_stg;
	sim_info_struct saved_sim;
	std::string saved_dest;
	disk_space_reader_fn saved_reader = nullptr;
	dvd_locate_fn_t saved_locate = nullptr;
	dvd_temp_path_fn_t saved_temp = nullptr;
	registry_folder_fn_t saved_registry = nullptr;
};

const std::string good_manifest =
	"I\n1100 version\nINSTALLER\n\nFILE 0 0 0 0 0 0 1.000 1.000 0123456789abcdef0123456789abcdef a.txt\n";

TEST_F(full_install_steps, step_lists)
{
	full_install_wizard from_main(nullptr, 0);
	EXPECT_EQ(titles(from_main), (std::vector<std::string>{
		"Welcome|Main Menu - DVD", "Check Servers|Get Installation Info from Internet",
		"Pick Destination|Pick Installation", "License|EULA", "Select Scenery|DVD Scenery Selection",
		"Install|Run Install", "Finish|DVD Installation Complete"}));
	EXPECT_EQ(from_main.pick->demo, 0);
	EXPECT_EQ(from_main.pick->require_space, 0);

	wizard_collection menu(nullptr);
	full_install_wizard from_menu(menu.parent, 1);
	EXPECT_EQ(from_menu.start, nullptr);
	ASSERT_EQ(from_menu.steps.size(), 6u);
	EXPECT_EQ(from_menu.steps.front(), from_menu.get_info);
	EXPECT_EQ(from_menu.get_info->full, true);
	EXPECT_EQ(from_menu.get_info->beta_allowed, false);

	demo_install_wizard demo(nullptr);
	EXPECT_EQ(titles(demo), (std::vector<std::string>{
		"License|EULA", "Check Servers|Get Installation Info from Internet", "Pick Destination|Pick Installation",
		"Install|Run Install", "Finish|Finished Demo Installation"}));
	EXPECT_TRUE(demo.get_info->demo);
	EXPECT_FALSE(demo.get_info->full);
	EXPECT_FALSE(demo.get_info->beta_allowed);
	EXPECT_EQ(demo.pick->demo, 1);
	EXPECT_EQ(demo.pick->require_space, 1);
}

TEST_F(full_install_steps, welcome_reads_the_disc_and_an_unreadable_one_is_no_source)
{
	burn_disc("good/", "Skyvane 11.00 DVD", good_manifest);
	burn_disc("bad/", "Skyvane 11.00 DVD", "I\n1100 version\nINSTALLER\n\nFILE 0 0 0 0 0 0 1.000 1.000 x ../escape\n");
	full_install_wizard w(nullptr, 0);
	const std::string plain =
		"Welcome to the Skyvane 11 Installer. This installer will guide you through the process of installing Skyvane 11.";
	const std::string named =
		"Welcome to the Skyvane 11 Installer. This installer will guide you through the process of installing Skyvane 11.00 DVD.";
	const struct {
		const char* name;
		const char* disc;  // folder of the disc in the drive, "" for none
		bool new_disc;     // a disc arrived before this frame
		const std::string& message;
		ins_data_src source;
		bool network_step_skipped;
	} frames[] = {
		{"no disc", "", false, plain, ins_src_none, false},
		{"unreadable disc", "bad/", true, plain, ins_src_none, false},
		{"not read again without a new disc", "good/", false, plain, ins_src_none, false},
		{"a good disc arrives", "good/", true, named, ins_src_dvd, true},
		{"disc taken out and put back in", "good/", true, named, ins_src_dvd, true},
	};
	ASSERT_EQ(w.start->open(), w.start);
	for (const auto& f : frames) {
		SCOPED_TRACE(f.name);
		s_disc = *f.disc ? dir / f.disc : "";
		g_new_disc_flag = f.new_disc;
		wizard_screen s;
		EXPECT_EQ(w.start->go(s), w.start);
		EXPECT_EQ(g_new_disc_flag, 0);
		EXPECT_EQ(s.title, "Skyvane 11 Installer/Updater");
		EXPECT_EQ(s.message, f.message);
		EXPECT_EQ(s.next_step, w.get_info);
		EXPECT_EQ(s.back_step, nullptr);
		EXPECT_EQ(s.show_settings, 1);
		EXPECT_EQ(sim_info.source, f.source);
		EXPECT_EQ(w.get_info->open() == w.pick, f.network_step_skipped);
	}
}

TEST_F(full_install_steps, network_step_is_skipped_only_for_a_disc_set_that_was_read)
{
	// As main's scan leaves them: a disc whose manifest failed to read is marked but has version 0.
	const struct {
		ins_data_src source;
		int version;
		bool skipped;
	} cases[] = {{ins_src_dvd, 1100, true}, {ins_src_dvd, 0, false}, {ins_src_none, 0, false}, {ins_src_net_full, 1100, false}};
	full_install_wizard w(nullptr, 1);
	for (const auto& c : cases) {
		SCOPED_TRACE(testing::Message() << c.source << "/" << c.version);
		sim_info.source = c.source;
		sim_info.version = c.version;
		EXPECT_EQ(w.get_info->open() == w.pick, c.skipped);
		w.get_info->close();
	}
}

TEST_F(full_install_steps, map_continue_needs_the_space_of_the_selection)
{
	const struct {
		uint64_t free_bytes;
		bool enabled;
	} cases[] = {{100000000000ull, true}, {5000001, true}, {5000000, false}, {1000, false}};
	add_missing("Resources/big.bin", 1000, 5000);
	full_install_wizard w(nullptr, 1);
	ASSERT_EQ(w.scenery->open(), w.scenery);
	for (const auto& c : cases) {
		SCOPED_TRACE(c.free_bytes);
		s_free_bytes = c.free_bytes;
		wizard_screen s;
		EXPECT_EQ(w.scenery->go(s), w.scenery);
		EXPECT_EQ(s.title, "Select Scenery");
		EXPECT_EQ(s.next_step == w.run_install, c.enabled);
		EXPECT_EQ(s.next_step == wiz_target_none, !c.enabled);
		EXPECT_EQ(s.back_step, w.eula);
	}
}

TEST_F(full_install_steps, large_network_download_asks_before_leaving_the_map)
{
	const struct {
		const char* name;
		ins_data_src source;
		double download_kb;
		ins_btn_type button;
		bool answer_change;  // the answer: "Change Scenery"
		bool asked;
		bool leaves;
	} cases[] = {
		{"change scenery keeps the map", ins_src_net_full, 31457280, ins_btn_next, true, true, false},
		{"continue install leaves", ins_src_net_full, 31457280, ins_btn_next, false, true, true},
		{"just below", ins_src_net_full, 31457279, ins_btn_next, true, false, true},
		{"disc set", ins_src_dvd, 40000000, ins_btn_next, true, false, true},
		{"back is not asked", ins_src_net_full, 40000000, ins_btn_back, true, false, true},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.name);
		sim_info.clear();
		sim_info.source = c.source;
		add_missing("Global Scenery/huge.dsf", c.download_kb, 4096);
		full_install_wizard w(nullptr, 1);
		ASSERT_EQ(w.scenery->open(), w.scenery);
		static int asked;
		static bool change;
		static std::string title;
		asked = 0;
		change = c.answer_change;
		title.clear();
		set_abort_answerer([](const abort_question& q) {
			++asked;
			title = q.title;
			return change;
		});
		EXPECT_EQ(w.scenery->check_can_close(c.button), c.leaves);
		EXPECT_EQ(asked, c.asked ? 1 : 0);
		if (c.asked) {
			EXPECT_EQ(title, "LONG INSTALLATION TIME EXPECTED");
		}
	}
}

TEST_F(full_install_steps, failed_scan_of_the_destination_goes_to_the_final_step)
{
	// A folder where the manifest has a file: the scan cannot read it.
	dir.mkdirs("Skyvane 11/a.txt/inner");
	add_missing("a.txt", 1, 4);
	full_install_wizard w(nullptr, 1);
	EXPECT_EQ(w.scenery->open(), w.done);
	EXPECT_NE(w.error_code, 0u);
	EXPECT_FALSE(w.error_text.empty());
	wizard_screen s;
	w.done->open();
	w.done->go(s);
	EXPECT_EQ(s.message.rfind("There was a problem installing Skyvane 11.", 0), 0u) << s.message;
	EXPECT_TRUE(s.choice_steps.empty());
}

TEST_F(full_install_steps, final_screen)
{
	const std::string support = vendor_support_email();
	const struct {
		const char* name;
		int from_menu;
		ins_data_src source;
		err_code_t error;
		std::string message;
		std::vector<std::string> rows;
	} cases[] = {
		{"disc set", 0, ins_src_dvd, 0, "Installation was successful.", {"Check for Updates", "Run Skyvane Now"}},
		{"network", 1, ins_src_net_full, 0, "Installation was successful.", {"Run Skyvane Now"}},
		{"network error", 1, ins_src_net_full, err_make(1, 7),
		 "There was a problem installing Skyvane 11. Please check your internet connection and try again, or "
		 "contact Brightfold tech support at " + support + " for help.\n\n(The technical problem was: boom.)",
		 {}},
		{"other error", 0, ins_src_dvd, err_make(4, 28),
		 "There was a problem installing Skyvane 11. Please try the installer again later or contact Brightfold "
		 "tech support at " + support + " for help.\n\n(The technical problem was: boom.)",
		 {}},
	};
	wizard_collection menu(nullptr);
	wizard_func* menu_step = menu.add_step(new any_pick_install(&menu, 0, 0, any_pick_install_msgs()));
	for (const auto& c : cases) {
		SCOPED_TRACE(c.name);
		sim_info.source = c.source;
		full_install_wizard w(c.from_menu ? menu_step : nullptr, c.from_menu);
		w.error_code = c.error;
		w.error_text = c.error ? "boom" : "";
		dest_dir_path = "/Apps/Sim A/";
		ASSERT_EQ(w.done->open(), w.done);
		EXPECT_EQ(w.done->update_wizard != nullptr, c.error == 0);
		wizard_screen s;
		EXPECT_EQ(w.done->go(s), w.done);
		EXPECT_EQ(s.title, "Finished Installing Skyvane");
		EXPECT_EQ(s.message, c.message);
		EXPECT_EQ(s.back_step, w.steps.front()) << "Back goes to the wizard's first step";
		EXPECT_EQ(s.next_step, wiz_target_quit);
		EXPECT_EQ(s.choice_labels, c.rows);
		if (!c.rows.empty()) {
			EXPECT_EQ(s.choice_steps.back(), wiz_target_run_sim);
		}
		if (c.rows.size() == 2) {
			net_update_wizard* u = w.done->update_wizard;
			EXPECT_EQ(s.choice_steps[0], u->steps.front());
			EXPECT_EQ(u->install_path, "/Apps/Sim A/");
			EXPECT_EQ(u->parent, w.steps.front());
		}
		w.done->close();
		EXPECT_EQ(w.error_code, 0u);
		EXPECT_TRUE(w.error_text.empty());
	}
}

TEST_F(full_install_steps, final_screen_rebuilds_the_update_for_the_new_destination)
{
	sim_info.source = ins_src_dvd;
	full_install_wizard w(nullptr, 0);
	dest_dir_path = "/Apps/First/";
	w.done->open();
	dest_dir_path = "/Apps/Second/";
	w.done->open();
	ASSERT_NE(w.done->update_wizard, nullptr);
	EXPECT_EQ(w.done->update_wizard->install_path, "/Apps/Second/");
	wizard_screen s;
	w.done->go(s);
	ASSERT_EQ(s.choice_steps.size(), 2u);
	EXPECT_EQ(s.choice_steps[0], w.done->update_wizard->steps.front());

	// A failed visit keeps the update of the last good one.
	net_update_wizard* kept = w.done->update_wizard;
	w.error_code = err_make(7, 1);
	w.done->open();
	EXPECT_EQ(w.done->update_wizard, kept);
}

TEST_F(full_install_steps, demo_final_screen_has_no_back)
{
	const std::string support = vendor_support_email();
	const struct {
		const char* name;
		err_code_t error;
		std::string message;
		bool fly_row;
	} cases[] = {
		{"installed", 0, "The Skyvane 11 Demo has finished installing at: /Apps/Demo/.", true},
		{"network error", err_make(1, 7),
		 "There was a problem installing the Skyvane 11 Demo. Please check your internet connection and try "
		 "again, or contact Brightfold tech support at " + support + " for help.\n\n(The technical problem was: boom.)",
		 false},
		{"other error", err_make(2, 404),
		 "There was a problem installing the Skyvane 11 Demo. Please try the demo installer again later or "
		 "contact Brightfold tech support for help.\n\n(The technical problem was: boom.)",
		 false},
	};
	wizard_collection menu(nullptr);
	wizard_func* menu_step = menu.add_step(new any_pick_install(&menu, 0, 0, any_pick_install_msgs()));
	for (const auto& c : cases) {
		SCOPED_TRACE(c.name);
		demo_install_wizard w(menu_step);
		w.error_code = c.error;
		w.error_text = c.error ? "boom" : "";
		dest_dir_path = "/Apps/Demo/";
		wizard_screen s;
		EXPECT_EQ(w.done->go(s), w.done);
		EXPECT_EQ(s.title, "Finshed Web Demo Install");
		EXPECT_EQ(s.message, c.message);
		EXPECT_EQ(s.back_step, nullptr);
		EXPECT_EQ(s.next_step, wiz_target_quit);
		ASSERT_EQ(s.choice_steps.size(), c.fly_row ? 1u : 0u);
		if (c.fly_row) {
			EXPECT_EQ(s.choice_labels[0], "Fly Skyvane 11 Now");
			EXPECT_EQ(s.choice_steps[0], wiz_target_run_sim);
		}
		w.done->close();
		EXPECT_EQ(w.error_code, 0u);
		// Back from the licence step returns to the menu.
		wizard_screen first;
		w.eula->go(first);
		EXPECT_EQ(first.back_step, menu_step);
	}
}

}  // namespace
