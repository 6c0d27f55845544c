#pragma once
// The scenery wizard: scans an installation for the scenery of the full release, lets the user
// change the selection on the world map and installs the difference. With force update it
// turns a demo into a full installation by going on into the update wizard at the end.
// Welcome (with a path), server list and manifest, (choice of installation), scan, map,
// install, finish.
#include <string>

#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_func.h"

class add_remove_scenery_wizard;
class any_get_install_info_net;
class any_checksum;
class any_run_install;
class net_update_wizard;

// Step bodies come from the screens layer; until it registers them the steps have none.
struct scenery_wizard_bodies {
	gui_widget_controller* (*pick_dest)(std::string* dest, const std::string& found_one,
	                                     const std::string& pick_one) = nullptr;
	gui_widget_controller* (*scenery_picker)(const std::string& enough, const std::string& not_enough) = nullptr;
	gui_widget_controller* (*get_support)() = nullptr;
};
void scenery_wizard_set_bodies(const scenery_wizard_bodies& bodies);

class add_remove_scenery_standalone_start : public wizard_func {
public:
	add_remove_scenery_standalone_start(add_remove_scenery_wizard* wiz, int force_update);
	wizard_func* go(wizard_screen& screen) override;

	add_remove_scenery_wizard* wiz;
	int force_update;
};

class dvd_pick_scenery : public wizard_func {
public:
	dvd_pick_scenery(wizard_collection* owner, const std::string& path);
	wizard_func* go(wizard_screen& screen) override;
	bool skip_back() override { return !path.empty(); }
	gui_widget_controller* build_screen_body() override;

	std::string path;
};

class dvd_edit_scenery : public wizard_func {
public:
	explicit dvd_edit_scenery(wizard_collection* owner);
	wizard_func* open() override;
	wizard_func* go(wizard_screen& screen) override;
	bool check_can_close(ins_btn_type cause) override;
	gui_widget_controller* build_screen_body() override;
};

class dvd_done_scenery : public wizard_func {
public:
	dvd_done_scenery(wizard_collection* owner, int force_update);
	~dvd_done_scenery() override;
	wizard_func* open() override;
	wizard_func* go(wizard_screen& screen) override;
	void close() override;
	gui_widget_controller* build_screen_body() override;

	int force_update;
	net_update_wizard* update = nullptr;  // rebuilt at every successful visit
};

class add_remove_scenery_wizard : public wizard_collection {
public:
	add_remove_scenery_wizard(const std::string& path, int force_update, wizard_func* parent);

	std::string install_path;  // empty: the user picks the installation

	add_remove_scenery_standalone_start* start = nullptr;  // only with an installation path
	any_get_install_info_net* get_info = nullptr;
	dvd_pick_scenery* pick = nullptr;  // only without an installation path
	any_checksum* checksum = nullptr;
	dvd_edit_scenery* edit = nullptr;
	any_run_install* run_install = nullptr;
	dvd_done_scenery* done = nullptr;
};

// The final step's message: the first sentence by what the plan fetched (install_count) and
// deleted (delete_count), with the advice and technical text after a failure.
std::string dvd_done_scenery_message(err_code_t code, const std::string& error_text, int install_count,
                                     int delete_count);
