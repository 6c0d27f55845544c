// Reading the mount table: fields, escapes, malformed lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/installer/mounted_volumes.h"

namespace {

TEST(mountinfo, unescape)
{
	const struct {
		std::string in, out;
	} cases[] = {
	    {"/media/a\\040b", "/media/a b"},
	    {"\\011\\012\\134", "\t\n\\"},
	    {"plain", "plain"},
	    {"end\\04", "end\\04"},      // too short to be an escape
	    {"\\9\\08x", "\\9\\08x"},    // not octal
	    {"\\", "\\"},
	};
	for (const auto& c : cases)
		EXPECT_EQ(mountinfo_unescape(c.in), c.out) << c.in;
}

TEST(mountinfo, lines)
{
	const struct {
		const char* name;
		std::string line;
		bool kept;
		unsigned major, minor;
		std::string path, vol_name, type, source;
	} cases[] = {
	    {"root_no_optional_fields", "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw", true, 8, 1, "/", "", "ext4",
	     "/dev/sda1"},
	    {"disc_with_space_in_the_path", "35 22 11:0 / /media/my\\040user/SKYVANE11 ro,nosuid shared:20 - iso9660 "
	     "/dev/sr0 ro", true, 11, 0, "/media/my user/SKYVANE11", "SKYVANE11", "iso9660", "/dev/sr0"},
	    {"several_optional_fields", "40 22 0:45 /sub /mnt/x rw shared:1 master:2 propagate_from:3 - tmpfs tmpfs rw",
	     true, 0, 45, "/mnt/x", "x", "tmpfs", "tmpfs"},
	    {"escaped_source_and_tab", "41 22 0:46 / /mnt/a\\011b rw - fuse.x my\\040source rw", true, 0, 46, "/mnt/a\tb",
	     "a\tb", "fuse.x", "my source"},
	    {"no_separator", "42 22 0:47 / /mnt/y rw shared:1 tmpfs tmpfs rw", false, 0, 0, "", "", "", ""},
	    {"no_source", "43 22 0:48 / /mnt/z rw - tmpfs", false, 0, 0, "", "", "", ""},
	    {"bad_device", "44 22 x:y / /mnt/w rw - tmpfs tmpfs rw", false, 0, 0, "", "", "", ""},
	    {"relative_mount_point", "45 22 0:49 / mnt rw - tmpfs tmpfs rw", false, 0, 0, "", "", "", ""},
	    {"too_short", "46 22 0:50", false, 0, 0, "", "", "", ""},
	    {"empty", "", false, 0, 0, "", "", "", ""},
	};
	for (const auto& c : cases) {
		const std::vector<mounted_volume> v = mounted_volumes_parse(c.line + "\n");
		ASSERT_EQ(v.size(), c.kept ? 1u : 0u) << c.name;
		if (!c.kept)
			continue;
		EXPECT_EQ(v[0].dev_major, c.major) << c.name;
		EXPECT_EQ(v[0].dev_minor, c.minor) << c.name;
		EXPECT_EQ(v[0].mount_path, c.path) << c.name;
		EXPECT_EQ(v[0].name, c.vol_name) << c.name;
		EXPECT_EQ(v[0].fs_type, c.type) << c.name;
		EXPECT_EQ(v[0].source, c.source) << c.name;
	}
}

TEST(mountinfo, order_is_kept_and_bad_lines_do_not_stop_the_rest)
{
	const std::vector<mounted_volume> v = mounted_volumes_parse(
	    "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
	    "garbage\n"
	    "3 1 0:40 / /tmp/b/SKYVANE11 rw - tmpfs tmpfs rw\n"
	    "2 1 0:41 / /tmp/a/SKYVANE11 rw - tmpfs tmpfs rw");  // last line without its break
	ASSERT_EQ(v.size(), 3u);
	EXPECT_EQ(v[1].mount_path, "/tmp/b/SKYVANE11");
	EXPECT_EQ(v[2].mount_path, "/tmp/a/SKYVANE11");
}

TEST(mountinfo, this_process_table)
{
	std::vector<mounted_volume> v;
	ASSERT_TRUE(mounted_volumes_list(v));
	bool root = false;
	for (const mounted_volume& m : v)
		root = root || m.mount_path == "/";
	EXPECT_TRUE(root);
	EXPECT_FALSE(mounted_volumes_list(v, "/nonexistent/mountinfo"));
	EXPECT_TRUE(v.empty());
}

}  // namespace
