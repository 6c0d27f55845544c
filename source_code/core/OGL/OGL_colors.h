#pragma once
// The colour table: an RGB triple (floats 0..1) per colour enum. Enums below 38 are panel
// colours, scaled by the panel brightness; in monochrome mode every other enum is drawn as
// green of brightness r + g + b (clamped to 0.01 .. 1).

enum { ogl_color_count = 128 };

// Colour enums the toolkit names.
enum {
	color_yellow = 8,
	color_edit_cursor = 49,
	color_dark_text = 53,
	color_grey_text = 55,
	color_red = 65,
	color_white = 72,
	color_black = 96
};

// The colour of an enum as drawn, with the brightness and monochrome settings applied.
// Out-of-range enums are black.
void OGL_get_color(int color, float rgb[3]);
// The stored entry, as set.
void OGL_get_color_raw(int color, float rgb[3]);
void OGL_set_color_rgb(int color, float r, float g, float b);
void OGL_set_panel_brightness(float r, float g, float b);
void OGL_set_monochrome(bool on);
bool OGL_get_monochrome();
