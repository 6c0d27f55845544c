#include "core/ui/system_facts.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

std::string trim(const std::string& s)
{
	size_t b = s.find_first_not_of(" \t\r\n");
	if (b == std::string::npos)
		return std::string();
	size_t e = s.find_last_not_of(" \t\r\n");
	return s.substr(b, e - b + 1);
}

bool read_file(const std::string& path, std::string& out)
{
	std::ifstream in(path, std::ios::binary);
	if (!in)
		return false;
	std::ostringstream ss;
	ss << in.rdbuf();
	out = ss.str();
	return true;
}

// "key<blanks>: value" lines, as /proc/cpuinfo writes them.
bool split_key_value(const std::string& line, std::string& key, std::string& value)
{
	size_t colon = line.find(':');
	if (colon == std::string::npos)
		return false;
	key = trim(line.substr(0, colon));
	value = trim(line.substr(colon + 1));
	return true;
}

int to_int_clamped(double v)
{
	if (!std::isfinite(v) || v <= 0)
		return 0;
	return v > 2e9 ? 2000000000 : static_cast<int>(std::lround(v));
}

}  // namespace

void system_facts_parse_cpuinfo(const std::string& text, system_facts& out)
{
	std::istringstream in(text);
	std::string line, key, value, fallback_brand;
	int count = 0;
	bool have_mhz = false;
	while (std::getline(in, line)) {
		if (!split_key_value(line, key, value))
			continue;
		if (key == "processor")
			++count;
		else if (key == "model name" && out.cpu_brand.empty())
			out.cpu_brand = value;
		else if (key == "Processor" && fallback_brand.empty())  // older ARM kernels
			fallback_brand = value;
		else if (key == "cpu MHz" && !have_mhz) {
			out.cpu_mhz = to_int_clamped(std::strtod(value.c_str(), nullptr));
			have_mhz = true;
		}
	}
	if (out.cpu_brand.empty())
		out.cpu_brand = fallback_brand;
	out.cpu_count = count;
}

void system_facts_parse_meminfo(const std::string& text, system_facts& out)
{
	std::istringstream in(text);
	std::string line, key, value;
	while (std::getline(in, line)) {
		if (split_key_value(line, key, value) && key == "MemTotal") {
			// The kernel writes kibibytes ("kB").
			out.ram_mb = to_int_clamped(std::strtod(value.c_str(), nullptr) / 1024.0);
			return;
		}
	}
}

std::string system_facts_parse_os_release(const std::string& text)
{
	std::istringstream in(text);
	std::string line;
	while (std::getline(in, line)) {
		line = trim(line);
		if (line.compare(0, 12, "PRETTY_NAME=") != 0)
			continue;
		std::string raw = line.substr(12), value;
		if (!raw.empty() && raw[0] == '\'') {
			size_t end = raw.find('\'', 1);
			value = raw.substr(1, end == std::string::npos ? std::string::npos : end - 1);
		} else if (!raw.empty() && raw[0] == '"') {
			for (size_t i = 1; i < raw.size() && raw[i] != '"'; ++i) {
				if (raw[i] == '\\' && i + 1 < raw.size() && std::string("\"\\$`").find(raw[i + 1]) != std::string::npos)
					++i;
				value += raw[i];
			}
		} else {
			value = raw;
		}
		return value;
	}
	return std::string();
}

system_facts system_facts_read(const system_facts_sources& src)
{
	system_facts f;
	std::string text;
	if (read_file(src.cpuinfo, text))
		system_facts_parse_cpuinfo(text, f);
	// The nominal maximum beats the momentary "cpu MHz" where the kernel offers it.
	if (read_file(src.cpu_max_freq, text)) {
		int mhz = to_int_clamped(std::strtod(text.c_str(), nullptr) / 1000.0);
		if (mhz > 0)
			f.cpu_mhz = mhz;
	}
	long online = sysconf(_SC_NPROCESSORS_ONLN);
	if (online > 0)
		f.cpu_count = static_cast<int>(online);
	if (read_file(src.meminfo, text))
		system_facts_parse_meminfo(text, f);
	if (read_file(src.os_release, text) || read_file(src.os_release_fallback, text))
		f.os_pretty_name = system_facts_parse_os_release(text);
	if (f.os_pretty_name.empty()) {
		struct utsname u;
		if (uname(&u) == 0)
			f.os_pretty_name = std::string(u.sysname) + " " + u.release;
	}
	return f;
}
