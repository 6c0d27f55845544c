#include "core/ui/RADAVI_shell.h"

#include <vector>

#include "core/thread/THREAD_kit.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/log.h"
#include "core/ui/pref_class.h"

bool sim_is_done = false;

namespace {
std::vector<RADAVI_teardown_fn>& teardowns()
{
	static std::vector<RADAVI_teardown_fn> list;
	return list;
}
bool g_finished = false;
}  // namespace

void RADAVI_add_teardown(RADAVI_teardown_fn fn) { teardowns().push_back(fn); }

void RADAVI_finishup(int full)
{
	// Launching the simulator and the end of main may both get here; shut down once.
	if (g_finished)
		return;
	g_finished = true;
	if (full) {
		if (!cmdline.no_alerts())
			pref_class::IO_set(pref_type_installer, 1);
		if (THREAD_is_inited())
			THREAD_shutdown();
	}
	auto& list = teardowns();
	for (auto it = list.rbegin(); it != list.rend(); ++it)
		(*it)();
	skyvane_dump_log_to_disk();
	skyvane_log_close();
}
