// A demo install in process, unattended, against a loopback release: only the simulator files
// of the final release, whatever the beta opt-in says.
#include "app/Installer-f/flows/demo/demo_install_wizard.h"
#include "app/Installer-f/flows/steps/any_pick_install.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/new_install_fixture.h"

namespace {

const std::vector<std::pair<std::string, std::string>> k_product = {
	{"Skyvane.app", "#!/bin/sh\necho fly\n"},
	{"Resources/a.txt", "alpha alpha alpha\n"},
	{"Resources/bitmaps/Earth Orbit Textures/e1.png", "orbit\n"},
	{"Global Scenery/Pack/Earth nav data/+30-090/+35-085.dsf", "tile inside\n"},
};

struct demo_install_net : new_install_test {};

TEST_F(demo_install_net, installs_the_simulator_of_the_final_release)
{
	make_release(k_product);
	for (int beta : {0, 1}) {
		SCOPED_TRACE(beta);
		std::filesystem::remove_all(dest);
		stg.get_beta = beta;
		demo_install_wizard w(nullptr);
		ASSERT_EQ(run(w.steps.front()), unattended_ok) << output;
		EXPECT_EQ(last_step, w.done);
		EXPECT_EQ(sim_info.install_name, final_name);
		EXPECT_TRUE(server.requests(manifest_route(beta_name)).empty()) << "the beta release was asked for";

		EXPECT_EQ(files_below(dest), (std::set<std::string>{
			"Skyvane.app", "Resources/a.txt", "Resources/bitmaps/Earth Orbit Textures/e1.png",
			INS_ANALYTICS_PREF_FOLDER INS_ANALYTICS_PREF_FILE}));
		EXPECT_NE(registry().find(dest + "\n"), std::string::npos);
		EXPECT_NE(output.find("Finshed Web Demo Install\n  The Skyvane 11 Demo has finished installing at: " + dest + "."),
		          std::string::npos) << output;
		EXPECT_EQ(last_screen.back_step, nullptr);
		EXPECT_EQ(last_screen.choice_labels, std::vector<std::string>{"Fly Skyvane 11 Now"});
	}
}

TEST_F(demo_install_net, too_little_space_keeps_continue_off_on_the_location)
{
	make_release(k_product);
	disk_space_reader_fn saved = disk_space_reader;
	disk_space_reader = [](const std::string&, uint64_t* total, uint64_t* free_bytes) -> err_code_t {
		*total = 2000;
		*free_bytes = 1000;
		return 0;
	};
	demo_install_wizard w(nullptr);
	const int status = run(w.steps.front());
	disk_space_reader = saved;
	EXPECT_EQ(status, unattended_failed) << output;
	EXPECT_EQ(last_step, w.pick);
	EXPECT_EQ(last_screen.next_step, nullptr);
	EXPECT_NE(output.find("cannot go on by itself: Pick Destination"), std::string::npos) << output;
	EXPECT_FALSE(std::filesystem::exists(dest));
}

}  // namespace
