// The preference file: typed values through scan_class, the header check, overrides from the
// command line and the Installer's own file.
#include "core/ui/UTL_cmdline.h"
#include "core/ui/lang_setting.h"
#include "core/ui/pref_class.h"
#include "core/ui/proxy_setting.h"
#include "core/ui/scan_class.h"
#include "core/ui/stg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string read_text(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream ss;
	ss << in.rdbuf();
	return ss.str();
}

void write_text(const std::string& path, const std::string& text)
{
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out << text;
}

void set_cmdline(std::vector<std::string> args)
{
	args.insert(args.begin(), "skyvane-installer");
	std::vector<const char*> argv;
	for (const std::string& a : args)
		argv.push_back(a.c_str());
	cmdline.clear();
	cmdline.parse(static_cast<int>(argv.size()), argv.data());
}

const char* const k_header = "I\n10 version\n";

class prefs_test : public ::testing::Test {
protected:
	void SetUp() override
	{
		char tmpl[] = "/tmp/sky_prefs_test.XXXXXX";
		ASSERT_NE(mkdtemp(tmpl), nullptr);
		dir_ = tmpl;
		path_ = dir_ + "/Skyvane Installer.prf";
		cmdline.clear();
	}
	void TearDown() override
	{
		cmdline.clear();
		std::filesystem::remove_all(dir_);
	}

	std::string dir_, path_;
};

const enum_pair_t k_modes[] = {{"alpha", 0}, {"beta", 5}, {"gamma", 7}};

// Every typed operation, in the order the round trip writes and reads them.
struct all_values {
	int count = 0;
	double ratio = 0;
	float scale = 0;
	int mode = 0;
	int unknown_mode = 0;
	int ints[3] = {};
	float floats[2] = {};
	std::vector<float> vec = std::vector<float>(2, 0.0f);
	int nested = 0;
	int keyed = 0;

	void io(scan_class& s)
	{
		s.int_io(&count, "count");
		s.dob_io(&ratio, "ratio");
		s.flt_io(&scale, "scale");
		s.enum_io(&mode, k_modes, 3, "mode");
		s.enum_io(&unknown_mode, k_modes, 3, "mode2");
		s.array_io(ints, 3, "arr");
		s.array_io(floats, 2, "farr");
		s.vector_io(vec, "vec");
		s.push_prefix("win");
		s.push_prefix(3);
		s.int_io(&nested, "x");
		s.pop_prefix();
		s.int_io(&keyed, "y");
		s.pop_prefix();
	}
};

TEST_F(prefs_test, every_typed_io_round_trips)
{
	all_values w;
	w.count = -42;
	w.ratio = 0.25;
	w.scale = 1.5f;
	w.mode = 5;
	w.unknown_mode = 9;  // not in the table: no line
	w.ints[0] = 1, w.ints[1] = -2, w.ints[2] = 3;
	w.floats[0] = 0.5f, w.floats[1] = -1.25f;
	w.vec = {2.0f, 4.5f};
	w.nested = 7;
	w.keyed = 8;
	{
		scan_class s(path_, scan_class::mode_write, false);
		w.io(s);
	}
	EXPECT_EQ(read_text(path_), std::string(k_header) +
	                                "count -42\n"
	                                "ratio 0.250000\n"
	                                "scale 1.500000\n"
	                                "mode beta\n"
	                                "arr/0 1\narr/1 -2\narr/2 3\n"
	                                "farr/0 0.500000\nfarr/1 -1.250000\n"
	                                "vec/0 2.000000\nvec/1 4.500000\n"
	                                "win/3/x 7\n"
	                                "win/y 8\n");

	all_values r;
	r.unknown_mode = 3;
	{
		scan_class s(path_, scan_class::mode_read, false);
		r.io(s);
	}
	EXPECT_EQ(r.count, -42);
	EXPECT_DOUBLE_EQ(r.ratio, 0.25);
	EXPECT_FLOAT_EQ(r.scale, 1.5f);
	EXPECT_EQ(r.mode, 5);
	EXPECT_EQ(r.unknown_mode, 3);  // no line: unchanged
	EXPECT_EQ(std::vector<int>(r.ints, r.ints + 3), std::vector<int>({1, -2, 3}));
	EXPECT_EQ(std::vector<float>(r.floats, r.floats + 2), std::vector<float>({0.5f, -1.25f}));
	EXPECT_EQ(r.vec, std::vector<float>({2.0f, 4.5f}));
	EXPECT_EQ(r.nested, 7);
	EXPECT_EQ(r.keyed, 8);
}

