#include "app/Installer-f/shell/RADAVI_loop.h"

#include <chrono>
#include <memory>
#include <thread>

#include "core/platform/WIN_app.h"
#include "core/platform/WIN_mount_watch.h"
#include "core/thread/UTL_runloop.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/app_clock.h"

namespace {
APP_frame_fn g_frame_work = nullptr;
APP_sleep_fn g_sleep = nullptr;
bool g_modal_alert_up = false;

void real_sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

WIN_mount_watch* mount_watch()
{
	static std::unique_ptr<WIN_mount_watch> watch(new WIN_mount_watch());
	return watch.get();
}
}  // namespace

int APP_frame_sleep_ms(double last_frame)
{
	if (last_frame >= 0.03)
		return 0;
	if (last_frame < 0)
		last_frame = 0;
	return static_cast<int>((0.033 - last_frame) * 1000.0);
}

void APP_set_frame_work(APP_frame_fn fn) { g_frame_work = fn; }
void APP_set_sleep(APP_sleep_fn fn) { g_sleep = fn; }
void RADAVI_set_modal_alert_up(bool up) { g_modal_alert_up = up; }

void APP_update()
{
	int ms = APP_frame_sleep_ms(xtim.frame_time);
	if (ms > 0)
		(g_sleep ? g_sleep : real_sleep)(ms);
	if (g_frame_work)
		g_frame_work();
}

int RADAVI_pre_event_proc()
{
	// Without a window there is no platform event loop to hear of mounts; the watch tells us.
	WIN_mount_watch* w = mount_watch();
	if (w->is_open() && w->poll_new_mount())
		g_new_disc_flag = 1;
	return 0;
}

int RADAVI_post_event_proc()
{
	app_clock_advance();
	if (!g_modal_alert_up)
		APP_update();
	UTL_runloop_run_frame();
	return 0;
}

void RADAVI_event_proc_once()
{
	RADAVI_pre_event_proc();
	RADAVI_post_event_proc();
}

void RADAVI_run_loop_without_window()
{
	while (!sim_is_done)
		RADAVI_event_proc_once();
}
