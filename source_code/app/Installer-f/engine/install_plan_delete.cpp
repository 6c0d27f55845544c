// Deleting what the plan removes, and the folders that leaves really empty.
#include "app/Installer-f/engine/install_plan.h"

#include <cerrno>
#include <set>

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_plan_paths.h"
#include "core/files/file_ops.h"
#include "core/files/paths.h"
#include "core/installer/sim_info.h"
#include "core/ui/log.h"

void delete_files()
{
	if (!plan_dest_is_usable()) {
		skyvane_log_write(log_error, "INS", "Not deleting files: the installation folder \"%s\" is not a full folder path\n",
		                  dest_dir_path.c_str());
		return;
	}

	const err_code_t err_missing = err_from_errno(ENOENT);
	std::set<std::string> folders;
	for (file_history_struct& f : sim_info.files) {
		file_version_struct& v = f.cur();
		if (!v.want_delete)
			continue;
		const std::string target = dest_dir_path + v.path;
		// Unlinking below a linked folder would delete from the link's target.
		if (plan_crosses_link(v.path, false)) {
			skyvane_log_write(log_warn, "INS", "Not deleting file %s: a folder on its path is a symbolic link\n",
			                  target.c_str());
			continue;
		}
		const err_code_t err = delete_file(target);  // a link goes as a link
		skyvane_log_write(log_info, "INS", "Deleting file %s: %s\n", target.c_str(), error_str(err).c_str());
		for (std::string dir = target;;) {
			get_path_with_path(dir, dir);
			if (dir.size() <= dest_dir_path.size())
				break;
			folders.insert(dir);
		}
		// A copy that could not be deleted is still there, and the model says so.
		if (!err || err == err_missing) {
			v.local_ok = 0;
			v.sig_have = "NONE";
		}
	}

	// Descending: sub-folders go before their parents, so a chain of emptied folders all goes.
	std::vector<std::string> names;
	std::vector<file_type_t> types;
	for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
		const std::string& dir = *it;
		if (plan_crosses_link(dir.substr(dest_dir_path.size()), true) || !dir_exists(dir))
			continue;  // a linked folder is the user's; it is neither listed nor removed
		if (opensave_getitems(dir, list_filter_visible, names, types) != 0)
			continue;
		// Hidden entries are not listed; removing the folder itself only succeeds when it is really empty.
		const err_code_t err = delete_file(dir);
		skyvane_log_write(log_info, "INS", "Deleting file %s: %s\n", dir.c_str(), error_str(err).c_str());
	}
}
