#include "core/OGL/OGL_matrix.h"

#include <cmath>
#include <cstring>
#include <map>

#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_state.h"
#include "core/ui/alert.h"

namespace {

struct transform_locs {
	int mvp = -1, modelview = -1, projection = -1, normal = -1;
};
std::map<unsigned, transform_locs> s_locs;

OGL_matrix_stack& cur_stack()
{
	OGL_state_record* r = OGL_state_current();
	return r->matrix_mode == GL_PROJECTION ? r->projection : r->modelview;
}

void changed()
{
	OGL_state_record* r = OGL_state_current();
	r->transform_changed = true;
	if (r->matrix_mode != GL_PROJECTION)
		++r->modelview_serial;
}

void rel_assert_fail(const char* cond, const char* func)
{
	RADAVI_alert("rel_assert Error! Possibly an out of range vector! Attach the debugger and see who called this!",
	             cond, func, "Please report this to Skyvane technical support.", alert_mode_fatal_loc);
}

}  // namespace

void OGL_matrix_identity(float m[16])
{
	memset(m, 0, 16 * sizeof(float));
	m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void OGL_matrix_multiply(const float a[16], const float b[16], float out[16])
{
	float r[16];
	for (int c = 0; c < 4; ++c)
		for (int row = 0; row < 4; ++row) {
			float s = 0;
			for (int k = 0; k < 4; ++k)
				s += a[k * 4 + row] * b[c * 4 + k];
			r[c * 4 + row] = s;
		}
	memcpy(out, r, sizeof(r));
}

void OGL_matrix_transform(const float m[16], float x, float y, float out[3])
{
	out[0] = m[0] * x + m[4] * y + m[12];
	out[1] = m[1] * x + m[5] * y + m[13];
	out[2] = m[3] * x + m[7] * y + m[15];
}

void OGL_MatrixMode(unsigned mode) { OGL_state_current()->matrix_mode = mode; }

void OGL_LoadIdentity()
{
	OGL_matrix_identity(cur_stack().top());
	changed();
}

void OGL_LoadMatrixf(const float m[16])
{
	memcpy(cur_stack().top(), m, 16 * sizeof(float));
	changed();
}

void OGL_MultMatrixf(const float m[16])
{
	float* t = cur_stack().top();
	OGL_matrix_multiply(t, m, t);
	changed();
}

void OGL_Ortho(double l, double r, double b, double t, double n, double f)
{
	double o[16] = {};
	o[0] = 2.0 / (r - l);
	o[5] = 2.0 / (t - b);
	o[10] = -2.0 / (f - n);
	o[12] = -(r + l) / (r - l);
	o[13] = -(t + b) / (t - b);
	o[14] = -(f + n) / (f - n);
	o[15] = 1.0;
	float* top = cur_stack().top();
	double res[16];
	for (int c = 0; c < 4; ++c)
		for (int row = 0; row < 4; ++row) {
			double s = 0;
			for (int k = 0; k < 4; ++k)
				s += static_cast<double>(top[k * 4 + row]) * o[c * 4 + k];
			res[c * 4 + row] = s;
		}
	for (int i = 0; i < 16; ++i)
		top[i] = static_cast<float>(res[i]);
	changed();
}

void OGL_Translatef(float x, float y, float z)
{
	float m[16];
	OGL_matrix_identity(m);
	m[12] = x, m[13] = y, m[14] = z;
	OGL_MultMatrixf(m);
}

void OGL_Scalef(float x, float y, float z)
{
	float m[16];
	OGL_matrix_identity(m);
	m[0] = x, m[5] = y, m[10] = z;
	OGL_MultMatrixf(m);
}

void OGL_PushMatrix()
{
	OGL_matrix_stack& s = cur_stack();
	if (s.depth() >= s.max_depth) {
		rel_assert_fail("stack depth < maximum", "OGL_PushMatrix");
		return;
	}
	s.m.insert(s.m.end(), s.top(), s.top() + 16);
	changed();
}

void OGL_PopMatrix()
{
	OGL_matrix_stack& s = cur_stack();
	if (s.depth() <= 1) {
		rel_assert_fail("stack depth > 1", "OGL_PopMatrix");
		return;
	}
	s.m.resize(s.m.size() - 16);
	changed();
}

const float* OGL_get_projection() { return OGL_state_current()->projection.top(); }
const float* OGL_get_modelview() { return OGL_state_current()->modelview.top(); }
unsigned OGL_modelview_serial() { return OGL_state_current()->modelview_serial; }

void OGL_get_mvp(float out[16]) { OGL_matrix_multiply(OGL_get_projection(), OGL_get_modelview(), out); }

void OGL_set_transform_uniforms(unsigned program, int mvp, int modelview, int projection, int normal)
{
	s_locs[program] = transform_locs{mvp, modelview, projection, normal};
}

void OGL_sync_transform_with_modelview(unsigned program, const float mv[16])
{
	auto it = s_locs.find(program);
	if (it == s_locs.end())
		return;
	const transform_locs& l = it->second;
	const float* p = OGL_get_projection();
	if (l.mvp >= 0) {
		float mvp[16];
		OGL_matrix_multiply(p, mv, mvp);
		glUniformMatrix4fv(l.mvp, 1, GL_FALSE, mvp);
	}
	if (l.modelview >= 0)
		glUniformMatrix4fv(l.modelview, 1, GL_FALSE, mv);
	if (l.projection >= 0)
		glUniformMatrix4fv(l.projection, 1, GL_FALSE, p);
	if (l.normal >= 0) {
		// Inverse transpose of the upper 3x3; the identity when it is singular.
		const float a = mv[0], b = mv[4], c = mv[8], d = mv[1], e = mv[5], f = mv[9], g = mv[2], h = mv[6], i = mv[10];
		const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
		float n[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
		if (std::fabs(det) > 1e-12f) {
			const float k = 1.0f / det;
			// Column-major inverse transpose equals the cofactor matrix / det.
			n[0] = (e * i - f * h) * k, n[3] = -(d * i - f * g) * k, n[6] = (d * h - e * g) * k;
			n[1] = -(b * i - c * h) * k, n[4] = (a * i - c * g) * k, n[7] = -(a * h - b * g) * k;
			n[2] = (b * f - c * e) * k, n[5] = -(a * f - c * d) * k, n[8] = (a * e - b * d) * k;
		}
		glUniformMatrix3fv(l.normal, 1, GL_FALSE, n);
	}
}

void OGL_sync_std_transform(unsigned program)
{
	OGL_sync_transform_with_modelview(program, OGL_get_modelview());
	OGL_state_current()->transform_changed = false;
}

void OGL_Viewport(int x, int y, int w, int h)
{
	int* v = OGL_state_current()->viewport;
	if (v[0] == x && v[1] == y && v[2] == w && v[3] == h)
		return;
	glViewport(x, y, w, h);
	v[0] = x, v[1] = y, v[2] = w, v[3] = h;
}

void OGL_get_viewport(int out[4])
{
	int* v = OGL_state_current()->viewport;
	if (v[2] < 0)
		glGetIntegerv(GL_VIEWPORT, v);
	memcpy(out, v, 4 * sizeof(int));
}

void OGL_forget_viewport()
{
	int* v = OGL_state_current()->viewport;
	v[0] = v[1] = v[2] = v[3] = -1;
}
