// Start-up placement of the windows from the window-positions file and the monitors.
#include "core/platform/wmgr_positions.h"
#include "core/platform/WIN_app.h"
#include "core/platform/WIN_keys.h"
#include "core/platform/WIN_monitors.h"
#include "core/platform/WIN_window.h"
#include "core/platform/keys_class.h"
#include "core/platform/wmgr_hooks.h"
#include "core/platform/wmgr_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/ui/UTL_commands.h"
#include "core/ui/scan_class.h"

int s_use_vsync = 1;
int s_reno_alias_req = 0;

namespace {

std::string s_positions_path;

const enum_pair_t kModeNames[] = {
	{"wmgr_mode_window", wmgr_mode_window},
	{"wmgr_mode_fullscreen", wmgr_mode_fullscreen},
	{"wmgr_mode_arbitrary", wmgr_mode_arbitrary},
};
const enum_pair_t kUsageNames[] = {
	{"wmgr_usage_normal_visuals", wmgr_usage_normal_visuals},
	{"wmgr_usage_panel_only", wmgr_usage_panel_only},
	{"wmgr_usage_ios", wmgr_usage_ios},
	{"wmgr_usage_misc_popout", wmgr_usage_misc_popout},
};

// No saved grid is believed beyond this many rows or columns.
constexpr int kMaxGridDim = 64;

bool grid_has_values(const std::vector<std::vector<float>>& g)
{
	for (const auto& row : g)
		for (float v : row)
			if (std::fabs(v) >= 0.01f) return true;
	return false;
}

void io_grid(scan_class& s, std::vector<std::vector<float>>& grid, const projection_params& p, const char* name)
{
	if (s.is_read()) {
		const int rows = std::clamp(p.grid_os_vert_dim_i, 0, kMaxGridDim);
		const int cols = std::clamp(p.grid_os_vert_dim_j, 0, kMaxGridDim);
		grid.assign(rows, std::vector<float>(cols, 0.0f));
	} else if (!grid_has_values(grid)) {
		return;
	}
	s.push_prefix(name);
	for (size_t r = 0; r < grid.size(); ++r) s.vector_io(grid[r], std::to_string(r));
	s.pop_prefix();
}

void io_projection(scan_class& s, projection_params* p)
{
	s.int_io(&p->diff_FOV, "diff_FOV");
	s.dob_io(&p->FOVx_renopt, "FOVx_renopt");
	s.dob_io(&p->FOVy_renopt, "FOVy_renopt");
	s.dob_io(&p->os_x_rat, "os_x_rat");
	s.dob_io(&p->os_y_rat, "os_y_rat");
	s.dob_io(&p->off_vrt_deg, "off_vrt_deg");
	s.dob_io(&p->off_lat_deg, "off_lat_deg");
	s.dob_io(&p->off_phi_deg, "off_phi_deg");
	s.int_io(&p->window_2d_off, "window_2d_off");
	s.int_io(&p->grid_os_on_test, "grid_os_on_test");
	s.int_io(&p->grid_os_on_render, "grid_os_on_render");
	s.int_io(&p->grid_os_drag_dim_i, "grid_os_drag_dim_i");
	s.int_io(&p->grid_os_drag_dim_j, "grid_os_drag_dim_j");
	s.int_io(&p->grid_os_step_dim_i, "grid_os_step_dim_i");
	s.int_io(&p->grid_os_step_dim_j, "grid_os_step_dim_j");
	s.int_io(&p->grid_os_vert_dim_i, "grid_os_vert_dim_i");
	s.int_io(&p->grid_os_vert_dim_j, "grid_os_vert_dim_j");
	s.int_io(&p->grid_os_drag_now_i, "grid_os_drag_now_i");
	s.int_io(&p->grid_os_drag_now_j, "grid_os_drag_now_j");
	io_grid(s, p->grid_os_x, *p, "grid_os_x");
	io_grid(s, p->grid_os_y, *p, "grid_os_y");
	s.int_io(&p->gradient_on, "gradient_on");
	s.array_io(p->gradient_width_top, 2, "gradient_width_top");
	s.array_io(p->gradient_width_ctr, 2, "gradient_width_ctr");
	s.array_io(p->gradient_width_bot, 2, "gradient_width_bot");
	s.push_prefix("gradient_alpha");
	s.array_io(p->gradient_alpha[0], 4, "0");
	s.array_io(p->gradient_alpha[1], 4, "1");
	s.pop_prefix();
}

void add_chrome(int r[4]) { WIN_ogl_window_calc_add_os_chrome(r, win_style_resizable); }
void remove_chrome(int r[4]) { WIN_ogl_window_calc_remove_os_chrome(r, win_style_resizable); }

struct monitor_box {
	int l, t, w, h;
};

std::vector<monitor_box> all_monitors()
{
	std::vector<monitor_box> v;
	const int n = UTL_count_monitors();
	for (int i = 0; i < n; ++i) {
		monitor_box m{};
		UTL_get_monitor_res(i, &m.l, &m.t, &m.w, &m.h, nullptr, nullptr);
		v.push_back(m);
	}
	return v;
}

// Every edge must lie within the horizontal (left, right) or vertical (top, bottom) extent of
// some monitor.
bool edges_on_monitors(const int r[4], const std::vector<monitor_box>& mons)
{
	auto in_x = [&](int x) {
		for (const monitor_box& m : mons)
			if (x >= m.l && x <= m.l + m.w) return true;
		return false;
	};
	auto in_y = [&](int y) {
		for (const monitor_box& m : mons)
			if (y >= m.t && y <= m.t + m.h) return true;
		return false;
	};
	return in_x(r[0]) && in_x(r[2]) && in_y(r[1]) && in_y(r[3]);
}

void dispatch_quit(skyvane_window*, void*)
{
	const int quit = UTL_command_find("sim/operation/quit");
	keys_send_command(quit, key_cmnd_press);
	keys_send_command(quit, key_cmnd_release);
}

}  // namespace

