// Which manifest files concern the install, and the write-permission check.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/Installer-f/engine/install_filter.h"
#include "core/ui/alert.h"
#include "core/ui/stg.h"
#include "support/scratch_dir.h"

namespace {

struct filter_case {
	const char* what;
	int want_sim, want_scenery, want_extras, target_os;
	int is_scenery, package_bits, os;
	bool passes;
};

TEST(checksum_filter, file_passes_filters)
{
	const filter_case cases[] = {
	    {"sim file, sim wanted", 1, 0, 0, 1, 0, 0, 0, true},
	    {"sim file, sim not wanted", 0, 1, 1, 1, 0, 0, 0, false},
	    {"scenery file, scenery wanted", 0, 1, 0, 1, 1, 0, 0, true},
	    {"scenery file, scenery not wanted", 1, 0, 1, 1, 1, 0, 0, false},
	    {"regional file without extras", 1, 1, 0, 1, 0, 0x10, 0, false},
	    {"global file without extras", 1, 1, 0, 1, 1, 0x20, 0, false},
	    {"regional scenery with extras", 0, 1, 1, 1, 1, 0x10, 0, true},
	    {"global sim file with extras but no sim", 0, 1, 1, 1, 0, 0x20, 0, false},
	    {"file of the target system", 1, 1, 1, 3, 0, 0, 3, true},
	    {"file of another system", 1, 1, 1, 3, 0, 0, 2, false},
	    {"target all systems takes only files for all", 1, 1, 1, 0, 0, 0, 1, false},
	    {"file for all systems", 1, 1, 1, 2, 0, 0, 0, true},
	};
	const int saved_os = stg.target_os;
	for (const filter_case& c : cases) {
		set_install_filter(c.want_sim, c.want_scenery, c.want_extras);
		stg.target_os = c.target_os;
		file_version_struct v;
		v.is_scenery = c.is_scenery;
		v.package_bits = c.package_bits;
		v.os = c.os;
		EXPECT_EQ(file_passes_filters(v), c.passes) << c.what;
	}
	EXPECT_EQ(g_want_regional, g_want_global) << "the extras are chosen together";
	set_install_filter(1, 1, 1);
	stg.target_os = saved_os;
}

class checksum_permissions : public ::testing::Test {
protected:
	void SetUp() override
	{
		alert_set_standard([](const std::string& text) { s_alerts.push_back(text); });
		s_alerts.clear();
		dir.write("rw.txt", "x");
		dir.write("ro.txt", "x");
		chmod((dir / "ro.txt").c_str(), 0444);
		dir.mkdirs("ro_dir");
		chmod((dir / "ro_dir").c_str(), 0555);
		dir.link("ro.txt", "link_to_ro");
		dir.link("missing", "dangling");
	}
	void TearDown() override { alert_set_standard(nullptr); }

	static inline std::vector<std::string> s_alerts;
	scratch_dir dir;
};

TEST_F(checksum_permissions, exists_and_owner_may_write)
{
	const struct {
		std::string rel;
		bool passes;
	} cases[] = {
	    {"rw.txt", true},      {"ro.txt", false},   {"ro_dir/", false},  {"missing.txt", false},
	    {"link_to_ro", true},  {"dangling", true},  {"", true},  // the folder itself
	};
	for (const auto& c : cases) {
		err_code_t out = 0;
		EXPECT_EQ(double_check_path_permissions(dir / c.rel, &out), c.passes) << c.rel;
		EXPECT_EQ(out, c.passes ? 0u : err_permission_denied) << c.rel;
	}
	EXPECT_TRUE(s_alerts.empty()) << "with out given nothing is shown";
}

TEST_F(checksum_permissions, without_out_a_warning_names_the_path)
{
	EXPECT_TRUE(double_check_path_permissions(dir / "rw.txt", nullptr));
	EXPECT_TRUE(s_alerts.empty());
	EXPECT_FALSE(double_check_path_permissions(dir / "ro.txt", nullptr));
	ASSERT_EQ(s_alerts.size(), 1u);
	EXPECT_EQ(s_alerts[0], "The installer is not able to write to the required path:\n" + (dir / "ro.txt") +
	                           "\nYou may be able to correct the file permissions using your computer's file browser.\n");
}

}  // namespace
