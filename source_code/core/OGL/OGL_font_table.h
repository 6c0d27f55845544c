#pragma once
// The fixed fonts of the interface and the text styles built on them.
#include "core/OGL/OGL_font.h"

enum gui_font_type {
	font_std = 0,
	font_bold = 1,
	font_banner = 2,
	font_roboto_12 = 3,
	font_roboto_13 = 4,
	font_roboto_14 = 5,
	font_roboto_16 = 6,
	font_roboto_18 = 7,
	font_roboto_24 = 8,
	font_roboto_condensed_13 = 9,
	font_roboto_condensed_18 = 10,
	font_roboto_condensed_24 = 11,
	font_roboto_light_12 = 12,
	font_roboto_light_24 = 13,
	font_roboto_bold_13 = 14,
	font_roboto_bold_14 = 15,
	font_type_count = 16
};

// Made on first request at the window manager's backing scale and kept for the life of the
// program; null for any other type.
OGL_font* font_from_enum(gui_font_type type);

// Styles 0..50 (see font_style_from_enum); the numbers are what screens pass around.
enum gui_font_style : int { font_style_count = 51 };

struct gui_font_style_info {
	int main_font_type = -1;  // -1: none
	int main_color = 72;
	int underlay_color = 72;
	float underlay_alpha = 1.0f;
	int underlay_font_type = -1;
	int main_color2 = 72;      // second channel of the main font
	int underlay_color2 = 72;  // second channel of the underlay font
	float underlay_dx = 0, underlay_dy = 0;

	OGL_font* get_main_font() const;
	OGL_font* get_underlay_font() const;

private:
	mutable bool main_looked_ = false, underlay_looked_ = false;
	mutable OGL_font* main_ = nullptr;
	mutable OGL_font* underlay_ = nullptr;
};

// Fills the style; a style above 50 has no font and colour 72.
void font_style_from_enum(gui_font_style style, gui_font_style_info* out);
