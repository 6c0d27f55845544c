#pragma once
// Work step: checksum the files of the installation folder that the manifest lists, one slice
// per frame. A failure goes to the wizard's last step; Back passes over this step.
#include <string>

#include "app/Installer-f/wizard/wizard_func.h"

struct any_checksum_config {
	int want_sim;
	int want_scenery;
	int want_extras;
	int scan_mode;  // 0 reads and hashes every file, 1 only tests that each exists
};

struct any_checksum_msgs {
	std::string title;
	std::string scanning;  // "%1:folder path%"
};

class any_checksum : public wizard_func {
public:
	any_checksum(wizard_collection* owner, const any_checksum_config& config, const any_checksum_msgs& msgs);

	wizard_func* go(wizard_screen& screen) override;
	wizard_func* open() override;
	void close() override;
	bool skip_back() override { return true; }

	int scan_position = 0;
	int running = 0;
	any_checksum_config config;
	any_checksum_msgs msgs;
};
