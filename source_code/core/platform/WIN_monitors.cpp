#include "core/platform/WIN_monitors.h"

#include <SDL2/SDL.h>

#include "core/ui/log.h"

namespace {

bool video_up() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

int display_for(int index)
{
	const int n = video_up() ? SDL_GetNumVideoDisplays() : 0;
	return (index >= 0 && index < n) ? index : 0;
}

}  // namespace

int WIN_depth_of_pixel_format(uint32_t f)
{
	switch (f) {
	case SDL_PIXELFORMAT_ARGB2101010:
		return 30;
	case SDL_PIXELFORMAT_RGB888: case SDL_PIXELFORMAT_BGR888: case SDL_PIXELFORMAT_RGBX8888:
	case SDL_PIXELFORMAT_BGRX8888: case SDL_PIXELFORMAT_ARGB8888: case SDL_PIXELFORMAT_RGBA8888:
	case SDL_PIXELFORMAT_ABGR8888: case SDL_PIXELFORMAT_BGRA8888: case SDL_PIXELFORMAT_RGB24:
	case SDL_PIXELFORMAT_BGR24:
		return 32;
	case SDL_PIXELFORMAT_RGB555: case SDL_PIXELFORMAT_BGR555: case SDL_PIXELFORMAT_ARGB1555:
	case SDL_PIXELFORMAT_RGBA5551: case SDL_PIXELFORMAT_ABGR1555: case SDL_PIXELFORMAT_BGRA5551:
	case SDL_PIXELFORMAT_RGB565: case SDL_PIXELFORMAT_BGR565:
		return 16;
	case SDL_PIXELFORMAT_INDEX8:
		return 8;
	default:
		return 0;
	}
}

int UTL_count_monitors()
{
	const int n = video_up() ? SDL_GetNumVideoDisplays() : 0;
	return n > 0 ? n : 1;
}

void UTL_get_monitor_res(int index, int* left, int* top, int* width, int* height, int* depth, int* refresh)
{
	SDL_Rect r{0, 0, 0, 0};
	SDL_DisplayMode m{};
	if (video_up()) {
		const int d = display_for(index);
		SDL_GetDisplayBounds(d, &r);
		if (SDL_GetCurrentDisplayMode(d, &m) != 0) m = SDL_DisplayMode{};
	}
	if (left) *left = r.x;
	if (top) *top = r.y;
	if (width) *width = r.w;
	if (height) *height = r.h;
	if (depth) *depth = WIN_depth_of_pixel_format(m.format);
	if (refresh) *refresh = m.refresh_rate;
}

void UTL_get_all_monitor_modes(int index, void (*callback)(int, int, int, int, void*), void* ref)
{
	if (!callback || !video_up()) return;
	const int d = display_for(index);
	const int n = SDL_GetNumDisplayModes(d);
	for (int i = 0; i < n; ++i) {
		SDL_DisplayMode m;
		if (SDL_GetDisplayMode(d, i, &m) == 0) callback(m.w, m.h, WIN_depth_of_pixel_format(m.format), m.refresh_rate, ref);
	}
}

int UTL_set_monitor_res(int index, int width, int height, int depth, int refresh)
{
	if (!video_up()) return 0;
	const int d = display_for(index);
	const int n = SDL_GetNumDisplayModes(d);
	int found = -1;
	SDL_DisplayMode want{};
	for (int i = 0; i < n; ++i) {
		SDL_DisplayMode m;
		if (SDL_GetDisplayMode(d, i, &m) != 0) continue;
		if (m.w == width && m.h == height && WIN_depth_of_pixel_format(m.format) == depth && m.refresh_rate == refresh) {
			found = i;
			want = m;
		}
	}
	if (found < 0) return 0;
	SDL_DisplayMode cur;
	if (SDL_GetDesktopDisplayMode(d, &cur) == 0 && cur.w == want.w && cur.h == want.h && cur.format == want.format &&
	    cur.refresh_rate == want.refresh_rate)
		return 1;
	// SDL switches modes only for a window in exclusive full screen, never for the desktop
	// as a whole; the display keeps its mode.
	skyvane_log_write(log_error, "OGL", "Could not set display mode: %d", -1);
	return 0;
}
