// The scenery wizard end to end in unattended mode: a demo installation turned into a full one
// (scenery from the full release, then the update to the latest release), started with an
// "UPG" path or found as the single registered installation; and scenery changed with "SCN".
#include "sample_release_rig.h"

#include <gtest/gtest.h>

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// True when the parts appear in text in this order; else missing names the first one not found.
bool in_order(const std::string& text, const std::vector<std::string>& parts, std::string& missing)
{
	size_t at = 0;
	for (const std::string& p : parts) {
		size_t found = text.find(p, at);
		if (found == std::string::npos) {
			missing = p;
			return false;
		}
		at = found + p.size();
	}
	return true;
}

TEST(scenery_wizard_run, demo_becomes_a_full_installation)
{
	const struct {
		const char* name;
		bool by_path;  // -path "UPG" + folder; else the registry's single demo installation
	} rows[] = {{"UPG path", true}, {"single registered demo", false}};
	for (const auto& r : rows) {
		SCOPED_TRACE(r.name);
		sample_release_rig rig;
		rig.make_installation(rig.dest, 1, true);
		const std::string old_livery = "Aircraft/Skyvane Glider/liveries/Old Red/paint 01.png";
		ASSERT_TRUE(rig.dest_has(old_livery));
		std::string out;
		int status;
		if (r.by_path) {
			status = rig.run_installer({"-path", "UPG" + rig.dest}, out);
		} else {
			rig.register_installations({rig.dest});
			status = rig.run_installer({}, out);
		}
		EXPECT_EQ(status, 0) << out;

		std::string missing;
		EXPECT_TRUE(in_order(out, {"== Welcome ==",
		                           "This installer will guide you through the process of upgrading your Skyvane 11 demo "
		                           "to a full installation of Skyvane.",
		                           "== Check Servers ==", "== Scan Existing Files ==",
		                           "Scanning Skyvane for Installed Scenery", "== Select New Scenery ==",
		                           "== Install ==", "Installing New Scenery",
		                           "== Welcome ==", "Skyvane 11 Web Updater", "== Scan Existing Files ==",
		                           "== Install ==", "Finished updating"},
		                     missing))
			<< "missing or out of order: " << missing << "\n" << out;
		EXPECT_FALSE(has(out, "Finished Adding/Removing Scenery")) << "the upgrade goes on into the update:\n" << out;

		// Everything outside the scenery is the latest release now; files it removed are gone.
		int compared = 0;
		for (const std::string& rel : rig.product_files(2)) {
			if (rel.rfind("Global Scenery/", 0) == 0)
				continue;
			EXPECT_EQ(rig.read_dest(rel), rig.product_bytes(2, rel)) << rel;
			++compared;
		}
		EXPECT_GT(compared, 200);
		EXPECT_FALSE(rig.dest_has(old_livery));
		EXPECT_TRUE(rig.dest_has("Resources/bitmaps/Earth Orbit Textures/earth_orbit_59.png"));

		// The demo's one scenery block now holds all its tiles, in the latest release; a region
		// neither installed nor in the default selection stays out.
		const std::string block = "Global Scenery/Scenery Region 00 Eastern United States/Earth nav data/+30-090/";
		for (const char* tile : {"+30-090.dsf", "+33-087.dsf", "+36-084.dsf"})
			EXPECT_EQ(rig.read_dest(block + tile), rig.product_bytes(2, block + tile)) << tile;
		EXPECT_NE(rig.product_bytes(2, block + "+30-090.dsf"), rig.product_bytes(1, block + "+30-090.dsf"));
		EXPECT_TRUE(rig.dest_has("Global Scenery/Regional Detail/Earth nav data/+30-090/detail.dsf"));
		EXPECT_FALSE(rig.dest_has("Global Scenery/Scenery Region 05 Southern South America/"));
		EXPECT_TRUE(has(rig.work.read("config/skyvane_install_11.txt"), rig.dest));
	}
}

TEST(scenery_wizard_run, regions_chosen_on_the_map_are_installed_or_removed)
{
	const struct {
		const char* regions;
		bool demo;        // the installation is the demo (little scenery), else the full release
		bool all_there;   // afterwards every scenery file of the full release is there, else none is
		const char* message;
	} rows[] = {
		{"--regions=none", false, false, "Scenery has been removed to match your choices on the map."},
		{"--regions=all", true, true, "New scenery has been installed to match your choices on the map."},
	};
	for (const auto& r : rows) {
		SCOPED_TRACE(r.regions);
		sample_release_rig rig;
		rig.make_installation(rig.dest, 1, r.demo);
		std::string out;
		EXPECT_EQ(rig.run_installer({"-path", "SCN" + rig.dest, r.regions}, out), 0) << out;
		std::string missing;
		EXPECT_TRUE(in_order(out, {"This installer will guide you through the process of adding and removing scenery.",
		                           "== Select New Scenery ==", "== Install ==", "== Finish ==",
		                           "Finished Adding/Removing Scenery", r.message, "  [0] Check for Updates",
		                           "  [1] Run Skyvane Now", "Exit status 0"},
		                     missing))
			<< "missing or out of order: " << missing << "\n" << out;
		EXPECT_FALSE(has(out, "Skyvane 11 Web Updater")) << "no update without UPG:\n" << out;

		int scenery = 0;
		for (const std::string& rel : rig.product_files(1)) {
			if (rel.rfind("Global Scenery/", 0) != 0) {
				EXPECT_TRUE(rig.dest_has(rel) || r.demo) << rel;
				continue;
			}
			++scenery;
			EXPECT_EQ(rig.dest_has(rel), r.all_there) << rel;
			if (r.all_there) {
				EXPECT_EQ(rig.read_dest(rel), rig.product_bytes(1, rel)) << rel;
			}
		}
		EXPECT_GT(scenery, 40);
		EXPECT_TRUE(rig.dest_has("Resources/default data/earth_nav.dat")) << "only scenery is touched";
	}
}

}  // namespace
