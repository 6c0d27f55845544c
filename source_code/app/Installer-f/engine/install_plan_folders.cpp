// Folders the plan needs before any file is written.
#include "app/Installer-f/engine/install_plan.h"

#include <cerrno>
#include <set>

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/install_plan_paths.h"
#include "core/files/file_ops.h"
#include "core/installer/ins_translate.h"
#include "core/installer/sim_info.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

namespace {

const char* const standard_folders[] = {
    "Output/", "Output/FMS plans/", "Output/logbooks/", "Output/replays/", "Output/situations/", "Output/preferences/",
};

// A folder below a link would be made inside the link's target; the writer refuses such files
// anyway, so the folder is not needed.
bool skip_below_link(const std::string& rel)
{
	if (!plan_crosses_link(rel, false))
		return false;
	skyvane_log_write(log_warn, "INS", "Not making folder %s%s: a folder on its path is a symbolic link\n",
	                  dest_dir_path.c_str(), rel.c_str());
	return true;
}

}  // namespace

std::vector<std::string> plan_needed_folders()
{
	std::set<std::string> folders;  // byte order: a folder sorts before everything below it
	for (const file_history_struct& f : sim_info.files) {
		const file_version_struct& v = f.cur();
		if (!v.want_install || !file_passes_filters(v))
			continue;
		for (size_t i = 1; i < v.path.size(); ++i)
			if (v.path[i] == '/')
				folders.insert(v.path.substr(0, i));
	}
	return std::vector<std::string>(folders.begin(), folders.end());
}

void make_dir_error(const std::string& path, err_code_t err)
{
	RADAVI_alert(ins_translate("The installer is unable to install or update Skyvane. An error occurred while creating "
	                           "new folders. Make sure the directory you are trying to install to is not set as "
	                           "read-only in your operating system."),
	             ins_translate("Error: ") + error_str(err), ins_translate("Install Location: ") + dest_dir_path,
	             ins_translate("Install Path:") + path, alert_mode_warning);
}

int make_dirs()
{
	if (!plan_dest_is_usable()) {
		const err_code_t err = err_from_errno(EINVAL);
		make_dir_error(dest_dir_path, err);
		return static_cast<int>(err);
	}

	// The installation folder, from its outermost missing parent inward.
	const std::string whole = dest_dir_path.substr(0, dest_dir_path.size() - 1);
	for (size_t i = 1; i <= whole.size(); ++i) {
		if (i < whole.size() && whole[i] != '/')
			continue;
		const std::string prefix = whole.substr(0, i);
		const err_code_t err = make_folder(prefix);
		if (show_make_dir_err(err)) {
			make_dir_error(prefix, err);
			return static_cast<int>(err);
		}
		double_check_path_permissions(prefix, nullptr);
	}

	for (const std::string& folder : plan_needed_folders()) {
		if (skip_below_link(folder))
			continue;
		const std::string path = dest_dir_path + folder;
		const err_code_t err = make_folder(path);
		if (show_make_dir_err(err)) {
			make_dir_error(path, err);
			return static_cast<int>(err);
		}
		double_check_path_permissions(path, nullptr);
	}

	for (const char* folder : standard_folders) {
		if (skip_below_link(folder))
			continue;
		const std::string path = dest_dir_path + folder;
		const err_code_t err = make_folder(path);
		if (show_make_dir_err(err))
			make_dir_error(path, err);
	}
	return 0;
}