TEST_F(prefs_test, unsafe_line_is_written_and_skipped)
{
	{
		scan_class s(path_, scan_class::mode_write, true);
		int v = 1;
		s.int_io(&v, "k");
	}
	EXPECT_EQ(read_text(path_), std::string(k_header) + "UNSAFE\nk 1\n");
	scan_class s(path_, scan_class::mode_read, false);
	std::string got;
	EXPECT_EQ(s.fetch_or_get("", got, "UNSAFE"), 0);
	EXPECT_EQ(s.fetch_or_get("", got, "k"), 1);
	EXPECT_EQ(got, "1");
}

TEST_F(prefs_test, typed_reads_of_odd_values)
{
	write_text(path_, std::string(k_header) + "n abc\nm bogus\nv 3\nv/0 9\n");
	scan_class s(path_, scan_class::mode_read, false);
	int n = 5, m = 5;
	EXPECT_EQ(s.int_io(&n, "n"), 1);
	EXPECT_EQ(n, 0);  // not a number reads as 0
	EXPECT_EQ(s.enum_io(&m, k_modes, 3, "m"), 0);
	EXPECT_EQ(m, 5);  // unknown name leaves it
	std::vector<float> vec(3, -1.0f);
	EXPECT_EQ(s.vector_io(vec, "v"), 1);
	EXPECT_EQ(vec, std::vector<float>({9.0f, -1.0f, -1.0f}));  // length kept, missing elements left
	int absent = 4;
	EXPECT_EQ(s.int_io(&absent, "absent"), 0);
	EXPECT_EQ(absent, 4);
}

struct read_case {
	const char* name;
	std::string file;  // empty: no file at all
	const char* key;
	bool found;
	std::string value;
};

class prefs_read : public prefs_test, public ::testing::WithParamInterface<read_case> {};

TEST_P(prefs_read, header_and_lines)
{
	const read_case& c = GetParam();
	if (!c.file.empty())
		write_text(path_, c.file);
	scan_class s(path_, scan_class::mode_read, false);
	std::string got = "untouched";
	EXPECT_EQ(s.fetch_or_get("", got, c.key) != 0, c.found);
	EXPECT_EQ(got, c.found ? c.value : std::string("untouched"));
}

INSTANTIATE_TEST_SUITE_P(
	files, prefs_read,
	::testing::Values(
		read_case{"plain", std::string(k_header) + "_x 5\n", "_x", true, "5"},
		read_case{"utf8_mark", "\xEF\xBB\xBF" + std::string(k_header) + "_x 5\n", "_x", true, "5"},
		read_case{"first_line_A_no_final_newline", "A\n10 version\n_x 5", "_x", true, "5"},
		read_case{"wrong_version_ignored", "I\n11 version\n_x 5\n", "_x", false, ""},
		read_case{"version_with_more_digits", "I\n100 version\n_x 5\n", "_x", false, ""},
		read_case{"bad_first_line", "X\n10 version\n_x 5\n", "_x", false, ""},
		read_case{"no_file", "", "_x", false, ""},
		read_case{"key_twice_last_wins", std::string(k_header) + "_x 1\n_y 0\n_x 2\n", "_x", true, "2"},
		read_case{"auto_update_skipped", std::string(k_header) + "AUTO_UPDATE 1\n", "AUTO_UPDATE", false, ""},
		read_case{"blank_lines_and_indent", std::string(k_header) + "\n\n  \t_x 4\n", "_x", true, "4"},
		read_case{"blanks_inside_and_after_value_kept", std::string(k_header) + "_s a b  \n", "_s", true, "a b  "},
		read_case{"one_separating_blank", std::string(k_header) + "_s  two\n", "_s", true, " two"},
		read_case{"key_without_value", std::string(k_header) + "_s\n_x 1\n", "_s", true, ""},
		read_case{"crlf_lines", std::string("I\r\n10 version\r\n_x 5\r\n_y 6\r\n"), "_y", true, "6"},
		read_case{"nul_bytes", std::string(k_header) + std::string("\0\0_x 7\n", 7), "_x", true, "7"}),
	[](const ::testing::TestParamInfo<read_case>& p) { return std::string(p.param.name); });

TEST_F(prefs_test, command_line_overrides_by_bare_key)
{
	write_text(path_, std::string(k_header) + "_get_beta 0\nwin/k 1\n");
	set_cmdline({"--pref:_get_beta=1", "--pref:k=9"});
	scan_class s(path_, scan_class::mode_read, false);
	int beta = 0, k = 0;
	EXPECT_EQ(s.int_io(&beta, "_get_beta"), 1);
	EXPECT_EQ(beta, 1);
	s.push_prefix("win");
	EXPECT_EQ(s.int_io(&k, "k"), 1);
	EXPECT_EQ(k, 9);

	// Overrides hold even when the file is not readable at all.
	write_text(path_, "I\n9 version\n_get_beta 0\n");
	scan_class bad(path_, scan_class::mode_read, false);
	beta = 0;
	EXPECT_EQ(bad.int_io(&beta, "_get_beta"), 1);
	EXPECT_EQ(beta, 1);
}

