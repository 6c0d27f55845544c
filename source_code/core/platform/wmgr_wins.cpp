#include "core/platform/wmgr_wins.h"
#include "core/platform/wmgr_hooks.h"
#include "core/platform/wmgr_input_record.h"
#include "core/platform/wmgr_window.h"

#include <algorithm>
#include <cmath>

wins_class wins;

namespace {
// Half away from zero, as the offsets are specified.
int round_half_away(double v) { return static_cast<int>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5)); }
}  // namespace

bool wins_class::is_modal() const
{
	const wmgr_toolkit_hooks& t = wmgr_toolkit();
	if (t.in_modal_alert_frame && t.in_modal_alert_frame()) return true;
	return number >= 991 && number <= 1007;
}

void wins_class::start_win(int n, int loop_state)
{
	const wmgr_toolkit_hooks& t = wmgr_toolkit();
	if (n != 994 && t.set_root_for_window_number) t.set_root_for_window_number(n, loop_state);
	if (t.begin_focus_frame) t.begin_focus_frame();
	const wmgr_render_hooks& r = wmgr_render();
	if (r.set_projection) r.set_projection(proj[0], proj[1], proj[2], proj[3], win_width, win_height);

	const int W = win_width, H = win_height;
	if (n == -1) {
		logical_width = 1024, logical_height = 768;
	} else if (n == 994) {
		logical_width = 420, logical_height = 260;
	} else {
		logical_width = W, logical_height = H;
	}
	number = n;
	// A window between two and three times as wide as high is taken to span two screens;
	// the area is centred on the first.
	const double w_prime = (2 * H < W && W < 3 * H) ? W / 2.0 : W;
	offset_x = std::max(0, round_half_away((w_prime - logical_width) / 2.0));
	offset_y = std::max(0, round_half_away((H - logical_height) / 2.0));
}

bool can_zap()
{
	const int n = wins.number;
	if (n == 0) return false;
	if (n >= 994 && n <= 997) return false;
	if (n >= 999 && n <= 1006) return false;
	return true;
}

void RADAVI_close_win()
{
	const wmgr_toolkit_hooks& t = wmgr_toolkit();
	if (t.clear_focus_boxes) t.clear_focus_boxes();
	if (skyvane_window* main = wmgr_get_main_window()) WIN_ogl_window_swap(main->platform_window);
	mnw.return_pressed = 0;
	wins.start_win(0, wmgr_loop_none);
}

void clear_win_xy() { wins.offset_x = wins.offset_y = 0; }

void OGL_pix_specs()
{
	wins.scale_x = wins.scale_y = 1;
	wins.proj[0] = 0;
	wins.proj[1] = 0;
	wins.proj[2] = static_cast<float>(wins.win_width);
	wins.proj[3] = static_cast<float>(wins.win_height);
	const wmgr_render_hooks& r = wmgr_render();
	if (wins.number >= 0 && r.set_projection)
		r.set_projection(wins.proj[0], wins.proj[1], wins.proj[2], wins.proj[3], wins.win_width, wins.win_height);
}
