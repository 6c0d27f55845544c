#include "core/OGL/OGL_colors.h"

#include <algorithm>

namespace {

struct color_table {
	float rgb[ogl_color_count][3];
	color_table()
	{
		// Entries nobody sets are a neutral mid grey, so a missing colour is visible but harmless.
		for (auto& c : rgb)
			c[0] = c[1] = c[2] = 0.5f;
		struct fixed { int e, r, g, b; };
		static const fixed k[] = {{8, 255, 204, 51},   {53, 13, 19, 26},    {54, 22, 120, 181}, {55, 113, 120, 128},
		                          {56, 84, 93, 102},   {57, 29, 160, 242},  {58, 15, 80, 121},  {59, 26, 38, 51},
		                          {60, 6, 9, 13},      {61, 20, 28, 38},    {62, 38, 50, 64},   {63, 71, 79, 89},
		                          {64, 158, 0, 93},    {65, 193, 39, 45},   {66, 41, 171, 226}, {67, 251, 176, 59},
		                          {68, 237, 30, 121},  {72, 255, 255, 255}, {96, 0, 0, 0}};
		for (const fixed& f : k) {
			rgb[f.e][0] = f.r / 255.0f;
			rgb[f.e][1] = f.g / 255.0f;
			rgb[f.e][2] = f.b / 255.0f;
		}
	}
};

color_table& table()
{
	static color_table t;
	return t;
}
float s_panel[3] = {1, 1, 1};
bool s_mono = false;

}  // namespace

void OGL_get_color_raw(int color, float rgb[3])
{
	if (color < 0 || color >= ogl_color_count) {
		rgb[0] = rgb[1] = rgb[2] = 0;
		return;
	}
	const float* c = table().rgb[color];
	rgb[0] = c[0], rgb[1] = c[1], rgb[2] = c[2];
}

void OGL_get_color(int color, float rgb[3])
{
	OGL_get_color_raw(color, rgb);
	if (color < 0 || color >= ogl_color_count)
		return;
	if (color < 38) {
		for (int i = 0; i < 3; ++i)
			rgb[i] *= s_panel[i];
	} else if (s_mono) {
		const float g = std::clamp(rgb[0] + rgb[1] + rgb[2], 0.01f, 1.0f);
		rgb[0] = 0, rgb[1] = g, rgb[2] = 0;
	}
}

void OGL_set_color_rgb(int color, float r, float g, float b)
{
	if (color < 0 || color >= ogl_color_count)
		return;
	float* c = table().rgb[color];
	c[0] = r, c[1] = g, c[2] = b;
}

void OGL_set_panel_brightness(float r, float g, float b) { s_panel[0] = r, s_panel[1] = g, s_panel[2] = b; }
void OGL_set_monochrome(bool on) { s_mono = on; }
bool OGL_get_monochrome() { return s_mono; }
