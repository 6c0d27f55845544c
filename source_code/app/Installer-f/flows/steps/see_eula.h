#pragma once
// The licence agreement: Continue only once the agreement box is ticked.
#include "app/Installer-f/wizard/wizard_func.h"

class see_eula : public wizard_func {
public:
	// Also ticks the usage-data consent (stg.send_analytics = 1); the body's box may clear it.
	explicit see_eula(wizard_collection* owner);

	wizard_func* go(wizard_screen& screen) override;
	gui_widget_controller* build_screen_body() override;

	int agreed = 0;  // bound to the body's check box; kept across visits
};

typedef gui_widget_controller* (*see_eula_body_fn)(see_eula* step);
extern see_eula_body_fn see_eula_body;  // installed by the screens layer
