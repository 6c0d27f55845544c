#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <unistd.h>

#include "base/files_fixture.h"
#include "core/files/paths.h"
#include "core/files/resource_path.h"

TEST(files_paths, file_and_path_with_path)
{
	struct {
		const char *path, *file, *folder;
	} cases[] = {
	    {"a/b/c.txt", "c.txt", "a/b/"},
	    {"a/b/", "b/", "a/"},
	    {"/abs/x", "x", "/abs/"},
	    {"/top/", "top/", "/"},
	    {"name", "name", ""},
	    {"/", "/", ""},
	    {"", "", ""},
	};
	for (auto& c : cases) {
		std::string file, folder;
		get_file_with_path(file, c.path);
		get_path_with_path(folder, c.path);
		EXPECT_EQ(file, c.file) << c.path;
		EXPECT_EQ(folder, c.folder) << c.path;
		EXPECT_EQ(folder + file, c.path);
	}
}

TEST(files_paths, dirchars_and_encoding)
{
	struct {
		std::string in, want;
	} cases[] = {
	    {"a\\b:c", "a/b/c"},
	    {"plain/path/", "plain/path/"},
	    {"caf\xc3\xa9:x", "caf\xc3\xa9/x"},          // valid UTF-8 stays
	    {"caf\x8e:x", "caf\xc3\xa9/x"},              // Mac Roman e-acute re-read as UTF-8
	    {"\xa5 \xd0", "\xe2\x80\xa2 \xe2\x80\x93"},  // bullet, en dash
	};
	for (auto& c : cases) {
		std::string s = c.in;
		set_path_to_right_dirchars(s);
		EXPECT_EQ(s, c.want) << c.in;
		s = c.in;
		set_path_to_os_native_dirchars(s);
		EXPECT_EQ(s, c.want) << c.in;
	}
}

TEST(files_paths, utf8_validation)
{
	struct {
		std::string text;
		bool valid;
	} cases[] = {
	    {"ascii", true},
	    {"\xe2\x82\xac", true},          // euro sign
	    {"\xf0\x9f\x98\x80", true},      // 4-byte form
	    {"\xc0\xaf", false},             // overlong "/"
	    {"\xed\xa0\x80", false},         // surrogate
	    {"\xe2\x82", false},             // cut short
	    {"\xf4\x90\x80\x80", false},     // past U+10FFFF
	    {"\x80", false},
	};
	for (auto& c : cases)
		EXPECT_EQ(is_valid_utf8(c.text), c.valid) << testing::PrintToString(c.text);
}

TEST(files_paths, is_path_full)
{
	EXPECT_TRUE(is_path_full("/a"));
	EXPECT_FALSE(is_path_full("a/b"));
	EXPECT_FALSE(is_path_full(""));
}

class files_full_path : public files_test {
protected:
	std::string saved_base;
	void SetUp() override
	{
		files_test::SetUp();
		saved_base = files_get_app_base_folder();
		files_set_app_base_folder(dir);
	}
	void TearDown() override
	{
		files_set_app_base_folder(saved_base);
		files_set_resolve_case(true);
		files_test::TearDown();
	}
	std::string full(std::string p)
	{
		set_path_to_full(p);
		return p;
	}
};

TEST_F(files_full_path, relative_paths_get_the_base_folder)
{
	EXPECT_EQ(full(""), dir);
	EXPECT_EQ(full("x/y.txt"), dir + "x/y.txt");
	EXPECT_EQ(full("/etc/hostname"), "/etc/hostname");
}

TEST_F(files_full_path, missing_components_take_the_case_on_disk)
{
	mkdirs("Resources/Default Data");
	write("Resources/Default Data/Earth.txt", "e");
	mkdirs("dup/ab");
	mkdirs("dup/AB");
	struct {
		const char *in, *want;
	} cases[] = {
	    {"Resources/Default Data/Earth.txt", "Resources/Default Data/Earth.txt"},  // as given
	    {"resources/default data/EARTH.TXT", "Resources/Default Data/Earth.txt"},
	    {"RESOURCES/new folder/New.txt", "Resources/new folder/New.txt"},  // rest kept as given
	    {"dup/Ab/x", "dup/Ab/x"},  // two candidates: no single actual case
	    {"resources//default data/", "Resources//Default Data/"},
	};
	for (auto& c : cases)
		EXPECT_EQ(full(c.in), dir + c.want) << c.in;
	files_set_resolve_case(false);
	EXPECT_EQ(full("resources/x"), dir + "resources/x");
}

TEST_F(files_full_path, resource_paths_name_the_resource_folder)
{
	std::string saved = files_get_resource_folder();
	files_set_resource_folder(dir + "res");
	EXPECT_TRUE(is_resource_path("RESOURCE:white.png"));
	EXPECT_FALSE(is_resource_path("resources/white.png"));
	EXPECT_EQ(full("RESOURCE:white.png"), dir + "res/white.png");
	files_set_resource_folder(saved);
}

