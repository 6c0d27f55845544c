// The scenery wizard run in process against a loopback mirror: every region deselected on the
// map removes every scenery file and nothing else.
#include "app/Installer-f/engine/install_driver.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/flows/scenery/add_remove_scenery_wizard.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/unattended/unattended_host.h"
#include "app/steps_fixture.h"
#include "core/installer/install_registry.h"
#include "core/ui/RADAVI_shell.h"

namespace {

const std::vector<std::pair<std::string, std::string>> k_product = {
	{"Skyvane.app", "#!/bin/sh\necho fly\n"},
	{"Resources/a.txt", "alpha alpha alpha\n"},
	{"Global Scenery/Pack A/pack info.txt", "pack a\n"},
	{"Global Scenery/Pack A/Earth nav data/+30-090/+30-090.dsf", "tile one\n"},
	{"Global Scenery/Pack A/Earth nav data/+40-080/+40-080.dsf", "tile two\n"},
	{"Global Scenery/Pack B/Earth nav data/-40+110/-40+110.dsf", "tile three\n"},
};

struct scenery_remove : release_test {
	void SetUp() override
	{
		release_test::SetUp();
		saved_registry = registry_folder_fn;
		saved_reader = disk_space_reader;
		dir.mkdirs("prefs");
		s_prefs = dir / "prefs/";
		registry_folder_fn = [] { return s_prefs; };
		disk_space_reader = [](const std::string&, uint64_t* total, uint64_t* free_bytes) -> err_code_t {
			*total = *free_bytes = 100000000000ull;
			return 0;
		};
		make_release(k_product);
		for (const auto& f : k_product) {
			dir.mkdirs(std::filesystem::path("inst/" + f.first).parent_path().string());
			dir.write("inst/" + f.first, f.second);
		}
		sim_is_done = false;
	}
	void TearDown() override
	{
		install_files_kill();
		registry_folder_fn = saved_registry;
		disk_space_reader = saved_reader;
		sim_is_done = false;
		release_test::TearDown();
	}

	static inline std::string s_prefs;
	registry_folder_fn_t saved_registry = nullptr;
	disk_space_reader_fn saved_reader = nullptr;
};

TEST_F(scenery_remove, deselecting_every_tile_removes_all_scenery)
{
	add_remove_scenery_wizard w(dir / "inst/", 0, nullptr);
	unattended_options opt;
	opt.regions = "none";
	FILE* out = tmpfile();
	ASSERT_NE(out, nullptr);
	int map_selected = -1;
	{
		unattended_session s(opt, out);
		s.start(w.steps.front());
		bool cleared = false;
		const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
		while (!s.finished() && std::chrono::steady_clock::now() < end) {
			s.turn();
			if (s.driver().current() == w.edit && !cleared) {
				map_selected = 0;
				for (int x = 0; x < stg_wrl_lon_count; ++x)
					for (int y = 0; y < stg_wrl_lat_count; ++y)
						map_selected += stg.wrl_sel[x][y] != 0;
				scenery_take_none();  // the user deselects every region
				cleared = true;
			}
			std::this_thread::sleep_for(std::chrono::milliseconds(1));
		}
		ASSERT_TRUE(s.finished());
		EXPECT_EQ(s.status(), unattended_ok);
		EXPECT_EQ(s.driver().current(), w.done);
		EXPECT_EQ(s.driver().screen().message, "Scenery has been removed to match your choices on the map.");
	}
	std::fclose(out);
	EXPECT_EQ(map_selected, 3) << "the map opened with the three installed blocks";
	EXPECT_EQ(stg.delete_file_count, 4);
	EXPECT_EQ(stg.install_file_count, 0);
	for (const auto& f : k_product) {
		const bool scenery = f.first.rfind("Global Scenery/", 0) == 0;
		EXPECT_EQ(dir.exists("inst/" + f.first), !scenery) << f.first;
	}
	EXPECT_EQ(dir.read("inst/Resources/a.txt"), "alpha alpha alpha\n");
}

}  // namespace
