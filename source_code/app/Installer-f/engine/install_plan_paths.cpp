#include "app/Installer-f/engine/install_plan_paths.h"

#include "app/Installer-f/engine/install_dest.h"
#include "core/files/file_ops.h"

bool plan_dest_is_usable()
{
	return dest_dir_path.size() > 1 && dest_dir_path.front() == '/' && dest_dir_path.back() == '/';
}

bool plan_crosses_link(const std::string& rel, bool include_last)
{
	std::string r = rel;
	while (!r.empty() && r.back() == '/')
		r.pop_back();
	for (size_t i = 1; i < r.size(); ++i)
		if (r[i] == '/' && is_sim_link(dest_dir_path + r.substr(0, i)))
			return true;
	return include_last && !r.empty() && is_sim_link(dest_dir_path + r);
}