void io_single_skyvane_window(scan_class& s, skyvane_window_prefs* e, projection_params* proj, IO_mode)
{
	s.int_io(&e->m_window_idx, "m_window_idx");
	s.int_io(&e->m_monitor, "m_monitor");
	s.array_io(e->m_window_bounds, 4, "m_window_bounds");
	s.array_io(e->m_arbitrary_bounds, 4, "m_arbitrary_bounds");
	s.int_io(&e->m_bpp, "m_bpp");
	s.int_io(&e->m_refresh_rate, "m_refresh_rate");
	s.int_io(&e->m_x_res_full, "m_x_res_full");
	s.int_io(&e->m_y_res_full, "m_y_res_full");
	s.enum_io(&e->m_is_fullscreen, kModeNames, 3, "m_is_fullscreen");
	s.enum_io(&e->m_usage, kUsageNames, 4, "m_usage");
	s.push_prefix("proj");
	io_projection(s, proj);
	s.pop_prefix();
}

std::vector<wmgr_saved_window> wmgr_read_window_positions(const std::string& path, int monitor_count)
{
	std::vector<wmgr_saved_window> out;
	scan_class s(path, scan_class::mode_read, false);
	int count = 0;
	s.int_io(&count, "num_monitors");
	// A count no machine has would only make us loop; entries beyond it are not read.
	count = std::clamp(count, 0, 64);
	for (int i = 0; i < count; ++i) {
		wmgr_saved_window w;
		s.push_prefix("monitor");
		s.push_prefix(i);
		io_single_skyvane_window(s, &w.prefs, &w.proj, IO_read);
		s.pop_prefix();
		s.pop_prefix();
		if (w.prefs.m_monitor >= 0 && w.prefs.m_monitor < monitor_count) out.push_back(w);
	}
	return out;
}

std::string wmgr_positions_path()
{
	return s_positions_path.empty() ? std::string("Output/preferences/Skyvane Window Positions.prf") : s_positions_path;
}
void wmgr_set_positions_path(const std::string& path) { s_positions_path = path; }

