// Transform stacks, scissor rectangles, blend modes and the framebuffer pool.
#include <gtest/gtest.h>

#include "core/OGL/OGL_blend.h"
#include "core/OGL/OGL_framebuffer.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"
#include "core/OGL/OGL_prims.h"
#include "core/OGL/OGL_state.h"
#include "core/TEX/tman_class.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/app_clock.h"
#include "draw_gl_env.h"

namespace {

// Each test gets its own state record, so stacks start fresh and other tests are untouched.
class DrawState : public ::testing::Test {
protected:
	void SetUp() override
	{
		cmdline.force_no_alerts();
		saved = OGL_state_current();
		OGL_state_set_current(&rec);
		rec.viewport[0] = rec.viewport[1] = 0;
		rec.viewport[2] = rec.viewport[3] = 200;
	}
	void TearDown() override { OGL_state_set_current(saved); }
	OGL_state_record rec;
	OGL_state_record* saved = nullptr;
};

TEST_F(DrawState, OrthoMapsTheBoxOntoClipSpace)
{
	OGL_MatrixMode(GL_PROJECTION);
	OGL_LoadIdentity();
	OGL_Ortho(0, 800, 0, 600, -1, 1);
	float out[3];
	struct point_case {
		float x, y, cx, cy;
	} cases[] = {{0, 0, -1, -1}, {800, 600, 1, 1}, {400, 300, 0, 0}, {200, 450, -0.5f, 0.5f}};
	for (const point_case& c : cases) {
		OGL_matrix_transform(OGL_get_projection(), c.x, c.y, out);
		EXPECT_NEAR(out[0], c.cx, 1e-6);
		EXPECT_NEAR(out[1], c.cy, 1e-6);
		EXPECT_NEAR(out[2], 1, 1e-6);
	}
}

TEST_F(DrawState, StacksPushPopAndMarkChanges)
{
	OGL_MatrixMode(GL_MODELVIEW);
	const unsigned s0 = OGL_modelview_serial();
	OGL_PushMatrix();
	OGL_Translatef(10, 20, 0);
	OGL_Scalef(2, 2, 1);
	EXPECT_GT(OGL_modelview_serial(), s0);
	float out[3];
	OGL_matrix_transform(OGL_get_modelview(), 1, 1, out);
	EXPECT_FLOAT_EQ(out[0], 12);
	EXPECT_FLOAT_EQ(out[1], 22);
	OGL_PopMatrix();
	OGL_matrix_transform(OGL_get_modelview(), 1, 1, out);
	EXPECT_FLOAT_EQ(out[0], 1);
	// The projection stack is separate and does not touch the model-view serial.
	const unsigned s1 = OGL_modelview_serial();
	OGL_MatrixMode(GL_PROJECTION);
	OGL_PushMatrix();
	OGL_Ortho(0, 2, 0, 2, -1, 1);
	OGL_PopMatrix();
	EXPECT_EQ(OGL_modelview_serial(), s1);
	EXPECT_EQ(rec.projection.depth(), 1);
}

TEST_F(DrawState, OverflowAndUnderflowAreFatal)
{
	struct stack_case {
		unsigned mode;
		int pushes;  // -1: pop the last entry
	} cases[] = {{GL_PROJECTION, 10}, {GL_MODELVIEW, 40}, {GL_MODELVIEW, -1}};
	for (const stack_case& c : cases) {
		SCOPED_TRACE(c.pushes);
		EXPECT_EXIT(
			{
				OGL_MatrixMode(c.mode);
				if (c.pushes < 0)
					OGL_PopMatrix();
				for (int i = 0; i < c.pushes; ++i)
					OGL_PushMatrix();
				exit(0);
			},
			::testing::ExitedWithCode(1), "");
	}
	// One below the limit is fine.
	OGL_MatrixMode(GL_PROJECTION);
	for (int i = 0; i < 9; ++i)
		OGL_PushMatrix();
	EXPECT_EQ(rec.projection.depth(), 10);
}

TEST_F(DrawState, ScissorRectangleGoesThroughTheTransformToPixels)
{
	OGL_MatrixMode(GL_PROJECTION);
	OGL_Ortho(0, 100, 0, 100, -1, 1);  // 2 pixels per unit on a 200 x 200 viewport
	OGL_MatrixMode(GL_MODELVIEW);
	struct sc_case {
		float tx;
		float r[4];
		int want[4];
	} cases[] = {
		{0, {10, 20, 30, 40}, {20, 40, 60, 80}},
		{5, {10, 20, 30, 40}, {30, 40, 60, 80}},
		{0, {10.2f, 20.2f, 10, 10}, {20, 40, 21, 21}},  // left and bottom down, right and top up
		{0, {10, 10, -5, 4}, {10, 20, 10, 8}},           // a negative width flips, never negative
	};
	for (const sc_case& c : cases) {
		OGL_LoadIdentity();
		OGL_Translatef(c.tx, 0, 0);
		int px[4];
		OGL_scissor_rect_for_mv(c.r[0], c.r[1], c.r[2], c.r[3], px);
		EXPECT_EQ(std::vector<int>(px, px + 4), std::vector<int>(c.want, c.want + 4)) << c.tx << " " << c.r[0];
	}
}

TEST(DrawBlend, ModesCombineAsSpecified)
{
	NEED_GL(env);
	struct blend_case {
		ogl_blend_func target;
		ogl_blend_mode mode;
		float src;      // white at this alpha over grey 0.5, alpha 0.5
		int want_rgb, want_a;
	} cases[] = {
		{ogl_blend_window, ogl_blend_normal, 0.5f, 191, 128},         // a: 0.5 x 0.5 + 0.5 x 0.5
		{ogl_blend_window, ogl_blend_glow, 0.5f, 255, 191},
		{ogl_blend_window, ogl_blend_premultiplied, 0.5f, 255, 191},  // src taken as already multiplied
		{ogl_blend_texture, ogl_blend_normal, 0.5f, 191, 191},        // alpha: 1 x 0.5 + 0.5 x 0.5 = 0.75
		{ogl_blend_texture, ogl_blend_glow, 0.5f, 255, 128},          // alpha kept
	};
	for (const blend_case& c : cases) {
		SCOPED_TRACE(std::to_string(c.target) + "/" + std::to_string(c.mode));
		env->begin(0.5f, 0.5f, 0.5f, 0.5f);
		OGL_push_blend_func();
		OGL_set_blend_func(c.target);
		OGL_set_blend_mode(c.mode);
		glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
		OGL_grayrect(0, 0, 16, 16, 1.0f, c.src);
		OGL_pop_blend_func();
		env->end();
		const std::vector<unsigned char> p = env->pixel(8, 8);
		EXPECT_NEAR(p[0], c.want_rgb, 2);
		EXPECT_NEAR(p[3], c.want_a, 2);
	}
	EXPECT_EQ(OGL_get_blend_func(), ogl_blend_window);
	EXPECT_EQ(OGL_get_blend_mode(), ogl_blend_normal);
}

TEST(DrawFboPool, EightToLendThenNone)
{
	NEED_GL(env);
	OGL_framebuffer* lent[8];
	for (int i = 0; i < 8; ++i) {
		lent[i] = gui_borrow_fbo(16, 16, fbo_purpose_composite);
		ASSERT_NE(lent[i], nullptr) << i;
		for (int j = 0; j < i; ++j)
			EXPECT_NE(lent[i], lent[j]);
	}
	EXPECT_EQ(gui_borrow_fbo(16, 16, fbo_purpose_composite), nullptr);
	for (OGL_framebuffer* f : lent)
		gui_return_fbo(f);
}

TEST(DrawFboPool, PrefersTheSamePurposeAndFreesIdleMemory)
{
	NEED_GL(env);
	app_clock_set(100.0);
	OGL_framebuffer* snap = gui_borrow_fbo(32, 32, fbo_purpose_snapshot);
	ASSERT_NE(snap, nullptr);
	snap->set_render_size(32, 32);
	ASSERT_TRUE(snap->complete());
	ASSERT_NE(snap->color_texture(), nullptr);
	const unsigned tex_name = snap->color_texture()->gl_name();
	gui_return_fbo(snap);
	EXPECT_EQ(gui_borrow_fbo(8, 8, fbo_purpose_snapshot), snap) << "the same purpose first";
	gui_return_fbo(snap);
	app_clock_set(104.0);
	gui_clean_fbo_cache_per_frame();
	EXPECT_EQ(snap->width(), 32) << "returned 4 seconds ago: kept";
	app_clock_set(106.5);
	gui_clean_fbo_cache_per_frame();
	EXPECT_EQ(snap->width(), 0);
	EXPECT_EQ(snap->color_texture(), nullptr);
	tman.purge_unused_texes();
	EXPECT_FALSE(glIsTexture(tex_name)) << "its memory is given back";
	for (int i = 0; i < 8; ++i) {
		OGL_framebuffer* f;
		bool in_use;
		gui_fbo_purpose p;
		double t;
		ASSERT_TRUE(gui_fbo_pool_entry(i, &f, &in_use, &p, &t));
		if (f == snap) {
			EXPECT_EQ(t, -1);
		}
	}
}

TEST(DrawFboPool, RendersIntoItsTexture)
{
	NEED_GL(env);
	OGL_framebuffer* f = gui_borrow_fbo(8, 8, fbo_purpose_scratch);
	ASSERT_NE(f, nullptr);
	f->set_render_size(8, 8, fbo_color);
	f->begin_render();
	glViewport(0, 0, 8, 8);
	glClearColor(0, 1, 0, 1);
	glClear(GL_COLOR_BUFFER_BIT);
	unsigned char px[4];
	glReadPixels(4, 4, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
	f->end_render();
	OGL_forget_viewport();
	EXPECT_EQ(px[1], 255);
	EXPECT_EQ(px[0], 0);
	gui_return_fbo(f);
}

}  // namespace
