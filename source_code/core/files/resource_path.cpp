#include "core/files/resource_path.h"

#include <mutex>
#include <sys/stat.h>

#include "core/files/paths.h"

const char* const resource_prefix = "RESOURCE:";

namespace {
std::mutex s_lock;
bool s_known = false;
std::string s_folder;

bool is_dir(const std::string& p)
{
	struct stat st;
	return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

bool is_resource_path(const std::string& path) { return path.compare(0, 9, resource_prefix) == 0; }

std::string files_get_resource_folder()
{
	std::lock_guard<std::mutex> g(s_lock);
	if (!s_known) {
		std::string exe_dir;
		get_OS_abs_path(os_dir_this_app, exe_dir);
		std::string build = exe_dir + "resources/";
		std::string installed = exe_dir + "../share/skyvane-installer/resources/";
		s_folder = !is_dir(build) && is_dir(installed) ? installed : build;
		s_known = true;
	}
	return s_folder;
}

void files_set_resource_folder(const std::string& folder)
{
	std::lock_guard<std::mutex> g(s_lock);
	s_folder = folder;
	if (!s_folder.empty() && s_folder.back() != '/')
		s_folder += '/';
	s_known = true;
}

void resolve_resource_path(std::string& path)
{
	if (is_resource_path(path))
		path = files_get_resource_folder() + path.substr(9);
}
