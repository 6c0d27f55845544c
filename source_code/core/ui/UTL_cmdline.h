#pragma once
// The command-line options as a dictionary any part of the program may query.
#include <map>
#include <string>

class UTL_cmdline {
public:
	typedef std::map<std::string, std::string> dictionary;

	void init_unix(int argc, const char* const* argv);  // parse, then init_common()
	void init_common();                                  // immediate options: print and exit(0)
	int has_option(const char* key) const;
	std::string get_option(const char* key) const;
	void get_options(dictionary& out) const;
	int no_alerts() const;
	void force_no_alerts() { forced_no_alerts_ = 1; }

	// Parsing alone, without the immediate options (tests and init_unix).
	void parse(int argc, const char* const* argv);
	void clear() { options_.clear(); forced_no_alerts_ = 0; }

private:
	dictionary options_;
	int forced_no_alerts_ = 0;
};

extern UTL_cmdline cmdline;
