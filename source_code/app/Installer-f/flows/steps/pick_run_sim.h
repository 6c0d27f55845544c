#pragma once
// The end of the demo flow: launch the simulator, choosing the copy when several are known.
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_func.h"

class pick_run_sim : public wizard_func {
public:
	pick_run_sim(wizard_collection* owner, int demo);

	wizard_func* go(wizard_screen& screen) override;
	gui_widget_controller* build_screen_body() override;

	int demo;
};

class run_sim_wizard : public wizard_collection {
public:
	run_sim_wizard(wizard_func* parent, int demo);
};

// Body builder installed by the screens layer (the choice of installation): the step and its prompt.
typedef gui_widget_controller* (*pick_run_sim_body_fn)(pick_run_sim* step, const std::string& prompt);
extern pick_run_sim_body_fn pick_run_sim_body;
