// The menus end to end in unattended mode: which menu the registry leads to and its rows, and
// a menu row taken with --choice.
#include "sample_release_rig.h"

#include <gtest/gtest.h>

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(menu_run, the_registry_picks_the_menu_and_its_rows)
{
	const struct {
		const char* name;
		int installations;
		std::string heading;
		std::vector<std::string> rows;
	} cases[] = {
		{"nothing installed", 0, "Skyvane 11 Installer",
		 {"Install a Free Demo of Skyvane", "Install an Skyvane Product Purchase"}},
		{"two installations", 2, "Skyvane 11 Installer/Updater",
		 {"Run Skyvane Now", "Add or Remove Scenery", "Update Skyvane", "Install a Second Copy of Skyvane"}},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.name);
		update_run_rig rig;
		std::string registry;
		for (int i = 0; i < c.installations; ++i) {
			const std::string folder = rig.work / ("copy " + std::to_string(i) + "/");
			rig.work.mkdirs("copy " + std::to_string(i));
			registry += folder + "\n";
		}
		rig.work.write("config/skyvane_install_11.txt", registry);
		std::string out;
		EXPECT_EQ(rig.run_installer({}, out), 1) << "a menu without --choice cannot go on:\n" << out;
		EXPECT_TRUE(has(out, "== Welcome ==\n" + c.heading + "\n")) << out;
		std::string listed;
		for (size_t i = 0; i < c.rows.size(); ++i)
			listed += "  [" + std::to_string(i) + "] " + c.rows[i] + "\n";
		EXPECT_TRUE(has(out, listed)) << out;
		EXPECT_FALSE(has(out, "  [" + std::to_string(c.rows.size()) + "]")) << out;
		EXPECT_TRUE(has(out, "(a menu: give --choice=N)")) << out;
	}
}

TEST(menu_run, update_row_updates_the_installation)
{
	sample_release_rig rig;
	rig.make_installation(rig.dest, 1, false);
	rig.register_installations({rig.dest});
	std::string out;
	EXPECT_EQ(rig.run_installer({"--choice=2"}, out), 0) << out;
	EXPECT_TRUE(has(out, "  [2] Update Skyvane")) << out;
	EXPECT_TRUE(has(out, "Skyvane 11 Web Updater")) << out;
	EXPECT_TRUE(has(out, "Finished updating")) << out;
	for (const char* rel : {"Resources/default data/earth_nav.dat", "Resources/default data/earth_nav_v2.dat",
	                        "Aircraft/Skyvane Seaplane/objects/float part 01.obj"})
		EXPECT_EQ(rig.read_dest(rel), rig.product_bytes(2, rel)) << rel;
	EXPECT_FALSE(rig.dest_has("Aircraft/Skyvane Glider/liveries/Old Red/paint 01.png"));
}

}  // namespace
