#include "core/OGL/OGL_resource.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "core/OGL/OGL_draw_context.h"
#include "core/OGL/OGL_gl.h"
#include "core/TEX/tman_class.h"
#include "core/files/file_ops.h"
#include "core/files/resource_path.h"
#include "core/platform/wmgr_window.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

namespace {

std::map<std::string, gui_resource_info> s_cache;
long s_frame = 0;

bool candidate_exists(const std::string& base, const std::string& suffix, const std::string& ext, std::string* path)
{
	char buf[1024];
	snprintf(buf, sizeof(buf), "%s%s%s%s.%s", resource_prefix, base.c_str(), "", suffix.c_str(), ext.c_str());
	std::string resolved = buf;
	resolve_resource_path(resolved);
	if (file_exists(resolved)) {
		*path = buf;
		return true;
	}
	const std::string plain = base + suffix + "." + ext;  // a caller's own file path
	if (file_exists(plain)) {
		*path = plain;
		return true;
	}
	return false;
}

void layout_axis(float nat, float c0, float c1, float b0, float b1, pos_t pos, float drawn, float* xs, float* ts)
{
	const float box = b1 - b0;
	float start;
	if (pos == pos_start)
		start = b0;
	else if (pos == pos_end)
		start = b1 - drawn;
	else
		start = b0 + std::floor((box - drawn) / 2);
	float cap, tex_nat;
	if (pos == pos_nine_slice) {
		cap = std::round(nat / 3);
		tex_nat = nat;
	} else {
		cap = drawn / 3;
		tex_nat = drawn;
	}
	// Caps never cross: a box smaller than both caps squeezes them instead.
	const float gcap = std::min(cap, drawn / 2);
	xs[0] = start;
	xs[1] = start + gcap;
	xs[2] = start + drawn - gcap;
	xs[3] = start + drawn;
	const float u[4] = {0, cap, tex_nat - cap, tex_nat};
	for (int i = 0; i < 4; ++i)
		ts[i] = tex_nat > 0 ? c0 + (c1 - c0) * (u[i] / tex_nat) : c0;
}

bool stretched(pos_t p) { return p == pos_nine_slice || p == pos_stretch; }

struct cell_coords {
	float nat_w, nat_h, s0, s1, t0, t1;
};

cell_coords cell_for(const gui_resource_info& r, int column, int row, int columns, int rows)
{
	cell_coords c;
	const float us = r.tex ? r.tex->used_s() : 1.0f, ut = r.tex ? r.tex->used_t() : 1.0f;
	const int cols = std::max(columns, 1), rws = std::max(rows, 1);
	c.nat_w = std::round(r.px_w / float(cols) / r.density);
	c.nat_h = std::round(r.px_h / float(rws) / r.density);
	if (columns <= 0)
		c.s0 = c.s1 = us * 0.5f;
	else
		c.s0 = us * column / columns, c.s1 = us * (column + 1) / columns;
	if (rows <= 0)
		c.t0 = c.t1 = ut * 0.5f;
	else
		c.t0 = ut * row / rows, c.t1 = ut * (row + 1) / rows;
	return c;
}

void emit_quads(OGL_draw_context* ctx, const std::vector<float>& quads)
{
	const int n = static_cast<int>(quads.size() / 16);
	if (n == 0)
		return;
	float* v;
	unsigned* idx;
	const int base = ctx->get_chunk_indexed(GL_TRIANGLES, 4 * n, 6 * n, &v, &idx);
	std::copy(quads.begin(), quads.end(), v);
	for (int q = 0; q < n; ++q) {
		const unsigned b = base + q * 4;
		const unsigned tri[6] = {b, b + 1, b + 2, b, b + 2, b + 3};
		std::copy(tri, tri + 6, idx + q * 6);
	}
}

void push_quad(std::vector<float>& q, float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1)
{
	const float v[16] = {x0, y0, s0, t0, x0, y1, s0, t1, x1, y1, s1, t1, x1, y0, s1, t0};
	q.insert(q.end(), v, v + 16);
}

}  // namespace

bool resource_exists(const std::string& name, float s, std::string* path, float* density)
{
	std::string base = name, ext;
	const size_t dot = name.rfind('.');
	if (dot != std::string::npos && name.find('/', dot) == std::string::npos) {
		base = name.substr(0, dot);
		ext = name.substr(dot + 1);
	}
	if (ext == "pvr")
		ext = "dds";
	float k = 1;
	if (base.size() > 2 && base.compare(base.size() - 2, 2, "2x") == 0) {
		base.erase(base.size() - 2);
		k = 0.5f;  // drawn at twice its size
		s *= 2;
	}
	std::string p;
	float factor = 0;
	char suffix[32] = "";
	if (std::fabs(s - 1.5f) < 0.01f) {
		snprintf(suffix, sizeof(suffix), "@1.5x");
		factor = 1.5f;
	} else if (s >= 2) {
		snprintf(suffix, sizeof(suffix), "@%dx", static_cast<int>(s));
		factor = static_cast<float>(static_cast<int>(s));
	}
	if (factor > 0 && candidate_exists(base, suffix, ext, &p)) {
		*path = p;
		*density = factor * k;
		return true;
	}
	if (candidate_exists(base, "", ext, &p)) {
		*path = p;
		*density = k;
		return true;
	}
	return false;
}

