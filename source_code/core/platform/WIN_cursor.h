#pragma once
// Mouse cursors: the system arrow, custom images and a hide counter.

enum mouse_cursor_type {
	mc_default = 0, mc_plugin, mc_hidden,
	mc_rot1, mc_rot1_lft, mc_rot1_rgt,
	mc_rot2, mc_rot2_lft, mc_rot2_rgt,
	mc_rot3, mc_rot3_lft, mc_rot3_rgt,
	mc_up_dn, mc_dn, mc_up, mc_lft_rgt, mc_lft, mc_rgt,
	mc_button, mc_handle, mc_butn_up, mc_butn_dn, mc_four_arrows, mc_splitter_h, mc_splitter_v
};

// The type's name; "mc_default" for a value outside the enumeration.
const char* mouse_cursor_to_string(int type);

typedef void* WIN_cursor_handle;

// pixels: 8-bit RGBA, bottom row first, each row width * 4 + row_padding bytes; the hot spot
// is (hot_x, height - hot_y) from the top-left. null (and a line on standard output) when the
// image cannot be made.
WIN_cursor_handle WIN_create_custom_cursor(int width, int height, int row_padding, const unsigned char* pixels,
                                           int hot_x, int hot_y);
// Cursors live until exit.
void WIN_destroy_custom_cursor(WIN_cursor_handle handle);
// null leaves the cursor as it is.
void WIN_set_cursor_custom(WIN_cursor_handle handle);
void WIN_set_cursor_to_arrow();

// Hide increments a counter and show decrements it; the cursor shows exactly when it is 0.
void WIN_hide_cursor();
void WIN_show_cursor();
bool WIN_cursor_is_visible();
