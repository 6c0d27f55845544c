#include "log_fixture.h"

#include "core/ui/UTL_cmdline.h"
#include "core/ui/log_header.h"
#include "core/ui/system_facts.h"

#include <sstream>
#include <sys/stat.h>

namespace {

const char* const k_fixed_paragraphs =
	"This log file is generated automatically by Brightfold applications and contains diagnostics about your "
	"graphics hardware, installation, and any error conditions.\n"
	"If you need to contact tech support or file a bug, please send us this file. NOTE: this file is rewritten "
	"every time you start ANY of your Skysuite applications.\n\n";

class log_header : public ::testing::Test {
protected:
	void SetUp() override
	{
		const char* tz = getenv("TZ");
		had_tz_ = tz != nullptr;
		if (tz)
			old_tz_ = tz;
		setenv("TZ", "UTC", 1);
		tzset();
		info_.build_stamp = "Jan  2 2025 03:04:05";
		info_.started = 86400 + 3600 + 61;  // Fri Jan  2 01:01:01 1970
		info_.facts.cpu_brand = "Example(R) CPU @ 2.40GHz";
		info_.facts.cpu_mhz = 2400;
		info_.facts.ram_mb = 15936;
		info_.facts.os_pretty_name = "Debian GNU/Linux 12 (bookworm)";
		info_.app_folder = "/opt/Skyvane 11/";
		info_.case_sensitive = 1;
	}
	void TearDown() override
	{
		if (had_tz_)
			setenv("TZ", old_tz_.c_str(), 1);
		else
			unsetenv("TZ");
		tzset();
	}
	std::string write() const
	{
		std::ostringstream out;
		skyvane_log_write_header(out, info_);
		return out.str();
	}

