#pragma once
// The update wizard: brings an existing installation up to the latest release on the mirrors.
// Welcome, (choice of installation), server list and manifest, scan, disk space, install, finish.
#include <string>

#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_func.h"

class net_update_wizard;
class any_get_install_info_net;
class any_checksum;
class any_run_install;

// Step bodies come from the screens layer; until it registers them the steps have none.
struct net_update_bodies {
	gui_widget_controller* (*net_start)(int* get_beta) = nullptr;
	gui_widget_controller* (*pick_dest)(std::string* dest, const std::string& found_one,
	                                     const std::string& pick_one) = nullptr;
	gui_widget_controller* (*disk_space)(const std::string& enough, const std::string& not_enough) = nullptr;
};
void net_update_set_bodies(const net_update_bodies& bodies);

class net_start : public wizard_func {
public:
	explicit net_start(net_update_wizard* wiz);
	wizard_func* go(wizard_screen& screen) override;
	wizard_func* open() override;
	gui_widget_controller* build_screen_body() override;

	net_update_wizard* wiz;
};

class net_pick_dest : public wizard_func {
public:
	explicit net_pick_dest(wizard_collection* owner);
	wizard_func* go(wizard_screen& screen) override;
	gui_widget_controller* build_screen_body() override;
};

class net_check_disk : public wizard_func {
public:
	explicit net_check_disk(wizard_collection* owner);
	wizard_func* go(wizard_screen& screen) override;
	wizard_func* open() override;
	gui_widget_controller* build_screen_body() override;
};

class net_done : public wizard_func {
public:
	explicit net_done(wizard_collection* owner);
	wizard_func* go(wizard_screen& screen) override;
	void close() override;
};

class net_update_wizard : public wizard_collection {
public:
	net_update_wizard(const std::string& path, wizard_func* parent, int demo);

	std::string install_path;  // empty: the user picks the installation

	net_start* start = nullptr;
	net_pick_dest* pick_dest = nullptr;  // only without an installation path
	any_get_install_info_net* get_info = nullptr;
	any_checksum* checksum = nullptr;
	net_check_disk* check_disk = nullptr;
	any_run_install* run_install = nullptr;
	net_done* done = nullptr;
};

// The final step's message for a failed update: the network sentence for network failures,
// the other one otherwise, then the technical text.
std::string net_done_error_message(err_code_t code, const std::string& error_text);