float wmgr_startup_scale(int W, int H, float q)
{
	if ((q == 1.5f || q == 2.0f) && W > 800 * 1.05 * q && H > 600 * 1.05 * q) return q;
	return 1.0f;
}

std::vector<monitor_res_struct> wmgr_usable_modes_of(const std::vector<monitor_res_struct>& modes)
{
	std::vector<monitor_res_struct> out;
	monitor_res_struct def;
	def.label = wmgr_translate("Default Monitor Settings");
	out.push_back(def);
	static const int kRefresh[] = {0, 60, 70, 72, 75, 80, 85, 90, 100, 140};
	for (const monitor_res_struct& m : modes) {
		if (m.width < 800 || m.height < 720 || m.bpp != 32) continue;
		if (std::find(std::begin(kRefresh), std::end(kRefresh), m.refresh) == std::end(kRefresh)) continue;
		char label[96];
		if (m.refresh < 2)
			snprintf(label, sizeof label, "%d\xC3\x97%d, %d bit", m.width, m.height, m.bpp);
		else
			snprintf(label, sizeof label, "%d\xC3\x97%d, %d bit (%d hz)", m.width, m.height, m.bpp, m.refresh);
		bool dup = false;
		for (const monitor_res_struct& o : out)
			if (o.label == label) dup = true;
		if (dup) continue;
		monitor_res_struct row = m;
		row.label = label;
		out.push_back(row);
	}
	return out;
}

std::vector<monitor_res_struct> RADAVI_find_usable_monitor_modes(int monitor)
{
	std::vector<monitor_res_struct> all;
	UTL_get_all_monitor_modes(
	    monitor,
	    [](int w, int h, int d, int r, void* ref) {
		    monitor_res_struct m;
		    m.width = w, m.height = h, m.bpp = d, m.refresh = r;
		    static_cast<std::vector<monitor_res_struct>*>(ref)->push_back(m);
	    },
	    &all);
	return wmgr_usable_modes_of(all);
}

void attempt_restore_custom_screen_res(const skyvane_window_prefs& e, int monitor)
{
	if (e.m_is_fullscreen != wmgr_mode_fullscreen) return;
	int w = 0, h = 0;
	UTL_get_monitor_res(monitor, nullptr, nullptr, &w, &h, nullptr, nullptr);
	if (e.m_x_res_full == w && e.m_y_res_full == h) return;
	if (e.m_x_res_full <= 0 || e.m_y_res_full <= 0) return;  // nothing was requested
	const std::vector<monitor_res_struct> modes = RADAVI_find_usable_monitor_modes(monitor);
	const monitor_res_struct* pick = nullptr;
	for (size_t i = 1; i < modes.size() && !pick; ++i)
		if (modes[i].width == e.m_x_res_full && modes[i].height == e.m_y_res_full &&
		    modes[i].refresh == e.m_refresh_rate && modes[i].bpp == e.m_bpp)
			pick = &modes[i];
	for (size_t i = 1; i < modes.size() && !pick; ++i)
		if (modes[i].width == e.m_x_res_full && modes[i].height == e.m_y_res_full) pick = &modes[i];
	if (pick) UTL_set_monitor_res(monitor, pick->width, pick->height, pick->bpp, pick->refresh);
}

