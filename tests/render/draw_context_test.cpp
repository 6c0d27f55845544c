// The draw context: batching of state commands, chunks, scissors, text layers and rounded boxes.
#include <gtest/gtest.h>

#include <cmath>

#include "core/OGL/OGL_draw_context.h"
#include "core/OGL/OGL_font_table.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"
#include "core/OGL/OGL_prims.h"
#include "core/TEX/tman_class.h"
#include "draw_gl_env.h"

namespace {

int count_kind(const OGL_draw_context& c, ctx_cmd_kind k)
{
	int n = 0;
	for (const ctx_cmd& cmd : c.pending_commands())
		n += cmd.kind == k;
	return n;
}

void quad(OGL_draw_context& ctx, float l, float b, float r, float t)
{
	float* v;
	unsigned* ix;
	const unsigned base = ctx.get_chunk_indexed(GL_TRIANGLES, 4, 6, &v, &ix);
	const float q[16] = {l, b, 0.5f, 0.5f, l, t, 0.5f, 0.5f, r, t, 0.5f, 0.5f, r, b, 0.5f, 0.5f};
	std::copy(q, q + 16, v);
	const unsigned i[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
	std::copy(i, i + 6, ix);
}

class DrawContext : public draw_ctx_test {};

TEST_F(DrawContext, RepeatedStateIsRecordedOnce)
{
	TEX_obj* white = tman.white_obj();
	for (int i = 0; i < 2; ++i) {
		ctx.set_texture(white);
		ctx.set_color(72, 1.0f);
		quad(ctx, 10, 10, 20, 20);
	}
	EXPECT_EQ(count_kind(ctx, ctx_bind_texture), 1);
	EXPECT_EQ(count_kind(ctx, ctx_set_color), 1);
	EXPECT_EQ(count_kind(ctx, ctx_load_matrix), 1);
	EXPECT_EQ(count_kind(ctx, ctx_draw_elements), 1) << "following triangles share a draw";
	// A change of any value is recorded.
	ctx.set_color(72, 0.5f);
	ctx.set_texture(tman.black_obj());
	ctx.set_texture(tman.black_obj());
	EXPECT_EQ(count_kind(ctx, ctx_set_color), 2);
	EXPECT_EQ(count_kind(ctx, ctx_bind_texture), 2);
	// A new model-view matrix is recorded before the next chunk.
	OGL_MatrixMode(GL_MODELVIEW);
	OGL_PushMatrix();
	OGL_Translatef(5, 0, 0);
	quad(ctx, 0, 0, 1, 1);
	OGL_PopMatrix();
	EXPECT_EQ(count_kind(ctx, ctx_load_matrix), 2);
}

TEST_F(DrawContext, AFullBufferFlushesAndKeepsDrawing)
{
	OGL_draw_context small;
	small.init(64, 64);
	small.start_using_ctx();
	small.set_texture(tman.white_obj());
	small.set_color(72, 1.0f);
	// 20 quads of 4 vertices need more than 64 vertices: at least one flush on the way.
	for (int i = 0; i < 20; ++i)
		quad(small, i * 10.0f, 0, i * 10.0f + 5, 5);
	EXPECT_GE(small.flush_count(), 1);
	small.stop_using_ctx();
	for (int i = 0; i < 20; ++i)
		EXPECT_EQ(env->pixel(i * 10 + 2, 2)[0], 255) << "quad " << i;
	EXPECT_EQ(env->pixel(7, 2)[0], 0);
}

TEST_F(DrawContext, ScissorsClipAndChangeOnlyWhenTheRectangleDoes)
{
	ctx.set_scissors_mv(0, 0, 50, 256);
	const int flushes = ctx.flush_count();
	ctx.set_texture(tman.white_obj());
	ctx.set_color(72, 1.0f);
	quad(ctx, 0, 0, 100, 10);
	ctx.set_scissors_mv(0, 0, 50, 256);  // unchanged: no batch boundary
	EXPECT_EQ(ctx.flush_count(), flushes);
	EXPECT_EQ(count_kind(ctx, ctx_draw_elements), 1);
	ctx.set_scissors_none();
	EXPECT_EQ(ctx.flush_count(), flushes + 1);
	quad(ctx, 0, 20, 100, 30);
	ctx.stop_using_ctx();
	EXPECT_EQ(env->pixel(49, 5)[0], 255);
	EXPECT_EQ(env->pixel(50, 5)[0], 0) << "clipped";
	EXPECT_EQ(env->pixel(90, 25)[0], 255) << "drawn after the scissor was removed";
	ctx.start_using_ctx();
}

TEST_F(DrawContext, TextIsQueuedInLayersAndDrawnAboveTheBatch)
{
	OGL_font* f = font_from_enum(font_roboto_24);
	ASSERT_NE(f, nullptr);
	static const char* txt = "HHHH";
	ctx.draw_string(1, f, 96, 96, 20, 100, txt, txt + 4, 0, 0, just_left, 1.0f);
	ctx.draw_string(1, f, 96, 96, 20, 100, "", 0, 0, just_left, 1.0f);
	ctx.draw_string(1, nullptr, 96, 96, 20, 100, "x", 0, 0, just_left, 1.0f);
	EXPECT_EQ(ctx.pending_text_calls(), 1);
	EXPECT_TRUE(ctx.pending_commands().empty()) << "text adds no geometry commands";
	// A white box drawn after the text, in the same batch, still lies below it.
	ctx.set_texture(tman.white_obj());
	ctx.set_color(72, 1.0f);
	quad(ctx, 0, 80, 200, 140);
	ctx.stop_using_ctx();
	EXPECT_EQ(ctx.pending_text_calls(), 0);
	const std::vector<unsigned char> px = env->read_all();
	int dark = 0;
	for (int y = 80; y < 140; ++y)
		for (int x = 20; x < 20 + static_cast<int>(f->measure_string("HHHH")); ++x)
			dark += px[(y * draw_gl_env::size + x) * 4] < 64;
	EXPECT_GT(dark, 50);
	ctx.start_using_ctx();
}

struct box_case {
	int rect[4];
	int radius;
};

class RoundedBox : public DrawContext, public ::testing::WithParamInterface<box_case> {};

// Every pixel inside the rectangle and away from the corner squares is covered; nothing
// outside the rectangle is.
TEST_P(RoundedBox, CoversExactlyItsRectangle)
{
	const box_case c = GetParam();
	OGL_draw_rounded_box(&ctx, c.rect, c.radius, 72, 1.0f);
	ctx.stop_using_ctx();
	const std::vector<unsigned char> px = env->read_all();
	const int l = c.rect[0], b = c.rect[1], r = c.rect[2], t = c.rect[3], rad = c.radius;
	int wrong_inside = 0, wrong_outside = 0;
	long covered = 0;
	for (int y = 0; y < draw_gl_env::size; ++y)
		for (int x = 0; x < draw_gl_env::size; ++x) {
			const unsigned char v = px[(y * draw_gl_env::size + x) * 4];
			const bool in_rect = x >= l && x < r && y >= b && y < t;
			const bool in_corner = (x < l + rad || x >= r - rad) && (y < b + rad || y >= t - rad);
			if (!in_rect)
				wrong_outside += v != 0;
			else if (!in_corner)
				wrong_inside += v != 255;
			covered += v == 255;
		}
	EXPECT_EQ(wrong_inside, 0);
	EXPECT_EQ(wrong_outside, 0);
	const double area = double(r - l) * (t - b) - (4 - M_PI) * rad * rad;
	EXPECT_NEAR(covered, area, 0.02 * area + 4 * rad);
	ctx.start_using_ctx();
}

INSTANTIATE_TEST_SUITE_P(Boxes, RoundedBox,
                         ::testing::Values(box_case{{40, 40, 200, 120}, 10}, box_case{{10, 10, 60, 30}, 0},
                                           box_case{{100, 150, 250, 250}, 30}),
                         [](const ::testing::TestParamInfo<box_case>& i) {
	                         return "radius" + std::to_string(i.param.radius);
                         });

TEST(RoundedBoxPoints, FanRunsClockwiseFromTheUpperLeft)
{
	const int rect[4] = {0, 0, 100, 50};
	float p[88];
	OGL_rounded_box_points(rect, 10, p);
	EXPECT_NEAR(p[0], 0, 1e-4);  // 180 degrees on the upper-left corner
	EXPECT_NEAR(p[1], 40, 1e-4);
	EXPECT_NEAR(p[20], 10, 1e-4);  // 90 degrees: the top edge
	EXPECT_NEAR(p[21], 50, 1e-4);
	double area2 = 0;
	for (int i = 0; i < 44; ++i) {
		const int j = (i + 1) % 44;
		area2 += p[i * 2] * p[j * 2 + 1] - p[j * 2] * p[i * 2 + 1];
	}
	EXPECT_LT(area2, 0) << "clockwise in y-up space";
}

}  // namespace
