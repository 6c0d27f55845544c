#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "base/files_fixture.h"
#include "core/files/temp_folder.h"

namespace {
mode_t mode_of(const std::string& p)
{
	struct stat st;
	return lstat(p.c_str(), &st) == 0 ? st.st_mode : 0;
}
ssize_t write_fd(int fd, const char* s) { return ::write(fd, s, strlen(s)); }
std::string own_name(const std::string& base) { return base + "skyvane-installer-" + std::to_string(getuid()); }
}  // namespace

TEST_F(files_test, temp_folder_is_made_private_and_reused)
{
	std::string out;
	ASSERT_EQ(temp_folder_make(dir, getuid(), out), 0u);
	EXPECT_EQ(out, own_name(dir) + "/");
	EXPECT_TRUE(S_ISDIR(mode_of(own_name(dir))));
	EXPECT_EQ(mode_of(own_name(dir)) & 0777, 0700u);
	std::string again;
	ASSERT_EQ(temp_folder_make(dir.substr(0, dir.size() - 1), getuid(), again), 0u);
	EXPECT_EQ(again, out);
}

TEST_F(files_test, temp_folder_refuses_what_is_not_private)
{
	enum plant_t { plant_link, plant_open_mode, plant_file, plant_foreign_owner };
	struct {
		const char* what;
		plant_t plant;
	} cases[] = {
	    {"a link to a folder", plant_link},
	    {"a folder open to others", plant_open_mode},
	    {"a file", plant_file},
	    {"a folder of another user", plant_foreign_owner},
	};
	mkdirs("elsewhere");
	for (auto& c : cases) {
		std::string base = path(std::string("base") + std::to_string(c.plant) + "/");
		mkdirs(base.substr(dir.size()));
		std::string name = own_name(base);
		switch (c.plant) {
		case plant_link:
			ASSERT_EQ(symlink(path("elsewhere").c_str(), name.c_str()), 0);
			break;
		case plant_open_mode:
			ASSERT_EQ(mkdir(name.c_str(), 0700), 0);
			ASSERT_EQ(chmod(name.c_str(), 0777), 0);
			break;
		case plant_file:
			close(open(name.c_str(), O_CREAT | O_WRONLY, 0600));
			break;
		case plant_foreign_owner:
			ASSERT_EQ(mkdir(name.c_str(), 0700), 0);
			if (geteuid() == 0) {
				ASSERT_EQ(chown(name.c_str(), 65534, 65534), 0);
			}
			break;
		}
		mode_t planted = mode_of(name);
		std::string out;
		// Without root the foreign owner is played by asking for another uid.
		uid_t uid = c.plant == plant_foreign_owner && geteuid() != 0 ? getuid() + 1 : getuid();
		ASSERT_EQ(temp_folder_make(base, uid, out), 0u) << c.what;
		EXPECT_NE(out, name + "/") << c.what;
		EXPECT_EQ(out.rfind(name + "-", 0), 0u) << c.what << ": " << out;
		EXPECT_EQ(mode_of(out.substr(0, out.size() - 1)) & 07777, 0700u) << c.what;
		EXPECT_EQ(mode_of(name), planted) << c.what << " was changed";
	}
	// Nothing was created in the folder the link pointed to.
	EXPECT_TRUE(std::filesystem::is_empty(path("elsewhere")));
}

TEST_F(files_test, temp_files_are_new_and_never_follow_links)
{
	int fd = -1;
	ASSERT_EQ(temp_folder_create_file(dir, "a.txt", fd), 0u);
	ASSERT_GE(fd, 0);
	ASSERT_EQ(write_fd(fd, "abc"), 3);
	close(fd);
	EXPECT_EQ(read("a.txt"), "abc");
	EXPECT_EQ(mode_of(path("a.txt")) & 0777, 0600u);
	EXPECT_EQ(temp_folder_create_file(dir, "a.txt", fd), 0x40000011u);  // never an existing file
	write("target", "keep");
	link(path("target"), "planted");
	EXPECT_EQ(temp_folder_create_file(dir.substr(0, dir.size() - 1), "planted", fd), 0x40000011u);
	EXPECT_EQ(read("target"), "keep");
}
