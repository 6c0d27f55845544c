#include "core/files/zip/zip_entry_name.h"

#include <gtest/gtest.h>

struct name_case {
	const char* name;
	bool safe;
};

TEST(zip_entry_name, refuses_names_that_could_leave_the_folder)
{
	const name_case cases[] = {
	    {"a.txt", true},         {"a/b/c.txt", true},     {"a/", true},          {"..a", true},
	    {"a..b/c", true},        {".hidden", true},       {"a\\b", true},        {"", false},
	    {"/etc/passwd", false},  {"\\x", false},          {"../x", false},       {"..", false},
	    {"a/../../x", false},    {"a/..", false},         {"./x", false},        {"a/./b", false},
	    {"a//b", false},         {"..\\x", false},        {"a\\..\\..\\x", false}, {"/", false},
	};
	for (const name_case& c : cases) EXPECT_EQ(zip_entry_name_is_safe(c.name), c.safe) << "'" << c.name << "'";
}

struct link_case {
	const char* entry;
	const char* target;
	bool contained;
};

TEST(zip_entry_name, link_targets_must_stay_inside_the_folder)
{
	const link_case cases[] = {
	    {"Skyvane.app/Contents/Resources", "Versions/Current/Resources", true},
	    {"a/l", "b", true},
	    {"a/l", "../b", true},
	    {"a/b/l", "../../c", true},
	    {"a/l", "./../b", true},
	    {"a/l", "../../b", false},
	    {"l", "..", false},
	    {"l", "x/../../y", false},
	    {"l", "/etc", false},
	    {"l", "", false},
	};
	for (const link_case& c : cases)
		EXPECT_EQ(zip_link_target_is_contained(c.entry, c.target), c.contained) << c.entry << " -> " << c.target;
}
