#pragma once
// Start-up placement: the window-positions preference file (read only), the monitors'
// usable modes, and creating the windows.
#include <string>
#include <vector>

#include "core/platform/wmgr_projection.h"

class scan_class;

// One window entry of the file. Fields missing from the file keep these starting values; mode
// and usage start outside their tables.
struct skyvane_window_prefs {
	int m_window_idx = -1;
	int m_monitor = -1;
	int m_window_bounds[4] = {0, 0, 0, 0};
	int m_arbitrary_bounds[4] = {0, 0, 0, 0};
	int m_bpp = -1;
	int m_refresh_rate = 0;
	int m_x_res_full = 0;
	int m_y_res_full = 0;
	int m_is_fullscreen = -1;  // wmgr_mode
	int m_usage = -1;          // wmgr_usage
	void* hint = nullptr;
};

enum IO_mode { IO_read = 0, IO_write = 1 };

// Moves one entry's keys under the current prefix (the Installer only reads).
void io_single_skyvane_window(scan_class& s, skyvane_window_prefs* prefs, projection_params* proj, IO_mode mode);

// The file's entries (with their projection settings) whose monitor exists.
struct wmgr_saved_window {
	skyvane_window_prefs prefs;
	projection_params proj;
};
std::vector<wmgr_saved_window> wmgr_read_window_positions(const std::string& path, int monitor_count);

// "Output/preferences/Skyvane Window Positions.prf", relative to the working folder (the
// Installer's application folder is empty), unless a path was set; empty restores it.
std::string wmgr_positions_path();
void wmgr_set_positions_path(const std::string& path);

// The start-up scale: the system's scale when it is 1.5 or 2 and the monitor is more than 5%
// larger than 800 x 600 at that scale, else 1.
float wmgr_startup_scale(int monitor_width, int monitor_height, float os_scale);

// The windows at start-up.
void wmgr_initialize_from_prefs();

struct monitor_res_struct {
	int width = 0, height = 0, bpp = 0, refresh = 0;
	std::string label;
};
std::vector<monitor_res_struct> RADAVI_find_usable_monitor_modes(int monitor);
// The same filter over a list of modes (width, height, bpp, refresh).
std::vector<monitor_res_struct> wmgr_usable_modes_of(const std::vector<monitor_res_struct>& modes);

// Restores an entry's full-screen resolution on its monitor when it differs from the current.
void attempt_restore_custom_screen_res(const skyvane_window_prefs& entry, int monitor);

// The render settings the window manager starts from.
extern int s_use_vsync;
extern int s_reno_alias_req;
void RADAVI_get_prefs_for_current_config(int* use_vsync, int* alias_req);

// 0 does nothing; otherwise the platform, the application delegate and the windows.
void RADAVI_setres(int on);
