#pragma once
// What the machine says about itself: the log header, start-up's system information
// and analytics read it. A value the system does not report is empty or 0.
#include <string>

struct system_facts {
	std::string cpu_brand;       // "model name" of the first processor
	int cpu_mhz = 0;             // nominal clock
	int bus_mhz = 0;             // not reported on Linux
	int ram_mb = 0;              // MemTotal
	int cpu_count = 0;           // logical processors
	std::string os_pretty_name;  // PRETTY_NAME of os-release
};

// Where the facts come from; tests point these at files of their own.
struct system_facts_sources {
	std::string cpuinfo = "/proc/cpuinfo";
	std::string meminfo = "/proc/meminfo";
	std::string os_release = "/etc/os-release";
	std::string os_release_fallback = "/usr/lib/os-release";
	std::string cpu_max_freq = "/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq";  // kHz
};

system_facts system_facts_read(const system_facts_sources& src = system_facts_sources());

// Parsers of the texts, shared by the reader and the tests.
void system_facts_parse_cpuinfo(const std::string& text, system_facts& out);
void system_facts_parse_meminfo(const std::string& text, system_facts& out);
// PRETTY_NAME's value with shell quoting undone; empty when absent.
std::string system_facts_parse_os_release(const std::string& text);