void wmgr_initialize_from_prefs()
{
	const int monitors = UTL_count_monitors();
	std::vector<wmgr_saved_window> entries = wmgr_read_window_positions(wmgr_positions_path(), monitors);
	if (keys.has_shift_key()) entries.clear();

	int W = 0, H = 0;
	UTL_get_monitor_res(0, nullptr, nullptr, &W, &H, nullptr, nullptr);
	const float q = wmgr_startup_scale(W, H, WIN_get_os_dpi_scale());

	if (entries.empty()) {
		wmgr_saved_window d;
		d.prefs.m_window_idx = 0;
		const int cw = static_cast<int>(800 * q), ch = static_cast<int>(600 * q);
		const int l = static_cast<int>((W - 800 * q) / 2), t = static_cast<int>((H - 600 * q) / 2);
		const int b[4] = {l, t, l + cw, t + ch};
		std::copy(b, b + 4, d.prefs.m_window_bounds);
		std::copy(b, b + 4, d.prefs.m_arbitrary_bounds);
		d.prefs.m_monitor = 0;
		d.prefs.m_is_fullscreen = wmgr_mode_window;
		d.prefs.m_usage = wmgr_usage_normal_visuals;
		d.prefs.m_bpp = 32;
		d.prefs.m_refresh_rate = 0;
		entries.push_back(d);
	}

	const std::vector<monitor_box> mons = all_monitors();
	for (wmgr_saved_window& sw : entries) {
		skyvane_window_prefs& e = sw.prefs;
		// Names the file did not have (or that no table knows) mean an ordinary window.
		if (e.m_is_fullscreen < wmgr_mode_window || e.m_is_fullscreen > wmgr_mode_arbitrary)
			e.m_is_fullscreen = wmgr_mode_window;
		if (e.m_usage < wmgr_usage_normal_visuals || e.m_usage > wmgr_usage_misc_popout)
			e.m_usage = wmgr_usage_normal_visuals;

		attempt_restore_custom_screen_res(e, e.m_monitor);
		if (e.m_is_fullscreen != wmgr_mode_fullscreen) {
			add_chrome(e.m_window_bounds);
			if (!edges_on_monitors(e.m_window_bounds, mons)) {
				int r[4] = {0, 0, 800, 600};
				add_chrome(r);
				std::copy(r, r + 4, e.m_window_bounds);
				const monitor_box& m0 = mons.front();
				if (r[2] - r[0] > m0.w || r[3] - r[1] > m0.h) {
					e.m_is_fullscreen = wmgr_mode_fullscreen;
					if (m0.w < 800 || m0.h < 600) {
						e.m_x_res_full = 800, e.m_y_res_full = 600;
						attempt_restore_custom_screen_res(e, e.m_monitor);
					} else {
						e.m_x_res_full = e.m_y_res_full = 0;
					}
				}
			}
			remove_chrome(e.m_window_bounds);
		}

		const wmgr_mode mode = static_cast<wmgr_mode>(e.m_is_fullscreen);
		const int* b = mode == wmgr_mode_arbitrary ? e.m_arbitrary_bounds : e.m_window_bounds;
		skyvane_window* w = wmgr_create_new_window(mode, static_cast<wmgr_usage>(e.m_usage), b, e.m_monitor, e.hint, 0,
		                                           800, 600, 0);
		if (!w) continue;
		if (mode != wmgr_mode_window && !std::equal(w->windowed_bounds, w->windowed_bounds + 4, e.m_window_bounds))
			std::copy(e.m_window_bounds, e.m_window_bounds + 4, w->windowed_bounds);
		if (mode != wmgr_mode_arbitrary &&
		    !std::equal(w->arbitrary_bounds, w->arbitrary_bounds + 4, e.m_arbitrary_bounds))
			std::copy(e.m_arbitrary_bounds, e.m_arbitrary_bounds + 4, w->arbitrary_bounds);
		g_window_projection_params[w] = sw.proj;
		wmgr_window_set_close_handler(w, dispatch_quit, nullptr);
	}

	wmgr_set_backing_scale(q);
}

void RADAVI_get_prefs_for_current_config(int* use_vsync, int* alias_req)
{
	if (use_vsync) *use_vsync = s_use_vsync;
	if (alias_req) *alias_req = s_reno_alias_req;
}

void RADAVI_setres(int on)
{
	if (!on) return;
	WIN_initialize(s_reno_alias_req);
	WIN_set_app_deleate(WIN_default_app_delegate());
	// The first window created becomes the current one.
	wmgr_initialize_from_prefs();
}