gui_resource_info* gui_fetch_resource(const std::string& name)
{
	auto it = s_cache.find(name);
	if (it != s_cache.end()) {
		it->second.last_frame = s_frame;
		return &it->second;
	}
	gui_resource_info info;
	if (name.empty() || !resource_exists(name, wmgr_get_backing_scale(), &info.path, &info.density)) {
		skyvane_log_write(log_error, "GUI", "Missing resource: %s", name.c_str());
		RADAVI_alert("Skyvane is missing a required resource:", name,
		             "Please report this to Skyvane technical support by e-mail at installer-support@skyvane.example.",
		             "Be sure to include the name of the file listed above in your report.", alert_mode_fatal_loc);
		return nullptr;
	}
	info.tex = tman.load_texture_obj(4, tex_opt_resource, 0, info.path);
	if (info.tex) {
		info.px_w = info.tex->width();
		info.px_h = info.tex->height();
	}
	info.last_frame = s_frame;
	return &(s_cache[name] = info);
}

int gui_resource_x(const std::string& name)
{
	const gui_resource_info* r = gui_fetch_resource(name);
	return r ? static_cast<int>(std::lround(r->px_w / r->density)) : 0;
}

int gui_resource_y(const std::string& name)
{
	const gui_resource_info* r = gui_fetch_resource(name);
	return r ? static_cast<int>(std::lround(r->px_h / r->density)) : 0;
}

void gui_layout_resource_grid(float nat_w, float nat_h, float s0, float s1, float t0, float t1, float x1, float y1,
                              float x2, float y2, pos_t h, pos_t v, gui_aspect_control_t aspect, gui_resource_grid* out)
{
	float dw = stretched(h) ? x2 - x1 : nat_w;
	float dh = stretched(v) ? y2 - y1 : nat_h;
	if (stretched(h) && stretched(v) && aspect != aspect_free && nat_w > 0 && nat_h > 0) {
		const float kx = (x2 - x1) / nat_w, ky = (y2 - y1) / nat_h;
		const float k = aspect == aspect_cover ? std::max(kx, ky) : std::min(kx, ky);
		dw = nat_w * k;
		dh = nat_h * k;
	}
	layout_axis(nat_w, s0, s1, x1, x2, h, dw, out->x, out->s);
	layout_axis(nat_h, t0, t1, y1, y2, v, dh, out->y, out->t);
}

void gui_plot_resource(OGL_draw_context* ctx, const std::string& name, float x1, float y1, float x2, float y2,
                       float alpha, int column, int row, int columns, int rows, pos_t h, pos_t v,
                       gui_aspect_control_t aspect, int color)
{
	gui_resource_info* r = gui_fetch_resource(name);
	if (!r || !ctx)
		return;
	const cell_coords c = cell_for(*r, column, row, columns, rows);
	gui_resource_grid g;
	gui_layout_resource_grid(c.nat_w, c.nat_h, c.s0, c.s1, c.t0, c.t1, x1, y1, x2, y2, h, v, aspect, &g);
	ctx->set_texture(r->tex);
	ctx->set_color(color, alpha);
	float* vx;
	unsigned* ix;
	const unsigned base = ctx->get_chunk_indexed(GL_TRIANGLES, 16, 54, &vx, &ix);
	for (int k = 0; k < 16; ++k) {
		vx[k * 4 + 0] = g.x[k % 4];
		vx[k * 4 + 1] = g.y[k / 4];
		vx[k * 4 + 2] = g.s[k % 4];
		vx[k * 4 + 3] = g.t[k / 4];
	}
	int n = 0;
	for (int row_i = 0; row_i < 3; ++row_i)
		for (int col_i = 0; col_i < 3; ++col_i) {
			const unsigned k = base + row_i * 4 + col_i;
			const unsigned tri[6] = {k + 1, k, k + 4, k + 1, k + 4, k + 5};
			std::copy(tri, tri + 6, ix + n);
			n += 6;
		}
}

void gui_plot_resource(OGL_draw_context* ctx, const std::string& name, float x1, float y1, float x2, float y2,
                       float alpha, pos_t h, pos_t v)
{
	gui_plot_resource(ctx, name, x1, y1, x2, y2, alpha, 0, 0, 1, 1, h, v, aspect_free, 72);
}

void gui_calc_textured_bounds(const std::string& name, float x1, float y1, float x2, float y2, int columns, int rows,
                              pos_t h, pos_t v, gui_aspect_control_t aspect, float out[4])
{
	gui_resource_info* r = gui_fetch_resource(name);
	if (!r) {
		out[0] = x1, out[1] = y1, out[2] = x2, out[3] = y2;
		return;
	}
	const cell_coords c = cell_for(*r, 0, 0, columns, rows);
	gui_resource_grid g;
	gui_layout_resource_grid(c.nat_w, c.nat_h, c.s0, c.s1, c.t0, c.t1, x1, y1, x2, y2, h, v, aspect, &g);
	out[0] = g.x[0], out[1] = g.y[0], out[2] = g.x[3], out[3] = g.y[3];
}

