#include "app/Installer-f/flows/steps/any_pick_install.h"

#include <sched.h>

#include <cerrno>

#include "app/Installer-f/engine/checksum_directory.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/files/file_ops.h"
#include "core/files/paths.h"
#include "core/installer/sim_info.h"
#include "core/ui/log.h"
#include "core/ui/stg.h"
#include "core/ui/translate.h"

any_pick_install_body_fn any_pick_install_body = nullptr;

namespace {

bool starts_with(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The system's own folders: installing into or below them breaks the system or the simulator.
bool is_known_bad_location(const std::string& path)
{
	if (starts_with(path, "/Applications") || path == "/" || starts_with(path, "C:\\Program Files") ||
	    path == "C:\\")
		return true;
	if (path.size() < 2 || path[0] != '/')
		return false;
	const size_t end = path.find('/', 1);
	const std::string first = path.substr(1, end == std::string::npos ? std::string::npos : end - 1);
	static const char* const system_folders[] = {"bin", "boot", "dev", "etc", "proc", "run", "sbin", "sys", "usr"};
	for (const char* f : system_folders)
		if (first == f)
			return true;
	if (starts_with(first, "lib"))
		return true;
	// Directly in the root folder: the root folder itself is the chosen parent.
	return end == path.size() - 1;
}

std::string native(std::string path)
{
	set_path_to_os_native_dirchars(path);
	return path;
}

}  // namespace

any_pick_install::any_pick_install(wizard_collection* owner, int demo, int require_space,
                                   const any_pick_install_msgs& msgs)
	: wizard_func(owner, UTL_translate_string("Pick Destination"), "Pick Installation"), demo(demo), msgs(msgs),
	  require_space(require_space)
{
	get_OS_abs_path(os_dir_desktop, desktop_folder);
	parent_folder = desktop_folder;
	install_name = msgs.default_name;
}

int any_pick_install::analyze_install_location(const std::string& install_name, const std::string& full_path)
{
	if (install_name.find_first_of("/:\\") != std::string::npos)
		return loc_bad_name;
	if (dir_exists(full_path))
		return loc_exists;
	if (is_known_bad_location(full_path))
		return loc_known_bad;
	const err_code_t made = make_folder(full_path);
	if (made == err_from_errno(EACCES))
		return loc_no_permission;
	if (made == err_from_errno(EROFS))
		return loc_read_only;
	if (made != 0) {
		skyvane_log_write(log_error, "INS", "Attempting to validate the install path %s returned error %s.\n",
		                  full_path.c_str(), error_str(made).c_str());
		return loc_other_failure;
	}
	const err_code_t removed = delete_file(full_path);
	if (removed != 0) {
		skyvane_log_write(log_error, "INS", "Attempting to post-validate the install path %s returned error %s.\n",
		                  full_path.c_str(), error_str(removed).c_str());
		return loc_other_failure;
	}
	return loc_usable;
}

wizard_func* any_pick_install::open()
{
	recheck = 1;
	return this;
}

gui_widget_controller* any_pick_install::build_screen_body()
{
	return any_pick_install_body ? any_pick_install_body(this) : nullptr;
}

void any_pick_install::ReceiveMessage(long, long) { recheck = 1; }

wizard_func* any_pick_install::go(wizard_screen& screen)
{
	screen.title = UTL_string_sub(UTL_translate_string("Pick Install Destination for %1:install%."),
	                              sim_info.install_name);
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = owner->next_for_step(this);

	if (install_name.empty()) {
		dest_dir_path = parent_folder;
		screen.next_step = wiz_target_none;
		screen.message = msgs.empty_name;
		return this;
	}

	dest_dir_path = parent_folder + install_name + "/";
	if (recheck) {
		recheck = 0;
		status = analyze_install_location(install_name, dest_dir_path);
		if (status == loc_usable) {
			set_install_filter(1, !demo, !demo);
			// The folder does not exist yet, so this scan ends at once; a failure ends it too.
			int next = 0;
			float progress = 0;
			int r;
			while ((r = checksum_directory(next, 0, progress)) == 0)
				sched_yield();
			if (r == 2) {
				std::string path;
				const err_code_t err = static_cast<err_code_t>(checksum_get_error(path));
				skyvane_log_write(log_error, "INS", "Scanning the new destination %s failed: %s",
				                  dest_dir_path.c_str(), error_str(err).c_str());
				checksum_directory_kill();
			}
			scenery_take_none();
			scenery_from_install(1);
			recalc_disk_sizes();
		}
	}

	const std::string parent = native(parent_folder);
	const std::string pick_new = UTL_translate_string("Please pick a new installation location.");
	switch (status) {
	case loc_usable: {
		std::string m = UTL_string_sub(
			UTL_translate_string("The installer will create the folder “%1:install name%” inside the folder “%2:parent folder%.”"),
			install_name, parent);
		if (parent_folder == desktop_folder)
			m += "\n\n" + UTL_string_sub(UTL_translate_string("(The folder %1:install name% will appear on your desktop.)"),
			                             install_name);
		screen.message = m;
		recalc_disk_sizes();
		uint64_t total = 0, free_bytes = 0;
		if (disk_space_reader(dest_dir_path, &total, &free_bytes) == 0 &&
		    !(static_cast<double>(free_bytes) / 1000.0 > stg.install_total_kb) && require_space)
			screen.next_step = wiz_target_none;
		return this;
	}
	case loc_bad_name:
		screen.message = UTL_translate_string(
			"Please pick a name for your Skyvane folder that does not contain slashes or the ‘:’ character.");
		break;
	case loc_known_bad:
		screen.message = UTL_string_sub(UTL_translate_string("Skyvane cannot be installed to the location “%1:parent folder%,” because this location is known to cause problems with Skyvane."),
		                                parent) + "\n\n" + pick_new;
		break;
	case loc_no_permission:
		screen.message = UTL_string_sub(UTL_translate_string("You do not have permission to install Skyvane to the location “%1:parent folder%.”"),
		                                parent) + " " + pick_new;
		break;
	case loc_read_only:
		screen.message = UTL_string_sub(UTL_translate_string("The location “%1:parent folder%” is on a read-only DVD-ROM or drive."),
		                                parent) + " " + pick_new;
		break;
	case loc_exists:
		screen.message = UTL_string_sub(UTL_translate_string("The folder “%1:install name%” already exists inside the folder “%2:parent folder%.”"),
		                                install_name, parent) + " " +
		                 UTL_translate_string("Please change the install name or destination.");
		break;
	default:
		screen.message = UTL_string_sub(UTL_translate_string("Skyvane cannot be installed to the location “%1:parent folder%.”"),
		                                parent) + " " + pick_new;
		break;
	}
	screen.next_step = wiz_target_none;
	return this;
}
