#include "core/platform/WIN_cursor.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
int s_cursor_hidden_count = 0;
SDL_Cursor* s_arrow = nullptr;

const char* const kCursorNames[] = {
	"mc_default", "mc_plugin", "mc_hidden",
	"mc_rot1", "mc_rot1_lft", "mc_rot1_rgt",
	"mc_rot2", "mc_rot2_lft", "mc_rot2_rgt",
	"mc_rot3", "mc_rot3_lft", "mc_rot3_rgt",
	"mc_up_dn", "mc_dn", "mc_up", "mc_lft_rgt", "mc_lft", "mc_rgt",
	"mc_button", "mc_handle", "mc_butn_up", "mc_butn_dn", "mc_four_arrows", "mc_splitter_h", "mc_splitter_v",
};

void apply_visibility()
{
	if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(s_cursor_hidden_count == 0 ? SDL_ENABLE : SDL_DISABLE);
}
}  // namespace

const char* mouse_cursor_to_string(int type)
{
	if (type < 0 || type > mc_splitter_v) return kCursorNames[0];
	return kCursorNames[type];
}

WIN_cursor_handle WIN_create_custom_cursor(int width, int height, int row_padding, const unsigned char* pixels,
                                           int hot_x, int hot_y)
{
	SDL_Cursor* cursor = nullptr;
	if (pixels && width > 0 && height > 0 && row_padding >= 0 && SDL_WasInit(SDL_INIT_VIDEO)) {
		// Our rows run bottom-up; the cursor image runs top-down.
		const size_t src_stride = static_cast<size_t>(width) * 4 + static_cast<size_t>(row_padding);
		const size_t dst_stride = static_cast<size_t>(width) * 4;
		std::vector<unsigned char> top_down(dst_stride * static_cast<size_t>(height));
		for (int row = 0; row < height; ++row)
			std::memcpy(&top_down[dst_stride * row], pixels + src_stride * (height - 1 - row), dst_stride);
		SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(top_down.data(), width, height, 32,
		                                                    static_cast<int>(dst_stride), SDL_PIXELFORMAT_RGBA32);
		if (s) {
			int hx = hot_x < 0 ? 0 : (hot_x >= width ? width - 1 : hot_x);
			int hy = height - hot_y;
			hy = hy < 0 ? 0 : (hy >= height ? height - 1 : hy);
			cursor = SDL_CreateColorCursor(s, hx, hy);
			SDL_FreeSurface(s);
		}
	}
	if (!cursor) {
		printf("ERROR: couldn't load cursor image\n");
		fflush(stdout);
	}
	return cursor;
}

void WIN_destroy_custom_cursor(WIN_cursor_handle) {}

void WIN_set_cursor_custom(WIN_cursor_handle handle)
{
	if (handle) SDL_SetCursor(static_cast<SDL_Cursor*>(handle));
}

void WIN_set_cursor_to_arrow()
{
	if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
	if (!s_arrow) s_arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
	if (s_arrow) SDL_SetCursor(s_arrow);
}

void WIN_hide_cursor()
{
	++s_cursor_hidden_count;
	apply_visibility();
}

void WIN_show_cursor()
{
	--s_cursor_hidden_count;
	apply_visibility();
}

bool WIN_cursor_is_visible() { return s_cursor_hidden_count == 0; }
