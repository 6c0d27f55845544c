// The glyph effects: how each one sizes its cell and writes its channels.
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/OGL/OGL_font.h"

namespace {

void cfg_none(OGL_font_fx& fx, float ratio, int) { fx.ratio = ratio; }

void cfg_outline(OGL_font_fx& fx, float ratio, int pixel_size)
{
	fx.ratio = ratio;
	fx.radius = ratio;
	fx.pad_h = fx.pad_v = static_cast<int>(std::ceil(ratio * pixel_size));
}

void cfg_blur(OGL_font_fx& fx, float ratio, int pixel_size)
{
	fx.ratio = ratio;
	fx.radius = pixel_size * ratio;
	fx.pad_h = fx.pad_v = static_cast<int>(std::ceil(2 * fx.radius));
}

void cfg_shiny(OGL_font_fx& fx, float ratio, int pixel_size)
{
	fx.ratio = ratio;
	fx.radius = 0;  // no stroke: shiny only shades the glyph
	fx.pad_h = fx.pad_v = 0;
	fx.strength = pixel_size > 0 ? ratio * 255.0f * 2.0f / pixel_size : 0.0f;
}

void copy4(const OGL_glyph_box in, OGL_glyph_box out) { std::copy(in, in + 4, out); }

void bounds_glyph(const OGL_font_fx&, const OGL_glyph_box g, const OGL_glyph_box, OGL_glyph_box out) { copy4(g, out); }

bool box_empty(const OGL_glyph_box b) { return b[2] <= b[0] || b[3] <= b[1]; }

void bounds_union(const OGL_font_fx&, const OGL_glyph_box g, const OGL_glyph_box s, OGL_glyph_box out)
{
	if (box_empty(s))
		return copy4(g, out);
	if (box_empty(g))
		return copy4(s, out);
	out[0] = std::min(g[0], s[0]);
	out[1] = std::min(g[1], s[1]);
	out[2] = std::max(g[2], s[2]);
	out[3] = std::max(g[3], s[3]);
}

void bounds_grow(const OGL_font_fx& fx, const OGL_glyph_box g, const OGL_glyph_box, OGL_glyph_box out)
{
	const int k = static_cast<int>(std::ceil(2 * fx.radius));
	out[0] = g[0] - k, out[1] = g[1] - k, out[2] = g[2] + k, out[3] = g[3] + k;
}

// Copies a bitmap (rows bottom first) into one channel of the atlas, clipped to the cell.
void put(const unsigned char* bm, int w, int h, int x, int y, unsigned char* buf, int bpt, int row_bytes, int ch,
         int cx, int cy, int cw, int chh)
{
	if (!bm)
		return;
	for (int j = 0; j < h; ++j) {
		const int ay = y + j;
		if (ay < cy || ay >= cy + chh)
			continue;
		for (int i = 0; i < w; ++i) {
			const int ax = x + i;
			if (ax < cx || ax >= cx + cw)
				continue;
			buf[ay * row_bytes + ax * bpt + ch] = bm[j * w + i];
		}
	}
}

void comp_solid(const OGL_font_fx&, const unsigned char* g, int gw, int gh, int gx, int gy, const unsigned char*, int,
                int, int, int, unsigned char* buf, int bpt, int rb, int cx, int cy, int cw, int ch)
{
	put(g, gw, gh, gx, gy, buf, bpt, rb, 0, cx, cy, cw, ch);
}

void comp_outline(const OGL_font_fx&, const unsigned char* g, int gw, int gh, int gx, int gy, const unsigned char* s,
                  int sw, int sh, int sx, int sy, unsigned char* buf, int bpt, int rb, int cx, int cy, int cw, int ch)
{
	put(g, gw, gh, gx, gy, buf, bpt, rb, 0, cx, cy, cw, ch);
	put(s, sw, sh, sx, sy, buf, bpt, rb, 1, cx, cy, cw, ch);
	for (int y = cy; y < cy + ch; ++y)
		for (int x = cx; x < cx + cw; ++x) {
			unsigned char* t = buf + y * rb + x * bpt;
			if (t[1] != 0)
				t[0] = static_cast<unsigned char>(t[0] * (255 - t[1]) / 255);
		}
}

void comp_blur(const OGL_font_fx& fx, const unsigned char* g, int gw, int gh, int gx, int gy, const unsigned char*,
               int, int, int, int, unsigned char* buf, int bpt, int rb, int cx, int cy, int cw, int ch)
{
	put(g, gw, gh, gx, gy, buf, bpt, rb, 0, cx, cy, cw, ch);
	const float sigma = fx.radius;
	if (sigma <= 0 || cw <= 0 || ch <= 0)
		return;
	const int k = static_cast<int>(std::ceil(2 * sigma));
	std::vector<float> wts(2 * k + 1);
	const float norm = 1.0f / std::sqrt(2.0f * 3.14159265f * sigma * sigma);
	for (int d = -k; d <= k; ++d)
		wts[d + k] = norm * std::exp(-(d * d) / (2 * sigma * sigma));
	std::vector<float> a(static_cast<size_t>(cw) * ch), b(a.size());
	for (int y = 0; y < ch; ++y)
		for (int x = 0; x < cw; ++x)
			a[y * cw + x] = buf[(cy + y) * rb + (cx + x) * bpt];
	for (int y = 0; y < ch; ++y)
		for (int x = 0; x < cw; ++x) {
			float s = 0;
			for (int d = -k; d <= k; ++d)
				if (x + d >= 0 && x + d < cw)
					s += a[y * cw + x + d] * wts[d + k];
			b[y * cw + x] = s;
		}
	for (int y = 0; y < ch; ++y)
		for (int x = 0; x < cw; ++x) {
			float s = 0;
			for (int d = -k; d <= k; ++d)
				if (y + d >= 0 && y + d < ch)
					s += b[(y + d) * cw + x] * wts[d + k];
			buf[(cy + y) * rb + (cx + x) * bpt] = static_cast<unsigned char>(std::clamp(s + 0.5f, 0.0f, 255.0f));
		}
}

void comp_shiny(const OGL_font_fx& fx, const unsigned char* g, int gw, int gh, int gx, int gy, const unsigned char*,
                int, int, int, int, unsigned char* buf, int bpt, int rb, int cx, int cy, int cw, int ch)
{
	put(g, gw, gh, gx, gy, buf, bpt, rb, 0, cx, cy, cw, ch);
	for (int i = 0; i < ch; ++i) {
		const int dist = std::abs(i - ch / 2);
		for (int x = cx; x < cx + cw; ++x) {
			unsigned char* t = buf + (cy + i) * rb + x * bpt;
			const int old = t[0];
			const int nv = std::clamp(static_cast<int>(old - fx.strength * dist), 0, 255);
			t[0] = static_cast<unsigned char>(nv);
			t[1] = static_cast<unsigned char>(old - nv);
		}
	}
}

OGL_font_fx make(bool two, decltype(OGL_font_fx::configure_for_ratio) cfg, decltype(OGL_font_fx::compute_bounds) bnd,
                 decltype(OGL_font_fx::composite_bitmap) comp)
{
	OGL_font_fx f;
	f.two_channel = two;
	f.configure_for_ratio = cfg;
	f.compute_bounds = bnd;
	f.composite_bitmap = comp;
	return f;
}

}  // namespace

const OGL_font_fx g_font_fx[fx_count] = {
	make(false, cfg_none, bounds_glyph, comp_solid),
	make(true, cfg_outline, bounds_union, comp_outline),
	make(false, cfg_blur, bounds_grow, comp_blur),
	make(true, cfg_shiny, bounds_glyph, comp_shiny),
};
