#pragma once
// The mounted volumes of this process's mount namespace, from /proc/self/mountinfo, in the
// kernel's order (the order they were mounted). A volume's name is the last component of its
// mount point, as a disc's label is on the desktop.
#include <string>
#include <vector>

struct mounted_volume {
	unsigned dev_major = 0;
	unsigned dev_minor = 0;
	std::string mount_path;  // unescaped; no trailing "/" except for the root itself
	std::string name;        // last component of mount_path ("" for the root)
	std::string fs_type;
	std::string source;      // what was mounted: "/dev/sr0", "tmpfs", ...
};

// Lines that are not well formed are skipped.
std::vector<mounted_volume> mounted_volumes_parse(const std::string& mountinfo_text);
// False when the table cannot be read.
bool mounted_volumes_list(std::vector<mounted_volume>& out, const std::string& mountinfo_path = "/proc/self/mountinfo");

// The kernel writes space, tab, newline and backslash in a field as "\" + three octal digits.
std::string mountinfo_unescape(const std::string& field);
