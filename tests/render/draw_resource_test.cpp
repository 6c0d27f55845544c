// Resource images: name resolution with density variants, the nine-slice grid, aspect
// control, sprite cells, backgrounds, tiles and the per-frame cache.
#include <gtest/gtest.h>

#include <vector>

#include "core/OGL/OGL_draw_context.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_resource.h"
#include "core/TEX/TEX_codecs.h"
#include "core/TEX/tman_class.h"
#include "draw_gl_env.h"

namespace {

// An RGBA image made of vertical bands of the given colours, each band_w pixels wide.
std::string bands_image(const std::string& name, const std::vector<std::array<unsigned char, 3>>& colours, int band_w,
                        int h)
{
	const int w = band_w * static_cast<int>(colours.size());
	std::vector<unsigned char> px(w * h * 4);
	for (int y = 0; y < h; ++y)
		for (int x = 0; x < w; ++x) {
			const auto& c = colours[x / band_w];
			unsigned char* p = &px[(y * w + x) * 4];
			p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
		}
	const std::string path = draw_test_dir() + name;
	EXPECT_TRUE(write_png_to_disk(path, w, h, 4, px.data()));
	return path;
}

void touch(const std::string& name)
{
	const unsigned char p[4] = {1, 2, 3, 255};
	ASSERT_TRUE(write_png_to_disk(draw_test_dir() + name, 1, 1, 4, p));
}

TEST(DrawResourceNames, DensityVariantsAreTriedFirst)
{
	const std::string d = draw_test_dir();
	touch("btn.png");
	touch("btn@2x.png");
	touch("btn@1.5x.png");
	touch("icon.png");
	touch("big@4x.png");
	touch("big.png");
	struct name_case {
		std::string name;
		float scale;
		std::string file;
		float density;
	} cases[] = {
		{d + "btn.png", 1, d + "btn.png", 1},
		{d + "btn.png", 2, d + "btn@2x.png", 2},
		{d + "btn.png", 1.5f, d + "btn@1.5x.png", 1.5f},
		{d + "btn.png", 3, d + "btn.png", 1},  // no @3x: the plain image
		{d + "icon.png", 2, d + "icon.png", 1},
		// A name ending in 2x is drawn at twice its size: the variant for twice the scale.
		{d + "btn2x.png", 1, d + "btn@2x.png", 1},
		{d + "big2x.png", 2, d + "big@4x.png", 2},
		{d + "icon2x.png", 1, d + "icon.png", 0.5f},
		{"white.png", 1, "RESOURCE:white.png", 1},
	};
	for (const name_case& c : cases) {
		SCOPED_TRACE(c.name + " at " + std::to_string(c.scale));
		std::string path;
		float density = 0;
		ASSERT_TRUE(resource_exists(c.name, c.scale, &path, &density));
		EXPECT_EQ(path, c.file);
		EXPECT_FLOAT_EQ(density, c.density);
	}
	std::string path;
	float density;
	EXPECT_FALSE(resource_exists(d + "nothing.png", 1, &path, &density));
}

TEST(DrawResourceNames, ScaledNamesForTheInterfaceScale)
{
	EXPECT_EQ(gui_scale_res_path("focus_res_major.png", 1), "focus_res_major.png");
	EXPECT_EQ(gui_scale_res_path("focus_res_major.png", 2), "focus_res_major2x.png");
	EXPECT_EQ(gui_scale_res_path("dir.v1/frame", 2), "dir.v1/frame2x");
}

struct grid_case {
	const char* what;
	float nat_w, nat_h;
	float box[4];
	pos_t h, v;
	gui_aspect_control_t aspect;
	float want_x[4], want_y[4];
	float want_s[4];
};

TEST(DrawResourceGrid, PlacesAndSlicesPerAxis)
{
	const grid_case cases[] = {
		{"nine-slice twice as wide keeps its thirds", 30, 12, {0, 0, 60, 12}, pos_nine_slice, pos_nine_slice, aspect_free,
		 {0, 10, 50, 60}, {0, 4, 8, 12}, {0, 1 / 3.f, 2 / 3.f, 1}},
		{"plain stretch scales uniformly", 30, 12, {0, 0, 60, 24}, pos_stretch, pos_stretch, aspect_free,
		 {0, 20, 40, 60}, {0, 8, 16, 24}, {0, 1 / 3.f, 2 / 3.f, 1}},
		{"natural size centred, rounded down", 10, 10, {0, 0, 25, 25}, pos_center, pos_center, aspect_free,
		 {7, 7 + 10 / 3.f, 17 - 10 / 3.f, 17}, {7, 7 + 10 / 3.f, 17 - 10 / 3.f, 17}, {0, 1 / 3.f, 2 / 3.f, 1}},
		{"start and end", 10, 10, {0, 0, 40, 40}, pos_start, pos_end, aspect_free,
		 {0, 10 / 3.f, 20 / 3.f, 10}, {30, 30 + 10 / 3.f, 40 - 10 / 3.f, 40}, {0, 1 / 3.f, 2 / 3.f, 1}},
		{"fit inside keeps the aspect, centred", 20, 10, {0, 0, 40, 40}, pos_stretch, pos_stretch, aspect_fit,
		 {0, 40 / 3.f, 80 / 3.f, 40}, {10, 10 + 20 / 3.f, 30 - 20 / 3.f, 30}, {0, 1 / 3.f, 2 / 3.f, 1}},
		{"cover keeps the aspect and overflows", 20, 10, {0, 0, 40, 40}, pos_stretch, pos_stretch, aspect_cover,
		 {-20, -20 + 80 / 3.f, 60 - 80 / 3.f, 60}, {0, 40 / 3.f, 80 / 3.f, 40}, {0, 1 / 3.f, 2 / 3.f, 1}},
		{"nine-slice smaller than its caps squeezes them", 30, 12, {0, 0, 12, 12}, pos_nine_slice, pos_nine_slice,
		 aspect_free, {0, 6, 6, 12}, {0, 4, 8, 12}, {0, 1 / 3.f, 2 / 3.f, 1}},
	};
	for (const grid_case& c : cases) {
		SCOPED_TRACE(c.what);
		gui_resource_grid g;
		gui_layout_resource_grid(c.nat_w, c.nat_h, 0, 1, 0, 1, c.box[0], c.box[1], c.box[2], c.box[3], c.h, c.v, c.aspect,
		                         &g);
		for (int i = 0; i < 4; ++i) {
			EXPECT_NEAR(g.x[i], c.want_x[i], 1e-4) << "x" << i;
			EXPECT_NEAR(g.y[i], c.want_y[i], 1e-4) << "y" << i;
			EXPECT_NEAR(g.s[i], c.want_s[i], 1e-4) << "s" << i;
		}
	}
}

TEST(DrawResourceGrid, SpriteCellsMapIntoTheUsedPartOfTheTexture)
{
	gui_resource_grid g;
	// Cell 2 of 4 columns of an image that fills 3/4 of its padded texture.
	const float us = 0.75f;
	gui_layout_resource_grid(10, 10, us * 2 / 4, us * 3 / 4, 0, 1, 0, 0, 10, 10, pos_start, pos_start, aspect_free, &g);
	EXPECT_FLOAT_EQ(g.s[0], 0.375f);
	EXPECT_FLOAT_EQ(g.s[3], 0.5625f);
}

class DrawResourcePixels : public draw_ctx_test {};

TEST_F(DrawResourcePixels, NineSliceStretchedKeepsItsCaps)
{
	// Red, green and blue thirds of 10 pixels each, 12 high.
	const std::string img = bands_image("thirds.png", {{{255, 0, 0}}, {{0, 255, 0}}, {{0, 0, 255}}}, 10, 12);
	gui_plot_resource(&ctx, img, 20, 20, 80, 32, 1.0f, 0, 0, 1, 1, pos_nine_slice, pos_center, aspect_free, 72);
	draw_done();
	struct px_case {
		int x;
		int channel;  // the one that must be lit
	} cases[] = {{21, 0}, {28, 0}, {31, 1}, {50, 1}, {68, 1}, {71, 2}, {78, 2}};
	for (const px_case& c : cases) {
		const std::vector<unsigned char> p = env->pixel(c.x, 26);
		SCOPED_TRACE(c.x);
		EXPECT_GT(p[c.channel], 200);
		for (int ch = 0; ch < 3; ++ch)
			if (ch != c.channel) {
				EXPECT_LT(p[ch], 60);
			}
	}
	EXPECT_EQ(env->pixel(19, 26)[0], 0);
	EXPECT_EQ(env->pixel(80, 26)[2], 0);
}

TEST_F(DrawResourcePixels, SameImageTwiceIsOneTextureAndOneColourCommand)
{
	const std::string img = bands_image("twice.png", {{{200, 200, 200}}}, 8, 8);
	gui_plot_resource(&ctx, img, 0, 0, 8, 8, 1.0f, pos_start, pos_start);
	gui_plot_resource(&ctx, img, 20, 0, 28, 8, 1.0f, pos_start, pos_start);
	int tex = 0, col = 0, draws = 0;
	for (const ctx_cmd& c : ctx.pending_commands()) {
		tex += c.kind == ctx_bind_texture;
		col += c.kind == ctx_set_color;
		draws += c.kind == ctx_draw_elements;
	}
	EXPECT_EQ(tex, 1);
	EXPECT_EQ(col, 1);
	EXPECT_EQ(draws, 1);
	EXPECT_EQ(ctx.pending_vertices(), 32);
	draw_done();
	EXPECT_EQ(env->pixel(24, 4)[0], 200);
}

TEST_F(DrawResourcePixels, SpriteCellAndTintColour)
{
	const std::string img =
		bands_image("sprites.png", {{{255, 0, 0}}, {{0, 255, 0}}, {{0, 0, 255}}, {{255, 255, 255}}}, 8, 8);
	// Column 1 (green), stretched to 32 x 32.
	gui_plot_resource(&ctx, img, 0, 0, 32, 32, 1.0f, 1, 0, 4, 1, pos_stretch, pos_stretch, aspect_free, 72);
	// Column 3 (white) tinted with colour 65 (193, 39, 45) at half opacity over black.
	gui_plot_resource(&ctx, img, 40, 0, 72, 32, 0.5f, 3, 0, 4, 1, pos_stretch, pos_stretch, aspect_free, 65);
	draw_done();
	std::vector<unsigned char> g = env->pixel(16, 16);
	EXPECT_LT(g[0], 30);
	EXPECT_GT(g[1], 225);
	std::vector<unsigned char> t = env->pixel(56, 16);
	EXPECT_NEAR(t[0], 193 / 2, 3);
	EXPECT_NEAR(t[1], 39 / 2, 3);
	EXPECT_NEAR(t[2], 45 / 2, 3);
}

TEST_F(DrawResourcePixels, BackgroundModesAndTiles)
{
	const std::string img = bands_image("bk.png", {{{255, 0, 0}}, {{0, 255, 0}}, {{0, 0, 255}}}, 4, 12);
	gui_plot_bkgnd(&ctx, "", bkgnd_stretch_both, 0, 0, 100, 100, 1.0f);
	EXPECT_TRUE(ctx.pending_commands().empty()) << "an empty name draws nothing";
	// Horizontal nine-slice at natural height, centred vertically in 0..40: rows 14..25.
	gui_plot_bkgnd(&ctx, img, bkgnd_stretch_h, 0, 0, 100, 40, 1.0f);
	// A tile of the same image from x 0 to 40 at y 50..62: caps of 4, middle repeated whole.
	gui_horizontal_tile(&ctx, img, 0, 50, 40, 62, 1.0f);
	draw_done();
	EXPECT_EQ(env->pixel(50, 13)[1], 0);
	EXPECT_GT(env->pixel(50, 14)[1], 200);
	EXPECT_GT(env->pixel(50, 25)[1], 200);
	EXPECT_EQ(env->pixel(50, 26)[1], 0);
	EXPECT_GT(env->pixel(1, 55)[0], 200);   // left cap
	EXPECT_GT(env->pixel(6, 55)[1], 200);   // middle copies
	EXPECT_GT(env->pixel(34, 55)[1], 200);
	EXPECT_GT(env->pixel(38, 55)[2], 200);  // right cap
}

TEST_F(DrawResourcePixels, SizesBoundsAndTheFrameCache)
{
	const std::string img = bands_image("cache.png", {{{10, 10, 10}}}, 24, 9);
	EXPECT_EQ(gui_resource_x(img), 24);
	EXPECT_EQ(gui_resource_y(img), 9);
	float r[4];
	gui_calc_textured_bounds(img, 0, 0, 100, 100, 1, 1, pos_end, pos_center, aspect_free, r);
	EXPECT_FLOAT_EQ(r[0], 76);
	EXPECT_FLOAT_EQ(r[1], 45);
	EXPECT_FLOAT_EQ(r[2], 100);
	EXPECT_FLOAT_EQ(r[3], 54);
	draw_done();

	gui_fetch_resource(img);
	TEX_obj* tex = gui_fetch_resource(img)->tex;
	const int slot = tex->ref();
	gui_purge_unused();
	EXPECT_EQ(tman.get_known_obj(slot), tex) << "used in this frame";
	gui_mark_frame();
	gui_purge_unused();
	EXPECT_EQ(tman.get_known_obj(slot), nullptr) << "unused for a frame: released and purged";
	EXPECT_NE(gui_fetch_resource(img), nullptr) << "fetched again on demand";
}

TEST(DrawResourceMissing, AMissingImageIsFatal)
{
	NEED_GL(env);
	EXPECT_EXIT(gui_fetch_resource("no_such_image_anywhere.png"), ::testing::ExitedWithCode(1), "");
}

}  // namespace
