#pragma once
// Work step: fetch the server list and the release manifest (download_directory), then move on
// by itself. A failure goes to the wizard's last step; Back passes over this step.
#include <string>

#include "app/Installer-f/flows/steps/download_directory.h"
#include "app/Installer-f/wizard/wizard_func.h"

struct any_get_install_info_net_msgs {
	std::string title;        // screen heading
	std::string contacting;   // while the server list comes in
	std::string downloading;  // "%1:server name%"
	std::string progress;     // "%1:progress%%"
};

class any_get_install_info_net : public wizard_func {
public:
	any_get_install_info_net(wizard_collection* owner, bool full, bool demo, bool beta_allowed,
	                         const any_get_install_info_net_msgs& msgs);
	~any_get_install_info_net() override;

	wizard_func* go(wizard_screen& screen) override;
	wizard_func* open() override;
	void close() override;
	bool skip_back() override { return true; }

	download_directory* job = nullptr;
	bool full;
	bool demo;
	bool beta_allowed;
	any_get_install_info_net_msgs msgs;
};
