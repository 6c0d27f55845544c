#include "app/Installer-f/flows/steps/see_eula.h"

#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/ui/stg.h"
#include "core/ui/translate.h"

see_eula_body_fn see_eula_body = nullptr;

see_eula::see_eula(wizard_collection* owner) : wizard_func(owner, UTL_translate_string("License"), "EULA")
{
	stg.send_analytics = 1;
}

wizard_func* see_eula::go(wizard_screen& screen)
{
	screen.title = UTL_translate_string("End User License Agreement");
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = agreed ? owner->next_for_step(this) : wiz_target_none;
	return this;
}

gui_widget_controller* see_eula::build_screen_body() { return see_eula_body ? see_eula_body(this) : nullptr; }