TEST_F(prefs_test, other_modes_change_nothing)
{
	write_text(path_, std::string(k_header) + "k 3\n");
	scan_class s(path_, 2, false);
	std::string got = "same";
	EXPECT_EQ(s.fetch_or_get("v", got, "k"), 1);
	EXPECT_EQ(got, "same");
	int v = 5;
	s.int_io(&v, "k");
	EXPECT_EQ(v, 5);
	EXPECT_EQ(read_text(path_), std::string(k_header) + "k 3\n");
}

// The Installer's own file through IO_set, with the globals it touches saved and restored.
class installer_prefs : public prefs_test {
protected:
	void SetUp() override
	{
		prefs_test::SetUp();
		pref_set_file_path(path_);
		saved_beta_ = stg.get_beta;
		saved_lang_ = UTL_get_lang_index();
		UTL_get_proxy_host(saved_proxy_);
		setups_ = 0;
		UTL_set_translate_setup_hook([] { ++setups_; });
	}
	void TearDown() override
	{
		UTL_set_translate_setup_hook(nullptr);
		pref_set_file_path("");
		stg.get_beta = saved_beta_;
		UTL_set_lang_index(saved_lang_);
		UTL_set_proxy_host(saved_proxy_);
		prefs_test::TearDown();
	}
	static std::string proxy()
	{
		std::string p;
		UTL_get_proxy_host(p);
		return p;
	}

	int saved_beta_ = 0, saved_lang_ = 0;
	std::string saved_proxy_;
	static int setups_;
};
int installer_prefs::setups_ = 0;

TEST_F(installer_prefs, write_then_read_restores_every_key)
{
	UTL_set_lang_index(2);
	stg.get_beta = 1;
	UTL_set_proxy_host("proxy.example:3128");
	pref_class::IO_set(pref_type_installer, 1);
	EXPECT_EQ(read_text(path_), std::string(k_header) + "_lang 2\n_get_beta 1\n_proxy_host proxy.example:3128\n");

	UTL_set_lang_index(0);
	stg.get_beta = 0;
	UTL_set_proxy_host("");
	pref_class::IO_set(pref_type_installer, 0);
	EXPECT_EQ(UTL_get_lang_index(), 2);
	EXPECT_EQ(setups_, 1);  // the language changed: translations set up again
	EXPECT_EQ(stg.get_beta, 1);
	EXPECT_EQ(proxy(), "proxy.example:3128");

	pref_class::IO_set(pref_type_installer, 0);
	EXPECT_EQ(setups_, 1);  // same language again: nothing to set up
}

TEST_F(installer_prefs, empty_proxy_writes_no_line_and_reading_keeps_the_host)
{
	UTL_set_lang_index(0);
	stg.get_beta = 0;
	UTL_set_proxy_host("");
	pref_class::IO_set(pref_type_installer, 1);
	EXPECT_EQ(read_text(path_), std::string(k_header) + "_lang 0\n_get_beta 0\n");

	UTL_set_proxy_host("kept.example");
	pref_class::IO_set(pref_type_installer, 0);
	EXPECT_EQ(proxy(), "kept.example");
}

TEST_F(installer_prefs, wrong_version_keeps_every_default)
{
	write_text(path_, "I\n11 version\n_lang 3\n_get_beta 1\n_proxy_host p.example\n");
	UTL_set_lang_index(0);
	stg.get_beta = 0;
	UTL_set_proxy_host("");
	pref_class::IO_set(pref_type_installer, 0);
	EXPECT_EQ(UTL_get_lang_index(), 0);
	EXPECT_EQ(stg.get_beta, 0);
	EXPECT_EQ(proxy(), "");
	EXPECT_EQ(setups_, 0);
}

TEST_F(installer_prefs, pref_option_turns_beta_on_whatever_the_file_says)
{
	write_text(path_, std::string(k_header) + "_get_beta 0\n");
	set_cmdline({"--pref:_get_beta=1"});
	stg.get_beta = 0;
	pref_class::IO_set(pref_type_installer, 0);
	EXPECT_EQ(stg.get_beta, 1);
}

TEST_F(installer_prefs, missing_folder_is_created_on_write)
{
	std::string nested = dir_ + "/sub/Skyvane Installer.prf";
	pref_set_file_path(nested);
	stg.get_beta = 1;
	pref_class::IO_set(pref_type_installer, 1);
	stg.get_beta = 0;
	pref_class::IO_set(pref_type_installer, 0);
	EXPECT_EQ(stg.get_beta, 1);
}

}  // namespace