// Environment variables set for one test and restored afterwards.
class files_env : public files_test {
protected:
	std::vector<std::pair<std::string, std::optional<std::string>>> saved;
	void set_env(const char* name, const char* value)
	{
		const char* old = getenv(name);
		saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
		if (value)
			setenv(name, value, 1);
		else
			unsetenv(name);
	}
	void TearDown() override
	{
		for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
			if (it->second)
				setenv(it->first.c_str(), it->second->c_str(), 1);
			else
				unsetenv(it->first.c_str());
		}
		files_test::TearDown();
	}
	std::string os_dir(os_dir_type t)
	{
		std::string out;
		get_OS_abs_path(t, out);
		return out;
	}
};

TEST_F(files_env, desktop_from_user_dirs_else_home_desktop)
{
	std::string home = dir + "home";
	set_env("HOME", home.c_str());
	set_env("XDG_CONFIG_HOME", nullptr);
	mkdirs("home/.config");
	EXPECT_EQ(os_dir(os_dir_desktop), home + "/Desktop/");  // no user-dirs.dirs

	struct {
		const char *line, *want_rel;  // relative to home, or absolute when starting with "/"
	} cases[] = {
	    {"XDG_DESKTOP_DIR=\"$HOME/Bureau\"", "/Bureau/"},
	    {"# comment\n  XDG_DESKTOP_DIR=\"$HOME/Schreib tisch\"\n", "/Schreib tisch/"},
	    {"XDG_DOWNLOAD_DIR=\"$HOME/dl\"\nXDG_DESKTOP_DIR=\"/srv/desk\"", "/srv/desk/"},
	    {"XDG_DESKTOP_DIR=\"relative/no\"", "/Desktop/"},  // not a valid entry
	    {"XDG_DESKTOP_DIR=\"$HOME/\"", "/"},              // desktop disabled: the home folder
	};
	for (auto& c : cases) {
		write("home/.config/user-dirs.dirs", c.line);
		std::string want = std::string(c.want_rel).rfind("/srv", 0) == 0 ? c.want_rel : home + c.want_rel;
		EXPECT_EQ(os_dir(os_dir_desktop), want) << c.line;
		EXPECT_EQ(os_dir(os_dir_default_apps), want) << c.line;
	}

	// XDG_CONFIG_HOME moves user-dirs.dirs with it.
	mkdirs("conf");
	write("conf/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Elsewhere\"\n");
	set_env("XDG_CONFIG_HOME", (dir + "conf").c_str());
	EXPECT_EQ(os_dir(os_dir_desktop), home + "/Elsewhere/");
}

TEST_F(files_env, prefs_folder)
{
	set_env("HOME", "/home/someone");
	set_env("XDG_CONFIG_HOME", nullptr);
	EXPECT_EQ(os_dir(os_dir_prefs), "/home/someone/.config/");
	set_env("XDG_CONFIG_HOME", "/cfg/x/");
	EXPECT_EQ(os_dir(os_dir_prefs), "/cfg/x/");
	set_env("XDG_CONFIG_HOME", "relative");  // not absolute: ignored
	EXPECT_EQ(os_dir(os_dir_prefs), "/home/someone/.config/");
}

TEST_F(files_env, app_folders_come_from_the_executable)
{
	char exe[PATH_MAX];
	ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
	ASSERT_GT(n, 0);
	std::string self(exe, static_cast<size_t>(n));
	std::string bundle = os_dir(os_dir_app_bundle), folder = os_dir(os_dir_this_app);
	EXPECT_EQ(bundle, self);
	EXPECT_EQ(folder, self.substr(0, self.rfind('/') + 1));

	files_set_app_bundle_path("/opt/sky/bin/skyvane-installer");
	EXPECT_EQ(os_dir(os_dir_app_bundle), "/opt/sky/bin/skyvane-installer");
	EXPECT_EQ(os_dir(os_dir_this_app), "/opt/sky/bin/");
	files_set_app_bundle_path(self);
}

TEST_F(files_env, temp_folder_is_private_and_ends_with_slash)
{
	std::string t = os_dir(os_dir_temp);
	ASSERT_FALSE(t.empty());
	EXPECT_EQ(t.back(), '/');
	struct stat st;
	ASSERT_EQ(lstat(t.substr(0, t.size() - 1).c_str(), &st), 0);
	EXPECT_TRUE(S_ISDIR(st.st_mode));
	EXPECT_EQ(st.st_mode & 0777, 0700u);
	EXPECT_EQ(st.st_uid, getuid());
}
