#pragma once
// What start-up learns about the machine, for the launch name and usage analytics.
#include <string>

struct system_info_record {
	int page_size = 4096;
	int memory_class = 0;       // 1, 2, 3, 4, 6, 8, 16, 32, 64 or 128
	int is_64bit = 1;           // always set
	int case_sensitive = 1;     // of the application's volume
	int lang_index = 0;
	std::string processor;      // "%s - Speed: %s GHz - Cores: %d"
	std::string system_version; // "LIN%s_%dbit"
};
extern system_info_record system_info;
