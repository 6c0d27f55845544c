#include "app/Installer-f/flows/steps/any_checksum.h"

#include "app/Installer-f/engine/checksum_directory.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/files/paths.h"
#include "core/installer/sim_info.h"
#include "core/ui/translate.h"

any_checksum::any_checksum(wizard_collection* owner, const any_checksum_config& config, const any_checksum_msgs& msgs)
	: wizard_func(owner, UTL_translate_string("Scan Existing Files"), "Scan Existing Files"), config(config), msgs(msgs)
{
}

wizard_func* any_checksum::open()
{
	scan_position = 0;
	running = 0;
	set_install_filter(config.want_sim, config.want_scenery, config.want_extras);
	return this;
}

void any_checksum::close()
{
	if (running)
		checksum_directory_kill();
	running = 0;
}

wizard_func* any_checksum::go(wizard_screen& screen)
{
	std::string folder = dest_dir_path;
	set_path_to_os_native_dirchars(folder);
	screen.title = msgs.title;
	screen.message = UTL_string_sub(msgs.scanning, folder);
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = wiz_target_none;

	running = 1;
	float progress = 0;
	const int r = checksum_directory(scan_position, config.scan_mode, progress);
	if (r == 1) {
		running = 0;
		return owner->next_for_step(this);
	}
	if (r == 2) {
		std::string path;
		const err_code_t err = static_cast<err_code_t>(checksum_get_error(path));
		owner->error_code = err;
		owner->error_text = error_str(err);
		checksum_directory_kill();
		running = 0;
		return owner->steps.empty() ? owner->next_for_step(this) : owner->steps.back();
	}
	screen.progress_text = UTL_string_sub(UTL_translate_string("Scanning %1:number% of %2:total% files."),
	                                      std::to_string(scan_position), std::to_string(sim_info.files.size()));
	screen.progress = progress;
	return this;
}
