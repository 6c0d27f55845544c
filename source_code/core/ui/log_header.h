#pragma once
// The header at the top of the log file, written straight to the stream after it is opened.
#include "core/ui/UTL_cmdline.h"
#include "core/ui/system_facts.h"

#include <ctime>
#include <ostream>
#include <string>

struct log_header_info {
	std::string product = "Skyvane Installer 4.01r1";
	std::string build_stamp;   // build date and time
	time_t started = 0;        // printed in local time, asctime form
	system_facts facts;
	std::string app_folder;    // the folder that holds the application
	int case_sensitive = 1;    // of the volume app_folder lies on
	UTL_cmdline::dictionary options;
};

// The date and time this file was compiled, "Mmm dd yyyy hh:mm:ss".
std::string log_header_build_stamp();

// 1 when the volume holding folder tells names apart by case, 0 when not. Probes by creating
// a temporary file there and looking it up under its case-swapped name; a folder that cannot
// be written is judged by its own case-swapped path; with neither, 1 (the Linux norm).
int UTL_volume_is_case_sensitive(const std::string& folder);

// Writes the header and flushes the stream.
void skyvane_log_write_header(std::ostream& out, const log_header_info& info);

// Gathers everything from the system and the global command line, then writes to xer.
void skyvane_log_write_header(const std::string& app_folder);
