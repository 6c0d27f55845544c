// The update wizard's own steps in process: the step list, the disk-space step's three
// outcomes and the final step's messages.
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/flows/steps/any_checksum.h"
#include "app/Installer-f/flows/steps/any_get_install_info_net.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/flows/update/net_update_wizard.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/installer/sim_info.h"
#include "core/installer/vendor_hosts.h"
#include "core/ui/stg.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct update_wizard_test : ::testing::Test {
	void SetUp() override
	{
		saved_stg = stg;
		sim_info.clear();
		set_install_filter(1, 1, 1);
		stg.target_os = 3;
		dest_dir_path = dir.path();
		s_free_bytes = 0;
		saved_reader = disk_space_reader;
		disk_space_reader = [](const std::string&, uint64_t* total, uint64_t* free_bytes) -> err_code_t {
			*total = s_free_bytes * 2;
			*free_bytes = s_free_bytes;
			return 0;
		};
	}
	void TearDown() override
	{
		disk_space_reader = saved_reader;
		sim_info.clear();
		dest_dir_path.clear();
		stg = saved_stg;
	}
	// One manifest file that is missing from the folder, so the plan fetches it.
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
	static std::vector<std::string> titles(const net_update_wizard& w)
	{
		std::vector<std::string> out;
		for (wizard_func* s : w.steps)
			out.push_back(s->title + "|" + s->name);
		return out;
	}

	static inline uint64_t s_free_bytes = 0;
	disk_space_reader_fn saved_reader = nullptr;
	stg_record saved_stg;
	scratch_dir dir;
};

TEST_F(update_wizard_test, steps_with_and_without_an_installation_path)
{
	net_update_wizard given("/Apps/Sim/", nullptr, 0);
	EXPECT_EQ(titles(given), (std::vector<std::string>{
		"Welcome|Main Menu - Web Update", "Check Servers|Get Installation Info from Internet",
		"Scan Existing Files|Scan Existing Files", "Check Disk Space|Check Disk Space for Update",
		"Install|Run Install", "Finish|Update Complete"}));
	EXPECT_EQ(given.pick_dest, nullptr);
	EXPECT_EQ(given.prev_for_step(given.get_info), given.start);
	EXPECT_EQ(given.prev_for_step(given.check_disk), given.start) << "the work steps are passed over";

	net_update_wizard pick("", nullptr, 0);
	ASSERT_EQ(pick.steps.size(), 7u);
	EXPECT_EQ(pick.steps[1]->title + "|" + pick.steps[1]->name, "Pick Destination|Choose Copy of Skyvane to Update");
	EXPECT_EQ(pick.prev_for_step(pick.get_info), pick.pick_dest);

	wizard_screen s;
	given.start->go(s);
	EXPECT_EQ(dest_dir_path, "/Apps/Sim/");
	EXPECT_EQ(s.back_step, nullptr) << "no parent: Back disabled";
	EXPECT_EQ(s.next_step, given.get_info);
	EXPECT_EQ(s.show_settings, 1);
}

TEST_F(update_wizard_test, pick_destination_needs_a_folder)
{
	net_update_wizard w("", nullptr, 0);
	const std::pair<std::string, bool> cases[] = {{"", false}, {"/Apps/Sim/", true}};
	for (const auto& [dest, enabled] : cases) {
		dest_dir_path = dest;
		wizard_screen s;
		EXPECT_EQ(w.pick_dest->go(s), w.pick_dest);
		EXPECT_EQ(s.next_step == w.get_info, enabled) << dest;
		EXPECT_EQ(s.back_step, w.start);
	}
}

TEST_F(update_wizard_test, disk_space_step)
{
	struct row {
		const char* name;
		double download_kb;
		uint64_t free_bytes;
		bool next_enabled;
		std::string message;
	};
	const std::string too_little =
		"There is a newer version of Skyvane 11 available, but you do not have enough free disk space to download "
		"and install the update.\n\nPlease free some space on your hard drive.";
	const row rows[] = {
		{"gigabytes", 1500000, 10000000000ull, true,
		 "You are about to download 1.5 GB of compressed data to update to skyvane11_r2."},
		{"megabytes", 2600, 10000000000ull, true,
		 "You are about to download 3 MB of compressed data to update to skyvane11_r2."},
		{"too little space", 2600, 1000, false, too_little},
	};
	for (const row& r : rows) {
		SCOPED_TRACE(r.name);
		sim_info.clear();
		sim_info.install_name = "skyvane11_r2";
		add_missing("Resources/big.bin", r.download_kb, 8000);
		s_free_bytes = r.free_bytes;
		net_update_wizard w("/x/", nullptr, 0);
		dest_dir_path = dir.path();
		EXPECT_EQ(w.check_disk->open(), w.check_disk);
		wizard_screen s;
		EXPECT_EQ(w.check_disk->go(s), w.check_disk);
		EXPECT_EQ(s.message, r.message);
		EXPECT_EQ(s.next_step == w.run_install, r.next_enabled);
		EXPECT_EQ(s.back_step, w.start);
	}
}

TEST_F(update_wizard_test, nothing_to_do_goes_straight_to_the_final_step)
{
	sim_info.install_name = "skyvane11_r2";
	net_update_wizard w("/x/", nullptr, 0);
	EXPECT_EQ(w.check_disk->open(), w.check_disk);
	wizard_screen s;
	EXPECT_EQ(w.check_disk->go(s), w.done);
}

TEST_F(update_wizard_test, final_step_messages)
{
	const std::string support = vendor_support_email();
	struct row {
		const char* name;
		err_code_t error;
		int fetch, remove;
		std::string message;
		bool fly_row;
	};
	const row rows[] = {
		{"network error", err_make(1, 7), 3, 0,
		 "There was a problem updating Skyvane. Please check your internet connection and try again, or contact "
		 "Brightfold tech support at " + support + " for help.\n\n(The technical problem was: boom.)",
		 false},
		{"other error", err_make(2, 404), 3, 0,
		 "There was a problem updating Skyvane. Please try the updater again later or contact Brightfold tech "
		 "support at " + support + " for help.\n\n(The technical problem was: boom.)",
		 false},
		{"updated", 0, 0, 2, "Finished updating /Apps/Sim/.", true},
		{"nothing to do", 0, 0, 0, "This copy of Skyvane (/Apps/Sim/) is already up to date.", true},
	};
	wizard_collection menu(nullptr);
	for (const row& r : rows) {
		SCOPED_TRACE(r.name);
		net_update_wizard w("/Apps/Sim/", nullptr, 0);
		w.parent = nullptr;
		dest_dir_path = "/Apps/Sim/";
		stg.install_file_count = r.fetch;
		stg.delete_file_count = r.remove;
		w.error_code = r.error;
		w.error_text = r.error ? "boom" : "";
		wizard_screen s;
		EXPECT_EQ(w.done->go(s), w.done);
		EXPECT_EQ(s.title, "Finshed Web Update");
		EXPECT_EQ(s.message, r.message);
		EXPECT_EQ(s.next_step, wiz_target_quit);
		EXPECT_EQ(s.back_step, nullptr);
		ASSERT_EQ(s.choice_steps.size(), r.fly_row ? 1u : 0u);
		if (r.fly_row) {
			EXPECT_EQ(s.choice_labels[0], "Fly Skyvane Now");
			EXPECT_EQ(s.choice_steps[0], wiz_target_run_sim);
		}
		w.done->close();
		EXPECT_EQ(w.error_code, 0);
		EXPECT_EQ(w.error_text, "");
	}
}

}  // namespace
