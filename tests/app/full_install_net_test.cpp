// A network full install in process: the full install wizard as a menu starts it, unattended,
// against a loopback release with scenery inside and outside the default selection.
#include "app/Installer-f/flows/full/full_install_wizard.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/new_install_fixture.h"

namespace {

const std::vector<std::pair<std::string, std::string>> k_product = {
	{"Skyvane.app", "#!/bin/sh\necho fly\n"},
	{"Resources/a.txt", "alpha alpha alpha\n"},
	{"Resources/bitmaps/Earth Orbit Textures/e1.png", "orbit\n"},
	// Block (9, 12) lies in the default selection; block (22, 5) does not.
	{"Global Scenery/Pack/Earth nav data/+30-090/+35-085.dsf", "tile inside\n"},
	{"Global Scenery/Pack/Earth nav data/-40+040/-35+045.dsf", "tile outside\n"},
};

struct full_install_net : new_install_test {};

TEST_F(full_install_net, installs_the_simulator_and_the_selected_scenery)
{
	make_release(k_product);
	full_install_wizard w(nullptr, 1);
	ASSERT_EQ(run(w.steps.front()), unattended_ok) << output;
	EXPECT_EQ(last_step, w.done);
	EXPECT_EQ(sim_info.source, ins_src_net_full);
	EXPECT_EQ(sim_info.install_name, final_name);

	const std::set<std::string> want = {
		"Skyvane.app", "Resources/a.txt", "Resources/bitmaps/Earth Orbit Textures/e1.png",
		"Global Scenery/Pack/Earth nav data/+30-090/+35-085.dsf",
		INS_ANALYTICS_PREF_FOLDER INS_ANALYTICS_PREF_FILE};
	EXPECT_EQ(files_below(dest), want);
	for (const auto& [rel, bytes] : k_product)
		if (want.count(rel)) {
			EXPECT_EQ(scratch_dir::read_file(dest + rel), bytes) << rel;
		}
	EXPECT_NE(scratch_dir::read_file(dest + INS_ANALYTICS_PREF_FOLDER INS_ANALYTICS_PREF_FILE).find("_send_analytics "),
	          std::string::npos);
	EXPECT_EQ(registry(), dest + "\n");

	// A network install offers no update at the end: only the run row.
	EXPECT_EQ(last_screen.choice_labels, std::vector<std::string>{"Run Skyvane Now"});
	EXPECT_EQ(last_screen.back_step, w.steps.front());
	for (const char* text : {"== Check Servers ==", "== Select Scenery ==", "Installing Skyvane",
	                         "Finished Installing Skyvane", "Installation was successful."})
		EXPECT_NE(output.find(text), std::string::npos) << text << "\n" << output;
}

TEST_F(full_install_net, unreachable_mirror_is_reported_on_the_final_screen)
{
	make_release(k_product);
	http_route missing;
	missing.fault = http_fault::status_404;
	server.serve(manifest_route(final_name), missing);
	full_install_wizard w(nullptr, 1);
	EXPECT_EQ(run(w.steps.front()), unattended_failed) << output;
	EXPECT_EQ(last_step, w.done);
	EXPECT_NE(output.find("There was a problem installing Skyvane 11."), std::string::npos) << output;
	EXPECT_TRUE(last_screen.choice_steps.empty());
	EXPECT_FALSE(std::filesystem::exists(dest));
	EXPECT_TRUE(registry().empty());
}

}  // namespace
