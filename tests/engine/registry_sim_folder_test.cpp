// Recognising a folder that holds a simulator installation, on real folders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Installer-f/engine/install_dest.h"
#include "core/installer/dvd_locate.h"
#include "support/scratch_dir.h"

namespace {

enum entry_kind { folder, file, link_to_folder };

struct entry {
	std::string name;
	entry_kind kind;
};

const std::vector<entry> k_four = {
    {"Airfoils", folder}, {"Instructions", folder}, {"Output", folder}, {"Resources", folder}};

TEST(path_is_to_a_sim, by_the_folders_it_holds)
{
	const struct {
		const char* name;
		std::vector<entry> entries;
		int expected;
	} cases[] = {
	    {"the_four_folders", k_four, 1},
	    {"names_containing_them", {{"My Airfoils", folder}, {"Instructions (old)", folder}, {"Output2", folder},
	                               {"Resources", folder}, {"Skyvane.app", file}}, 1},
	    {"one_folder_holding_every_name", {{"AirfoilsInstructionsOutputResources", folder}}, 1},
	    {"one_missing", {{"Airfoils", folder}, {"Instructions", folder}, {"Output", folder}}, 0},
	    {"the_names_as_files", {{"Airfoils", file}, {"Instructions", file}, {"Output", file}, {"Resources", file}}, 0},
	    {"one_as_a_file", {{"Airfoils", folder}, {"Instructions", folder}, {"Output", folder}, {"Resources", file}}, 0},
	    {"one_as_a_link", {{"Airfoils", folder}, {"Instructions", folder}, {"Output", folder},
	                       {"Resources", link_to_folder}}, 0},
	    {"case_matters", {{"airfoils", folder}, {"Instructions", folder}, {"Output", folder}, {"Resources", folder}}, 0},
	    {"hidden_folder_not_listed", {{".Airfoils", folder}, {"Instructions", folder}, {"Output", folder},
	                                  {"Resources", folder}}, 0},
	    {"empty_folder", {}, 0},
	};
	const std::string saved = dest_dir_path;
	for (const auto& c : cases) {
		scratch_dir dir;
		dir.mkdirs("elsewhere");
		for (const entry& e : c.entries) {
			if (e.kind == folder)
				dir.mkdirs(e.name);
			else if (e.kind == file)
				dir.write(e.name, "x");
			else
				dir.link(dir / "elsewhere", e.name);
		}
		dest_dir_path = dir.path();
		EXPECT_EQ(path_is_to_a_sim(), c.expected) << c.name;
		// Callers walking up from a chosen folder may hand it over without its "/".
		dest_dir_path = dir.path().substr(0, dir.path().size() - 1);
		EXPECT_EQ(path_is_to_a_sim(), c.expected) << c.name << " without the final /";
	}
	dest_dir_path = "";
	EXPECT_EQ(path_is_to_a_sim(), 0) << "no folder";
	dest_dir_path = "/nonexistent/skyvane/";
	EXPECT_EQ(path_is_to_a_sim(), 0) << "missing folder";
	dest_dir_path = saved;
}

}  // namespace
