// The installation registry: registering, reading back, and what a damaged or missing file gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/installer/install_registry.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

namespace {

std::string g_prefs;

class registry : public ::testing::Test {
protected:
	void SetUp() override
	{
		g_prefs = dir / "prefs/";
		dir.mkdirs("prefs");
		registry_folder_fn = [] { return g_prefs; };
	}
	void TearDown() override { registry_folder_fn = saved_; }

	std::string install(const std::string& name)
	{
		dir.mkdirs(name);
		return dir / (name + "/");
	}
	std::string contents() const { return scratch_dir::read_file(g_prefs + INS_REGISTRY_FILE); }
	void set_contents(const std::string& bytes) const { dir.write("prefs/" INS_REGISTRY_FILE, bytes); }
	std::vector<std::string> found()
	{
		std::vector<std::string> out{"stale entry"};
		UTL_locate_all_skyvanes(out);
		return out;
	}

	scratch_dir dir;
	log_capture log;
	const registry_folder_fn_t saved_ = registry_folder_fn;  // the default, restored afterwards
};

TEST_F(registry, round_trip_keeps_one_line_per_folder)
{
	const std::string a = install("A"), b = install("B");
	UTL_register_skyvane(a);
	UTL_register_skyvane(b);
	UTL_register_skyvane(a);
	// The comparison is exact: the same folder without its "/" is another entry.
	const std::string a_bare = a.substr(0, a.size() - 1);
	UTL_register_skyvane(a_bare);
	EXPECT_EQ(contents(), a + "\n" + b + "\n" + a_bare + "\n");
	EXPECT_EQ(found(), (std::vector<std::string>{a, b, a_bare}));
}

TEST_F(registry, reading_what_the_file_holds)
{
	const std::string a = install("A"), b = install("B");
	const std::string gone = dir / "deleted/";
	// A folder whose path is exactly 2047 bytes: a longer line must not be cut down to it.
	std::string deep = dir.path();
	while (deep.size() < 2047 - 201)
		deep += std::string(200, 'd') + "/";
	deep += std::string(2047 - deep.size(), 'e');
	std::filesystem::create_directories(deep);
	ASSERT_EQ(deep.size(), 2047u);

	const struct {
		const char* name;
		std::string file;
		std::vector<std::string> expected;
	} cases[] = {
		{"duplicates_kept", a + "\n" + b + "\n" + a + "\n", {a, b, a}},
		{"deleted_folder_skipped", a + "\n" + gone + "\n" + b + "\n", {a, b}},
		{"no_final_line_break", a + "\n" + b, {a, b}},
		{"crlf_lines", a + "\r\n" + b + "\r\n", {a, b}},
		{"cr_lines", a + "\r" + b + "\r", {a, b}},
		{"text_after_nul_ignored", a + std::string("\0junk", 5) + "\n" + b + "\n", {a, b}},
		{"blank_lines", "\n\n" + a + "\n\n", {a}},
		{"relative_line", std::string("prefs\n") + a + "\n", {a}},
		{"long_line_not_cut", deep + "zz\n" + deep + "\n", {deep}},
		{"empty_file", "", {}},
	};
	for (const auto& c : cases) {
		set_contents(c.file);
		EXPECT_EQ(found(), c.expected) << c.name;
		EXPECT_EQ(contents(), c.file) << c.name << ": reading changed the file";
	}
	std::filesystem::remove(g_prefs + INS_REGISTRY_FILE);
	EXPECT_EQ(found(), std::vector<std::string>{}) << "missing file";
}

TEST_F(registry, appending_after_a_last_line_without_its_break)
{
	const std::string a = install("A"), b = install("B");
	set_contents(a);
	UTL_register_skyvane(a);
	EXPECT_EQ(contents(), a) << "already listed, nothing written";
	UTL_register_skyvane(b);
	EXPECT_EQ(contents(), a + "\n" + b + "\n");
	EXPECT_EQ(found(), (std::vector<std::string>{a, b}));
}

TEST_F(registry, a_path_that_would_read_back_as_other_folders_is_refused)
{
	const std::string a = install("A"), b = install("B");
	for (const std::string& bad : {a + "\n" + b, a + "\r" + b, a + std::string(1, '\0') + "x", std::string()})
		UTL_register_skyvane(bad);
	EXPECT_FALSE(dir.exists("prefs/" INS_REGISTRY_FILE));
	EXPECT_NE(log.text().find("Not registering"), std::string::npos);
}

TEST_F(registry, a_missing_preferences_folder_is_made)
{
	g_prefs = dir / "fresh account/";
	const std::string a = install("A");
	UTL_register_skyvane(a);
	EXPECT_EQ(contents(), a + "\n");
}

TEST_F(registry, problems_are_only_logged)
{
	const std::string a = install("A");
	// The registry's name taken by a folder: it cannot be written.
	dir.mkdirs("prefs/" INS_REGISTRY_FILE);
	UTL_register_skyvane(a);
	EXPECT_NE(log.text().find("WARNING: The installer could not write to the file " + g_prefs + INS_REGISTRY_FILE +
	                          " to register this copy of Skyvane for the Skyvane updater.\n"),
	          std::string::npos);

	registry_folder_fn = [] { return std::string(); };
	EXPECT_EQ(registry_file_path(), "");
	UTL_register_skyvane(a);
	EXPECT_EQ(found(), std::vector<std::string>{});
	const std::string text = log.text();
	EXPECT_NE(text.find("WARNING: The installer was unable to register this copy of Skyvane; the Skyvane updater may "
	                    "not be able to find and update Skyvane! (The installer could not locate the user's "
	                    "preferences folder.)\n"),
	          std::string::npos);
	EXPECT_NE(text.find("WARNING: registration of this skysuite folder failed!\n"), std::string::npos);
}

TEST_F(registry, default_folder_is_the_preferences_folder)
{
	registry_folder_fn = saved_;
	const char* old = getenv("XDG_CONFIG_HOME");
	const std::string saved_env = old ? old : "";
	setenv("XDG_CONFIG_HOME", (dir / "xdg").c_str(), 1);
	EXPECT_EQ(registry_file_path(), dir / "xdg/" INS_REGISTRY_FILE);
	const std::string a = install("A");
	UTL_register_skyvane(a);
	EXPECT_EQ(dir.read("xdg/" INS_REGISTRY_FILE), a + "\n");
	if (old)
		setenv("XDG_CONFIG_HOME", saved_env.c_str(), 1);
	else
		unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