void gui_plot_bkgnd(OGL_draw_context* ctx, const std::string& name, bkgnd_mode_t mode, float x1, float y1, float x2,
                    float y2, float alpha)
{
	if (name.empty())
		return;
	pos_t h = pos_nine_slice, v = pos_nine_slice;
	gui_aspect_control_t a = aspect_free;
	switch (mode) {
	case bkgnd_stretch_h: v = pos_center; break;
	case bkgnd_stretch_v: h = pos_center; break;
	case bkgnd_stretch_both: break;
	case bkgnd_plain: h = v = pos_stretch; break;
	case bkgnd_cover: h = v = pos_stretch, a = aspect_cover; break;
	}
	gui_plot_resource(ctx, name, x1, y1, x2, y2, alpha, 0, 0, 1, 1, h, v, a, 72);
}

namespace {
void tile(OGL_draw_context* ctx, const std::string& name, float x1, float y1, float x2, float y2, float alpha,
          bool horizontal)
{
	gui_resource_info* r = gui_fetch_resource(name);
	if (!r || !ctx)
		return;
	const cell_coords c = cell_for(*r, 0, 0, 1, 1);
	const float nat = horizontal ? c.nat_w : c.nat_h;
	const float a0 = horizontal ? x1 : y1, a1 = horizontal ? x2 : y2;
	const float u0 = horizontal ? c.s0 : c.t0, u1 = horizontal ? c.s1 : c.t1;
	const float len = a1 - a0;
	if (nat <= 0 || len <= 0)
		return;
	float cap = std::round(nat / 3);
	const float mid = nat - 2 * cap;
	const float tex_cap = cap;
	if (2 * cap > len)
		cap = len / 2;
	auto tex_at = [&](float u) { return u0 + (u1 - u0) * (u / nat); };
	std::vector<float> q;
	auto add = [&](float p0, float p1, float tu0, float tu1) {
		if (horizontal)
			push_quad(q, p0, y1, p1, y2, tu0, c.t0, tu1, c.t1);
		else
			push_quad(q, x1, p0, x2, p1, c.s0, tu0, c.s1, tu1);
	};
	add(a0, a0 + cap, tex_at(0), tex_at(tex_cap));
	if (mid > 0) {
		// Whole copies of the middle third; the last one is cut where the end cap begins.
		const int max_pieces = 4096;
		int n = 0;
		for (float p = a0 + cap; p < a1 - cap && n < max_pieces; p += mid, ++n) {
			const float e = std::min(p + mid, a1 - cap);
			add(p, e, tex_at(tex_cap), tex_at(tex_cap + (e - p)));
		}
	}
	add(a1 - cap, a1, tex_at(nat - tex_cap), tex_at(nat));
	ctx->set_texture(r->tex);
	ctx->set_color(72, alpha);
	emit_quads(ctx, q);
}
}  // namespace

void gui_horizontal_tile(OGL_draw_context* ctx, const std::string& name, float x1, float y1, float x2, float y2,
                         float alpha)
{
	tile(ctx, name, x1, y1, x2, y2, alpha, true);
}

void gui_vertical_tile(OGL_draw_context* ctx, const std::string& name, float x1, float y1, float x2, float y2,
                       float alpha)
{
	tile(ctx, name, x1, y1, x2, y2, alpha, false);
}

void gui_mark_frame() { ++s_frame; }
long gui_current_frame() { return s_frame; }
int gui_resource_cache_size() { return static_cast<int>(s_cache.size()); }

void gui_purge_unused()
{
	for (auto it = s_cache.begin(); it != s_cache.end();) {
		if (it->second.last_frame != s_frame) {
			if (it->second.tex)
				it->second.tex->release_kill();
			it = s_cache.erase(it);
		} else {
			++it;
		}
	}
	tman.purge_unused_texes();
}

std::string gui_scale_res_path(const std::string& name, float scale)
{
	if (scale < 2)
		return name;
	const size_t dot = name.rfind('.');
	if (dot == std::string::npos || name.find('/', dot) != std::string::npos)
		return name + "2x";
	return name.substr(0, dot) + "2x" + name.substr(dot);
}

void gui_plot_focus_ring(OGL_draw_context* ctx, const int b[4], const int desk[4], const std::string& res)
{
	if (res.empty())
		return;
	const float l = std::max(b[0] - 2, desk[0]), bo = std::max(b[1] - 2, desk[1]);
	const float r = std::min(b[2] + 2, desk[2]), t = std::min(b[3] + 2, desk[3]);
	if (r <= l || t <= bo)
		return;
	gui_plot_resource(ctx, res, l, bo, r, t, 1.0f, 0, 0, 1, 1, pos_nine_slice, pos_nine_slice, aspect_free, 72);
}
