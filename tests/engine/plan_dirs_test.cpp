// The folders the plan makes before any file is written.
#include "plan_fixture.h"

#include <cerrno>
#include <sys/stat.h>

#include "core/files/paths.h"
#include "core/installer/ins_translate.h"

namespace {

const char* const k_standard[] = {"Output",           "Output/FMS plans", "Output/logbooks",
                                  "Output/replays",   "Output/situations", "Output/preferences"};

bool is_dir(const std::string& path)
{
	struct stat st;
	return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class plan_dirs : public plan_test {
protected:
	// Files to install in a/b, a b, a and one that the filters leave out.
	void add_plan()
	{
		add("a/b/c.txt", {"v2"}).want_install = 1;
		add("a/d.txt", {"v2"}).want_install = 1;
		add("a b/e.txt", {"v2"}).want_install = 1;
		add("top.txt", {"v2"}).want_install = 1;
		add("z/y/x/w.txt", {"v2"}, "v2");  // up to date
		file_version_struct& other = add("q/r.txt", {"v2"});
		other.want_install = 1;  // stale flag of a file for another system
		other.os = 2;
	}
};

TEST_F(plan_dirs, needed_folders_put_each_folder_before_its_sub_folders)
{
	add_plan();
	EXPECT_EQ(plan_needed_folders(), (std::vector<std::string>{"a", "a b", "a/b"}));
}

TEST_F(plan_dirs, fresh_installation)
{
	dest_dir_path = dir / "new/inst/";
	add_plan();
	EXPECT_EQ(make_dirs(), 0);
	for (const char* rel : {"", "a", "a/b", "a b"})
		EXPECT_TRUE(is_dir(dest_dir_path + rel)) << rel;
	for (const char* rel : k_standard)
		EXPECT_TRUE(is_dir(dest_dir_path + rel)) << rel;
	EXPECT_FALSE(dir.exists("new/inst/q")) << "a filtered file needs no folder";
	EXPECT_FALSE(dir.exists("new/inst/z"));
	EXPECT_TRUE(s_alerts.empty());
}

TEST_F(plan_dirs, existing_installation_is_no_error)
{
	add_plan();
	ASSERT_EQ(make_dirs(), 0);
	EXPECT_EQ(make_dirs(), 0);
	EXPECT_TRUE(s_alerts.empty());
}

TEST_F(plan_dirs, failures)
{
	const err_code_t not_dir = err_from_errno(ENOTDIR);
	const struct {
		const char* what;
		const char* blocker;  // a file where a folder is needed
		const char* dest;
		int result;
		const char* first_alert_path;  // relative to the scratch folder
		int alerts;
		bool standard_made;
	} cases[] = {
	    {"installation folder", "new", "new/inst/", int(not_dir), "new/inst", 1, false},
	    {"needed folder", "a", "", int(not_dir), "a/b", 1, false},
	    {"standard folder: reported, not stopping", "Output", "", 0, "Output/FMS plans/", 5, false},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.what);
		scratch_dir root;
		dest_dir_path = root / c.dest;
		root.write(c.blocker, "not a folder");
		sim_info.clear();
		add_plan();
		s_alerts.clear();
		EXPECT_EQ(make_dirs(), c.result);
		ASSERT_EQ(s_alerts.size(), size_t(c.alerts));
		EXPECT_EQ(s_alerts[0].lines[1], "Error: " + error_str(not_dir));
		EXPECT_EQ(s_alerts[0].lines[3], "Install Path:" + (root / c.first_alert_path));
		EXPECT_EQ(s_alerts[0].mode, alert_mode_warning);
		EXPECT_EQ(is_dir(root / "Output/logbooks"), c.standard_made);
	}
}

TEST_F(plan_dirs, alert_lines_are_translated_around_their_values)
{
	ins_translate_fn = [](const std::string& english) { return "[" + english + "]"; };
	dest_dir_path = "/install/here/";
	make_dir_error("/install/here/a", err_from_errno(EACCES));
	ins_translate_fn = nullptr;
	ASSERT_EQ(s_alerts.size(), 1u);
	const recorded_alert& a = s_alerts[0];
	EXPECT_EQ(a.lines[0], "[The installer is unable to install or update Skyvane. An error occurred while creating new "
	                      "folders. Make sure the directory you are trying to install to is not set as read-only in "
	                      "your operating system.]");
	EXPECT_EQ(a.lines[1], "[Error: ]" + error_str(err_from_errno(EACCES)));
	EXPECT_EQ(a.lines[2], "[Install Location: ]/install/here/");
	EXPECT_EQ(a.lines[3], "[Install Path:]/install/here/a");
	EXPECT_EQ(a.mode, alert_mode_warning);
}

TEST_F(plan_dirs, read_only_folder_is_a_warning_only)
{
	add_plan();
	dir.mkdirs("a b");
	chmod((dir / "a b").c_str(), 0555);
	EXPECT_EQ(make_dirs(), 0);
	chmod((dir / "a b").c_str(), 0755);
	ASSERT_EQ(s_alerts.size(), 1u);
	EXPECT_EQ(s_alerts[0].lines[0], "The installer is not able to write to the required path:");
	EXPECT_EQ(s_alerts[0].lines[1], dir / "a b");
	EXPECT_TRUE(is_dir(dir / "Output/replays")) << "the run goes on";
}

TEST_F(plan_dirs, installation_folder_must_be_a_full_folder_path)
{
	const std::string saved_base = files_get_app_base_folder();
	files_set_app_base_folder(dir.path());
	add_plan();
	for (const char* dest : {"", "inst/"}) {
		SCOPED_TRACE(dest);
		dest_dir_path = dest;
		s_alerts.clear();
		EXPECT_EQ(make_dirs(), int(err_from_errno(EINVAL)));
		EXPECT_EQ(s_alerts.size(), 1u);
	}
	files_set_app_base_folder(saved_base);
	EXPECT_TRUE(dir.names().empty()) << "nothing made beside the executable";
}

// A folder of the installation that links elsewhere gets nothing made inside it.
TEST_F(plan_dirs, nothing_made_through_a_link)
{
	scratch_dir elsewhere;
	elsewhere.mkdirs("custom");
	elsewhere.mkdirs("output");
	dir.link(elsewhere / "custom", "Custom");
	dir.link(elsewhere / "output", "Output");
	add("Custom/sub/x.txt", {"v2"}).want_install = 1;
	add("a/b.txt", {"v2"}).want_install = 1;
	EXPECT_EQ(make_dirs(), 0);
	EXPECT_TRUE(elsewhere.names("custom").empty());
	EXPECT_TRUE(elsewhere.names("output").empty());
	EXPECT_TRUE(dir.is_link("Custom"));
	EXPECT_TRUE(is_dir(dir / "a"));
	EXPECT_TRUE(s_alerts.empty());
}

}  // namespace
