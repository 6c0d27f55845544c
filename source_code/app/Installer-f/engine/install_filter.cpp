#include "app/Installer-f/engine/install_filter.h"

#include <sys/stat.h>

#include "core/files/paths.h"
#include "core/ui/alert.h"
#include "core/ui/stg.h"

int g_want_sim = 1;
int g_want_scenery = 1;
int g_want_regional = 1;
int g_want_global = 1;

void set_install_filter(int want_sim, int want_scenery, int want_extras)
{
	g_want_sim = want_sim;
	g_want_scenery = want_scenery;
	g_want_regional = want_extras;
	g_want_global = want_extras;
}

bool file_passes_filters(const file_version_struct& v)
{
	if ((v.package_bits & ins_pkg_regional) && !g_want_regional)
		return false;
	if ((v.package_bits & ins_pkg_global) && !g_want_global)
		return false;
	if (v.is_scenery ? !g_want_scenery : !g_want_sim)
		return false;
	return v.os == 0 || v.os == stg.target_os;
}

bool double_check_path_permissions(const std::string& path, err_code_t* out)
{
	std::string p = path;
	set_path_to_full(p);
	while (p.size() > 1 && p.back() == '/')
		p.pop_back();
	// lstat: a link is replaced, never written through, so what it points to does not matter.
	struct stat st;
	if (lstat(p.c_str(), &st) == 0 && (st.st_mode & S_IWUSR))
		return true;
	if (out)
		*out = err_permission_denied;
	else
		RADAVI_alert("The installer is not able to write to the required path:", path,
		             "You may be able to correct the file permissions using your computer's file browser.", "",
		             alert_mode_warning);
	return false;
}
