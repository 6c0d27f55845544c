#pragma once
// Shared pieces of the manifest and server-list tests: a scratch folder, the headers the readers
// accept, and the global command line set for one test.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/installer/sim_info.h"
#include "core/ui/UTL_cmdline.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

inline bool operator==(const UTL_server_info& a, const UTL_server_info& b)
{
	return a.host == b.host && a.path == b.path && a.name == b.name;
}
inline void PrintTo(const UTL_server_info& s, std::ostream* os)
{
	*os << "{" << s.host << " | " << s.path << " | " << s.name << "}";
}

inline const std::string k_manifest_header = "I\n1100 version\nINSTALLER\n";
inline const std::string k_server_list_header = "I\n1100 version\nSERVERS\n";

// Sets the global command line to args for its lifetime, then empties it.
class cmdline_args {
public:
	explicit cmdline_args(const std::vector<std::string>& args)
	{
		std::vector<const char*> argv{"skyvane-installer"};
		for (const std::string& a : args)
			argv.push_back(a.c_str());
		cmdline.clear();
		cmdline.parse(static_cast<int>(argv.size()), argv.data());
	}
	~cmdline_args() { cmdline.clear(); }
	cmdline_args(const cmdline_args&) = delete;
	cmdline_args& operator=(const cmdline_args&) = delete;
};

class reader_test : public ::testing::Test {
protected:
	// Writes bytes to name in the scratch folder and returns its full path.
	std::string file(const std::string& bytes, const std::string& name = "f.txt")
	{
		dir.write(name, bytes);
		return dir / name;
	}

	scratch_dir dir;
	log_capture log;
};
