#include "core/OGL/OGL_prims.h"

#include <cmath>

#include "core/OGL/OGL_colors.h"
#include "core/OGL/OGL_draw_context.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"
#include "core/OGL/OGL_program.h"
#include "core/TEX/tman_class.h"

void OGL_rounded_box_points(const int* rect, int radius, float out[88])
{
	const float l = rect[0], b = rect[1], r = rect[2], t = rect[3];
	const float rad = static_cast<float>(radius);
	// Corner centres in clockwise order from the upper left, with each arc's start angle.
	const float cx[4] = {l + rad, r - rad, r - rad, l + rad};
	const float cy[4] = {t - rad, t - rad, b + rad, b + rad};
	const float start[4] = {180, 90, 0, 270};
	int n = 0;
	for (int c = 0; c < 4; ++c)
		for (int i = 0; i <= 10; ++i) {
			const double a = (start[c] - 9.0 * i) * 3.14159265358979323846 / 180.0;
			out[n++] = static_cast<float>(cx[c] + rad * std::cos(a));
			out[n++] = static_cast<float>(cy[c] + rad * std::sin(a));
		}
}

void OGL_draw_rounded_box(OGL_draw_context* ctx, const int* rect, int radius, int color, float alpha)
{
	if (!ctx || !rect)
		return;
	float pts[88];
	OGL_rounded_box_points(rect, radius, pts);
	ctx->set_texture(tman.white_obj());
	ctx->set_color(color, alpha);
	float* v;
	ctx->get_chunk(GL_TRIANGLE_FAN, 44, &v);
	for (int i = 0; i < 44; ++i) {
		v[i * 4 + 0] = pts[i * 2];
		v[i * 4 + 1] = pts[i * 2 + 1];
		v[i * 4 + 2] = 0.5f;
		v[i * 4 + 3] = 0.5f;
	}
}

namespace {

thread_local unsigned t_vao = 0, t_vbo = 0;

// Draws n vertices (x, y, s, t) as one primitive with the given colour and the bound texture.
void immediate(unsigned primitive, const float* v, int n, float r, float g, float b, float a, bool white)
{
	const OGL_std_program& sp = OGL_get_std_program();
	if (!sp.program)
		return;
	if (!t_vao) {
		glGenVertexArrays(1, &t_vao);
		glGenBuffers(1, &t_vbo);
		glBindVertexArray(t_vao);
		glBindBuffer(GL_ARRAY_BUFFER, t_vbo);
		OGL_set_std_vertex_layout();
	}
	glUseProgram(sp.program);
	OGL_sync_std_transform(sp.program);
	glUniform4f(sp.u_color, r, g, b, a);
	if (white && tman.white_obj())
		tman.white_obj()->bind(0);
	glBindVertexArray(t_vao);
	glBindBuffer(GL_ARRAY_BUFFER, t_vbo);
	glBufferData(GL_ARRAY_BUFFER, n * 4 * sizeof(float), v, GL_STREAM_DRAW);
	glDrawArrays(primitive, 0, n);
}

void quad_verts(float l, float b, float r, float t, float s0, float t0, float s1, float t1, float* v)
{
	const float q[24] = {l, b, s0, t0, l, t, s0, t1, r, t, s1, t1, l, b, s0, t0, r, t, s1, t1, r, b, s1, t0};
	for (int i = 0; i < 24; ++i)
		v[i] = q[i];
}

void color_rgb(int color, float rgb[3]) { OGL_get_color(color, rgb); }

}  // namespace

void OGL_line(float x1, float y1, float x2, float y2, int color, float alpha)
{
	float rgb[3];
	color_rgb(color, rgb);
	const float v[8] = {x1, y1, 0.5f, 0.5f, x2, y2, 0.5f, 0.5f};
	immediate(GL_LINES, v, 2, rgb[0], rgb[1], rgb[2], alpha, true);
}

void OGL_fillrect(float l, float b, float r, float t, int color, float alpha)
{
	float rgb[3];
	color_rgb(color, rgb);
	float v[24];
	quad_verts(l, b, r, t, 0.5f, 0.5f, 0.5f, 0.5f, v);
	immediate(GL_TRIANGLES, v, 6, rgb[0], rgb[1], rgb[2], alpha, true);
}

void OGL_framerect(float l, float b, float r, float t, int color, float alpha)
{
	float rgb[3];
	color_rgb(color, rgb);
	float v[96];
	quad_verts(l, b, r, b + 1, 0.5f, 0.5f, 0.5f, 0.5f, v);
	quad_verts(l, t - 1, r, t, 0.5f, 0.5f, 0.5f, 0.5f, v + 24);
	quad_verts(l, b + 1, l + 1, t - 1, 0.5f, 0.5f, 0.5f, 0.5f, v + 48);
	quad_verts(r - 1, b + 1, r, t - 1, 0.5f, 0.5f, 0.5f, 0.5f, v + 72);
	immediate(GL_TRIANGLES, v, 24, rgb[0], rgb[1], rgb[2], alpha, true);
}

void OGL_grayrect(float l, float b, float r, float t, float grey, float alpha)
{
	float v[24];
	quad_verts(l, b, r, t, 0.5f, 0.5f, 0.5f, 0.5f, v);
	immediate(GL_TRIANGLES, v, 6, grey, grey, grey, alpha, true);
}

void OGL_2dquad(float l, float b, float r, float t, float s0, float t0, float s1, float t1)
{
	float v[24];
	quad_verts(l, b, r, t, s0, t0, s1, t1, v);
	immediate(GL_TRIANGLES, v, 6, 1, 1, 1, 1, false);
}
