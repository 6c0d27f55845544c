#include "core/OGL/OGL_font_table.h"

#include "core/platform/wmgr_window.h"

namespace {

struct font_row {
	const char* var;  // the table's variable name, for the log
	const char* path;
	float size;
	OGL_font::char_range_t range;
	font_fx_type fx;
	float ratio;
};

const font_row k_fonts[font_type_count] = {
	{"s_Font_std", "RESOURCE:DejaVuSans.ttf", 10.5f, OGL_font::range_full, fx_solid, 0},
	{"s_Font_bold", "RESOURCE:DejaVuSansBold.ttf", 10.5f, OGL_font::range_full, fx_solid, 0},
	{"s_Font_Banner", "RESOURCE:Roboto-Regular.ttf", 42, OGL_font::range_ascii, fx_outline, 0.01f},
	{"s_Font_Roboto12", "RESOURCE:Roboto-Regular.ttf", 12, OGL_font::range_full, fx_solid, 0},
	{"s_Font_Roboto13", "RESOURCE:Roboto-Regular.ttf", 13, OGL_font::range_full, fx_solid, 0},
	{"s_Font_Roboto14", "RESOURCE:Roboto-Regular.ttf", 14, OGL_font::range_full, fx_solid, 0},
	{"s_Font_Roboto16", "RESOURCE:Roboto-Regular.ttf", 16, OGL_font::range_full, fx_solid, 0},
	{"s_Font_Roboto18", "RESOURCE:Roboto-Regular.ttf", 18, OGL_font::range_full, fx_solid, 0},
	{"s_Font_Roboto24", "RESOURCE:Roboto-Regular.ttf", 24, OGL_font::range_full, fx_solid, 0},
	{"s_Font_RobotoCondensed13", "RESOURCE:RobotoCondensed-Regular.ttf", 13, OGL_font::range_full, fx_solid, 0},
	{"s_Font_RobotoCondensed18", "RESOURCE:RobotoCondensed-Regular.ttf", 18, OGL_font::range_full, fx_solid, 0},
	{"s_Font_RobotoCondensed24", "RESOURCE:RobotoCondensed-Regular.ttf", 24, OGL_font::range_full, fx_solid, 0},
	{"s_Font_RobotoLight12", "RESOURCE:Roboto-Light.ttf", 12, OGL_font::range_full, fx_solid, 0},
	{"s_Font_RobotoLight24", "RESOURCE:Roboto-Light.ttf", 24, OGL_font::range_full, fx_solid, 0},
	{"s_Font_RobotoBold13", "RESOURCE:Roboto-Bold.ttf", 13, OGL_font::range_full, fx_solid, 0},
	{"s_Font_RobotoBold14", "RESOURCE:Roboto-Bold.ttf", 14, OGL_font::range_full, fx_solid, 0},
};

const char* const k_fallback_face = "RESOURCE:TT_NewRodin-B.TTF";

OGL_font* s_fonts[font_type_count] = {};

// Main font type and colour of styles 0..50.
const int k_styles[font_style_count][2] = {
	{0, 72}, {0, 96}, {5, 53}, {5, 72}, {5, 65}, {5, 72}, {5, 55}, {5, 55}, {3, 55}, {3, 65}, {3, 72},
	{6, 55}, {6, 55}, {3, 72}, {3, 55}, {3, 55}, {3, 72}, {11, 72}, {10, 72}, {13, 72}, {12, 72}, {8, 72},
	{5, 55}, {7, 72}, {3, 55}, {15, 55}, {15, 72}, {15, 55}, {14, 55}, {10, 72}, {10, 55}, {5, 72}, {5, 72},
	{5, 72}, {7, 72}, {5, 72}, {3, 72}, {5, 55}, {5, 72}, {5, 55}, {5, 55}, {5, 72}, {4, 72}, {6, 72},
	{6, 53}, {6, 72}, {6, 53}, {3, 53}, {5, 72}, {7, 72}, {2, 72},
};

}  // namespace

OGL_font* font_from_enum(gui_font_type type)
{
	if (type < 0 || type >= font_type_count)
		return nullptr;
	if (!s_fonts[type]) {
		const font_row& r = k_fonts[type];
		OGL_font* f = new OGL_font(r.range);
		const float scale = wmgr_get_backing_scale();
		f->clear(r.path, r.fx, r.ratio, 0, r.size, scale);
		f->add_face(k_fallback_face, r.size);
		s_fonts[type] = f;
	}
	return s_fonts[type];
}

OGL_font* gui_font_style_info::get_main_font() const
{
	if (!main_looked_) {
		main_looked_ = true;
		main_ = main_font_type >= 0 ? font_from_enum(static_cast<gui_font_type>(main_font_type)) : nullptr;
	}
	return main_;
}

OGL_font* gui_font_style_info::get_underlay_font() const
{
	if (!underlay_looked_) {
		underlay_looked_ = true;
		underlay_ = underlay_font_type >= 0 ? font_from_enum(static_cast<gui_font_type>(underlay_font_type)) : nullptr;
	}
	return underlay_;
}

void font_style_from_enum(gui_font_style style, gui_font_style_info* out)
{
	if (!out)
		return;
	*out = gui_font_style_info();
	if (style >= 0 && style < font_style_count) {
		out->main_font_type = k_styles[style][0];
		out->main_color = k_styles[style][1];
	}
}