	log_header_info info_;
	bool had_tz_ = false;
	std::string old_tz_;
};

const std::string k_head =
	std::string("Installer log.txt for Skyvane Installer 4.01r1 compiled on Jan  2 2025 03:04:05\n"
	            "Installer started on Fri Jan  2 01:01:01 1970\n\n") + k_fixed_paragraphs;

TEST_F(log_header, without_options_ends_after_the_folder_line)
{
	EXPECT_EQ(write(), k_head +
	                       "Linux: Debian GNU/Linux 12 (bookworm)\n"
	                       "CPU type: Example(R) CPU @ 2.40GHz CPU speed (mhz): 2400 Bus speed (mhz): 0 RAM (MB): 15936\n"
	                       "\nSkysuite folder:'/opt/Skyvane 11/', case sensitive=1\n\n");
}

TEST_F(log_header, unknown_facts_and_options_block)
{
	info_.facts = system_facts();
	info_.app_folder = "";
	info_.case_sensitive = 0;
	info_.options = {{"--lang", "de"}, {"-path", "/home/a b/Skyvane 11/"}, {"--unattended", ""}};
	const std::string dashes(67, '-');
	EXPECT_EQ(write(), k_head +
	                       "Linux: \n"
	                       "CPU type: (unknown) CPU speed (mhz): 0 Bus speed (mhz): 0 RAM (MB): 0\n"
	                       "\nSkysuite folder:'', case sensitive=0\n\n" +
	                       dashes + "\n" +
	                       "Application was launched with the following command line options...\n"
	                       "\t'--lang'='de'\n"
	                       "\t'--unattended'\n"
	                       "\t'-path'='/home/a b/Skyvane 11/'\n" +
	                       dashes + "\n\n");
}

TEST_F(log_header, from_the_system_goes_to_the_log_stream)
{
	char tmpl[] = "/tmp/skyhdr_test.XXXXXX";
	ASSERT_NE(mkdtemp(tmpl), nullptr);
	std::string dir = std::string(tmpl) + "/";
	std::string path = dir + "log.txt";
	skyvane_log_reset_for_tests();
	ASSERT_TRUE(skyvane_log_open(path));
	cmdline.clear();
	const char* argv[] = {"skyvane-installer", "--lang=fr"};
	cmdline.parse(2, argv);
	skyvane_log_write_header(dir);
	cmdline.clear();
	skyvane_log_close();

	std::string text = read_whole_file(path);
	system_facts facts = system_facts_read();
	EXPECT_EQ(text.rfind("Installer log.txt for Skyvane Installer 4.01r1 compiled on " + log_header_build_stamp() + "\n", 0), 0u);
	EXPECT_NE(text.find("\nLinux: " + facts.os_pretty_name + "\nCPU type: "), std::string::npos);
	EXPECT_NE(text.find("RAM (MB): " + std::to_string(facts.ram_mb) + "\n"), std::string::npos);
	EXPECT_NE(text.find("\nSkysuite folder:'" + dir + "', case sensitive=1\n\n"), std::string::npos);
	EXPECT_NE(text.find("\t'--lang'='fr'\n"), std::string::npos);
	std::filesystem::remove_all(dir);
}

TEST(case_sensitivity, of_a_linux_folder_and_leaves_no_probe_behind)
{
	char tmpl[] = "/tmp/skycase_test.XXXXXX";
	ASSERT_NE(mkdtemp(tmpl), nullptr);
	std::string dir = tmpl;
	// A file whose case-swapped twin exists must not fool the probe.
	std::FILE* f = std::fopen((dir + "/cASEpROBE.aaaaaa").c_str(), "w");
	ASSERT_NE(f, nullptr);
	std::fclose(f);

	EXPECT_EQ(UTL_volume_is_case_sensitive(dir), 1);
	EXPECT_EQ(UTL_volume_is_case_sensitive(dir + "/"), 1);
	int entries = 0;
	for (auto& e : std::filesystem::directory_iterator(dir)) {
		(void)e;
		++entries;
	}
	EXPECT_EQ(entries, 1);
	EXPECT_EQ(UTL_volume_is_case_sensitive(dir + "/missing/"), 1);
	std::filesystem::remove_all(dir);
}

struct cpuinfo_case {
	const char* name;
	const char* text;
	const char* brand;
	int mhz;
	int count;
};

class cpuinfo_parse : public ::testing::TestWithParam<cpuinfo_case> {};

TEST_P(cpuinfo_parse, finds_brand_clock_and_processors)
{
	system_facts f;
	system_facts_parse_cpuinfo(GetParam().text, f);
	EXPECT_EQ(f.cpu_brand, GetParam().brand);
	EXPECT_EQ(f.cpu_mhz, GetParam().mhz);
	EXPECT_EQ(f.cpu_count, GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
	cases, cpuinfo_parse,
	::testing::Values(
		cpuinfo_case{"x86", "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Xeon(R) CPU @ 2.20GHz\n"
		                    "cpu MHz\t\t: 2199.998\n\nprocessor\t: 1\nmodel name\t: other\ncpu MHz\t\t: 1000.000\n",
		             "Intel(R) Xeon(R) CPU @ 2.20GHz", 2200, 2},
		cpuinfo_case{"arm", "Processor\t: ARMv7 Processor rev 10 (v7l)\nprocessor\t: 0\nBogoMIPS\t: 38.40\n",
		             "ARMv7 Processor rev 10 (v7l)", 0, 1},
		cpuinfo_case{"empty", "", "", 0, 0},
		cpuinfo_case{"garbage", "no colon here\ncpu MHz\t: fast\n", "", 0, 0}),
	[](const auto& info) { return std::string(info.param.name); });

TEST(meminfo_parse, takes_mem_total_in_mebibytes)
{
	system_facts f;
	system_facts_parse_meminfo("MemFree:         1000 kB\nMemTotal:       16318436 kB\n", f);
	EXPECT_EQ(f.ram_mb, 15936);
	system_facts g;
	system_facts_parse_meminfo("MemFree: 1000 kB\n", g);
	EXPECT_EQ(g.ram_mb, 0);
}

struct os_release_case {
	const char* text;
	const char* pretty;
};

class os_release_parse : public ::testing::TestWithParam<os_release_case> {};

TEST_P(os_release_parse, undoes_shell_quoting)
{
	EXPECT_EQ(system_facts_parse_os_release(GetParam().text), GetParam().pretty);
}

INSTANTIATE_TEST_SUITE_P(
	cases, os_release_parse,
	::testing::Values(os_release_case{"NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
	                                  "Debian GNU/Linux 12 (bookworm)"},
	                  os_release_case{"PRETTY_NAME='Arch Linux'\n", "Arch Linux"},
	                  os_release_case{"PRETTY_NAME=Gentoo\n", "Gentoo"},
	                  os_release_case{"PRETTY_NAME=\"A \\\"B\\\" \\\\ \\$C\"\n", "A \"B\" \\ $C"},
	                  os_release_case{"NAME=Debian\nXPRETTY_NAME=no\n", ""}));

TEST(system_facts_reader, reads_the_given_sources_and_survives_missing_ones)
{
	char tmpl[] = "/tmp/skyfacts_test.XXXXXX";
	ASSERT_NE(mkdtemp(tmpl), nullptr);
	std::string dir = tmpl;
	auto put = [&](const char* name, const char* text) {
		std::ofstream(dir + "/" + name) << text;
		return dir + "/" + name;
	};
	system_facts_sources src;
	src.cpuinfo = put("cpuinfo", "processor\t: 0\nmodel name\t: Test CPU\ncpu MHz\t\t: 1800.4\n");
	src.meminfo = put("meminfo", "MemTotal:        2097152 kB\n");
	src.os_release = dir + "/missing";
	src.os_release_fallback = put("os-release", "PRETTY_NAME=\"Test OS 1\"\n");
	src.cpu_max_freq = put("max_freq", "3000000\n");
	system_facts f = system_facts_read(src);
	EXPECT_EQ(f.cpu_brand, "Test CPU");
	EXPECT_EQ(f.cpu_mhz, 3000) << "the nominal maximum wins over the momentary clock";
	EXPECT_EQ(f.ram_mb, 2048);
	EXPECT_EQ(f.os_pretty_name, "Test OS 1");
	EXPECT_EQ(f.bus_mhz, 0);

	system_facts_sources none;
	none.cpuinfo = none.meminfo = none.os_release = none.os_release_fallback = none.cpu_max_freq = dir + "/missing";
	system_facts g = system_facts_read(none);
	EXPECT_EQ(g.cpu_brand, "");
	EXPECT_EQ(g.cpu_mhz, 0);
	EXPECT_EQ(g.ram_mb, 0);
	EXPECT_FALSE(g.os_pretty_name.empty()) << "falls back to the kernel's name and release";
	std::filesystem::remove_all(dir);
}

TEST(system_facts_reader, this_machine_reports_memory_processors_and_a_name)
{
	system_facts f = system_facts_read();
	EXPECT_GT(f.ram_mb, 0);
	EXPECT_GT(f.cpu_count, 0);
	EXPECT_FALSE(f.os_pretty_name.empty());
}

}  // namespace
