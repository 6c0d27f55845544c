#include "core/OGL/OGL_blend.h"

#include <cmath>

#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"
#include "core/OGL/OGL_state.h"

void OGL_apply_blend()
{
	const OGL_state_record* r = OGL_state_current();
	glEnable(GL_BLEND);
	const bool separate = r->blend_target != ogl_blend_window;
	switch (r->blend_mode) {
	case ogl_blend_glow:
		if (separate)
			glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ZERO, GL_ONE);
		else
			glBlendFunc(GL_SRC_ALPHA, GL_ONE);
		break;
	case ogl_blend_premultiplied:
		glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
		break;
	default:
		if (separate)
			glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
		else
			glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
		break;
	}
}

void OGL_set_blend_func(ogl_blend_func target)
{
	OGL_state_current()->blend_target = target;
	OGL_apply_blend();
}

void OGL_set_blend_mode(ogl_blend_mode mode)
{
	OGL_state_current()->blend_mode = mode;
	OGL_apply_blend();
}

ogl_blend_func OGL_get_blend_func() { return static_cast<ogl_blend_func>(OGL_state_current()->blend_target); }
ogl_blend_mode OGL_get_blend_mode() { return static_cast<ogl_blend_mode>(OGL_state_current()->blend_mode); }

void OGL_push_blend_func()
{
	OGL_state_record* r = OGL_state_current();
	r->blend_stack.push_back(r->blend_target);
	r->blend_stack.push_back(r->blend_mode);
}

void OGL_pop_blend_func()
{
	OGL_state_record* r = OGL_state_current();
	if (r->blend_stack.size() < 2)
		return;
	r->blend_mode = r->blend_stack.back();
	r->blend_stack.pop_back();
	r->blend_target = r->blend_stack.back();
	r->blend_stack.pop_back();
	OGL_apply_blend();
}

void OGL_scissor_rect_for_mv(float x, float y, float w, float h, int out[4])
{
	float mvp[16];
	OGL_get_mvp(mvp);
	int vp[4];
	OGL_get_viewport(vp);
	float a[3], b[3];
	OGL_matrix_transform(mvp, x, y, a);
	OGL_matrix_transform(mvp, x + w, y + h, b);
	auto to_px = [&](const float p[3], float& px, float& py) {
		const float iw = p[2] != 0 ? 1.0f / p[2] : 1.0f;
		px = vp[0] + (p[0] * iw * 0.5f + 0.5f) * vp[2];
		py = vp[1] + (p[1] * iw * 0.5f + 0.5f) * vp[3];
	};
	float ax, ay, bx, by;
	to_px(a, ax, ay);
	to_px(b, bx, by);
	// Tiny float noise must not grow the rectangle by a whole pixel.
	const float eps = 1e-3f;
	const int l = static_cast<int>(std::floor(std::min(ax, bx) + eps));
	const int bo = static_cast<int>(std::floor(std::min(ay, by) + eps));
	const int r = static_cast<int>(std::ceil(std::max(ax, bx) - eps));
	const int t = static_cast<int>(std::ceil(std::max(ay, by) - eps));
	out[0] = l;
	out[1] = bo;
	out[2] = std::max(0, r - l);
	out[3] = std::max(0, t - bo);
}

void OGL_scissors_mv(float x, float y, float w, float h)
{
	int r[4];
	OGL_scissor_rect_for_mv(x, y, w, h, r);
	OGL_scissors_pix(r[0], r[1], r[2], r[3]);
}

void OGL_scissors_pix(int x, int y, int w, int h)
{
	glScissor(x, y, w < 0 ? 0 : w, h < 0 ? 0 : h);
	glEnable(GL_SCISSOR_TEST);
}

void OGL_scissors_end() { glDisable(GL_SCISSOR_TEST); }
