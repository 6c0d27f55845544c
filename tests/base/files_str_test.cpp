#include <gtest/gtest.h>

#include <sstream>

#include "core/files/str_helpers.h"

TEST(files_str, replace_all)
{
	struct {
		const char *in, *from, *to, *want;
	} cases[] = {
	    {"a b  c", " ", "%20", "a%20b%20%20c"},
	    {"aaa", "aa", "b", "ba"},           // left to right, no overlap
	    {"abc", "", "x", "abc"},            // empty pattern changes nothing
	    {"xyx", "x", "xx", "xxyxx"},        // replacement holding the pattern is not rescanned
	    {"none", "q", "z", "none"},
	};
	for (auto& c : cases) {
		std::string s = c.in;
		str_replace_all(s, c.from, c.to);
		EXPECT_EQ(s, c.want) << c.in;
	}
}

TEST(files_str, escape_round_trip)
{
	struct {
		const char *plain, *escaped;
	} cases[] = {
	    {"line1\nline2", "line1\\nline2"},
	    {"a\r\nb", "a\\r\\nb"},
	    {"no breaks", "no breaks"},
	    {"trailing\n", "trailing\\n"},
	};
	for (auto& c : cases) {
		EXPECT_EQ(str_escape(c.plain), c.escaped);
		EXPECT_EQ(str_unescape(c.escaped), c.plain);
	}
	// Other backslash pairs and a lone final backslash pass through.
	EXPECT_EQ(str_unescape("a\\tb\\"), "a\\tb\\");
}

TEST(files_str, tokenize_join_and_lines)
{
	EXPECT_EQ(str_tokenize("  a b\t\tc ", " \t"), (std::vector<std::string>{"a", "b", "c"}));
	EXPECT_TRUE(str_tokenize(",,,", ",").empty());
	EXPECT_EQ(str_tokenize("one", ","), (std::vector<std::string>{"one"}));
	EXPECT_EQ(join_strings({"a", "b", "c"}, ", "), "a, b, c");
	EXPECT_EQ(join_strings({}, ","), "");
	EXPECT_EQ(str_split_lines("a\nb\r\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
	EXPECT_EQ(str_split_lines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
	EXPECT_TRUE(str_split_lines("").empty());
}

TEST(files_str, small_helpers)
{
	EXPECT_TRUE(str_starts_with("SCN/x", "SCN"));
	EXPECT_FALSE(str_starts_with("SC", "SCN"));
	EXPECT_TRUE(str_starts_with("x", ""));
	EXPECT_EQ(to_uppercase("lin-32é"), "LIN-32é");
	EXPECT_EQ(int_to_str(-2147483648LL), "-2147483648");
	EXPECT_TRUE(is_a_dir_char('/'));
	EXPECT_FALSE(is_a_dir_char(':'));
	EXPECT_TRUE(contains_a_dir_char("a/b"));
	EXPECT_FALSE(contains_a_dir_char("a:b"));
	EXPECT_TRUE(contains_a_bad_dir_char("a:b"));
	EXPECT_TRUE(contains_a_bad_dir_char("a\\b"));
	EXPECT_FALSE(contains_a_bad_dir_char("a/b"));
}

TEST(files_str, strip_and_split_extension)
{
	struct {
		const char *path, *file, *base, *ext;
	} cases[] = {
	    {"a/b/c.txt", "c.txt", "a/b/c", ".txt"},
	    {"c.tar.gz", "c.tar.gz", "c.tar", ".gz"},
	    {"a.d/file", "file", "a.d/file", ""},   // a dot in a folder name is no extension
	    {"dir/.hidden", ".hidden", "dir/.hidden", ""},
	    {"a/b/", "", "a/b/", ""},
	    {"plain", "plain", "plain", ""},
	};
	for (auto& c : cases) {
		EXPECT_EQ(strip_to_file(c.path), c.file) << c.path;
		std::string base, ext;
		split_extension(c.path, base, ext);
		EXPECT_EQ(base, c.base) << c.path;
		EXPECT_EQ(ext, c.ext) << c.path;
	}
}

TEST(files_str, crunch_path)
{
	struct {
		const char *in, *want;
	} cases[] = {
	    {"a/b/../c", "a/c"},
	    {"a/b/c", "a/b/c"},                  // nothing to crunch
	    {"/x/y/../../z/", "/z/"},
	    {"a/b/../../../c", "../c"},          // nothing left to pair with
	    {"../a", "../a"},
	    {"/../a", "/../a"},                   // the root is not a folder name
	    {"a/../b/../c.png", "c.png"},
	    {"a..b/c", "a..b/c"},                 // ".." inside a name is no component
	    {"a/b/..", "a/b/.."},                 // a pair needs its "/"
	};
	for (auto& c : cases) {
		std::string s = c.in;
		crunch_path(s);
		EXPECT_EQ(s, c.want) << c.in;
	}
}

TEST(files_str, ouf_printf_formats_long_text)
{
	std::ostringstream out;
	std::string big(2000, 'x');
	EXPECT_EQ(ouf_printf(out, "%d:%s|", 42, big.c_str()), 2004);
	EXPECT_EQ(out.str(), "42:" + big + "|");
}
