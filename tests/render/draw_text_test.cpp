// Text on screen: styled text in its colour and at its measured width, missing glyphs,
// two-channel fonts, wrapping and justification, the window offset.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/OGL/OGL_draw_context.h"
#include "core/OGL/OGL_font.h"
#include "core/OGL/OGL_font_table.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_styled_text.h"
#include "core/TEX/TEX_codecs.h"
#include "core/platform/wmgr_wins.h"
#include "draw_gl_env.h"

namespace {

struct extent {
	int x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1;
	int lit = 0;
	unsigned char best[4] = {0, 0, 0, 0};  // the most covered pixel
};

// The pixels that differ from the background (0, 0, 0).
extent lit_pixels(const std::vector<unsigned char>& px)
{
	extent e;
	int best_sum = -1;
	for (int y = 0; y < draw_gl_env::size; ++y)
		for (int x = 0; x < draw_gl_env::size; ++x) {
			const unsigned char* p = &px[(y * draw_gl_env::size + x) * 4];
			const int sum = p[0] + p[1] + p[2];
			if (sum == 0)
				continue;
			++e.lit;
			e.x0 = std::min(e.x0, x), e.x1 = std::max(e.x1, x);
			e.y0 = std::min(e.y0, y), e.y1 = std::max(e.y1, y);
			if (sum > best_sum) {
				best_sum = sum;
				std::copy(p, p + 4, e.best);
			}
		}
	return e;
}

class DrawText : public draw_gl_test {};

TEST_F(DrawText, StyledTextDrawsInItsColourAtItsMeasuredWidth)
{
	struct style_case {
		int font, color;
		unsigned char rgb[3];
	} cases[] = {{font_roboto_24, 65, {193, 39, 45}}, {font_roboto_bold_14, 8, {255, 204, 51}},
	             {font_roboto_bold_14, 57, {29, 160, 242}}};
	for (const style_case& c : cases) {
		SCOPED_TRACE(c.font);
		gui_font_style_info st;
		st.main_font_type = c.font;
		st.main_color = c.color;
		static const char* txt = "HELL";
		const std::vector<unsigned char> px = render([&](OGL_draw_context& ctx) {
			gui_draw_styled_text(&ctx, &st, 20, 100, txt, txt + 4, 0, 0, just_left, 1.0f);
		});
		const extent e = lit_pixels(px);
		ASSERT_GT(e.lit, 0);
		for (int ch = 0; ch < 3; ++ch)
			EXPECT_NEAR(e.best[ch], c.rgb[ch], 3) << "channel " << ch;
		const float w = st.get_main_font()->measure_string(txt);
		EXPECT_GE(e.x0, 20);
		EXPECT_NEAR(e.x1 + 1 - 20, w, 3.0f);
		const OGL_char_info* h = st.get_main_font()->find_char('H');
		EXPECT_NEAR(e.y1 + 1 - 100, h->off_y + h->cell[3] - h->cell[1], 1.0f) << "the capitals' top";
		EXPECT_NEAR(e.y0 - 100, h->off_y, 1.0f) << "on the baseline";
	}
}

TEST_F(DrawText, AMissingGlyphLeavesNoGap)
{
	OGL_font* f = font_from_enum(font_roboto_24);
	const std::string with = "A\xF4\x8F\xBF\xBD" "B", without = "AB";  // U+10FFFD is in no face
	auto draw = [&](const std::string& s) {
		return render([&](OGL_draw_context& ctx) { ctx.draw_string(1, f, 72, 72, 30, 100, s, 0, 0, just_left, 1.0f); });
	};
	const std::vector<unsigned char> a = draw(with), b = draw(without);
	EXPECT_GT(lit_pixels(a).lit, 0);
	EXPECT_EQ(a, b);
}

TEST_F(DrawText, FallbackGlyphsAreDrawn)
{
	OGL_font* f = font_from_enum(font_roboto_24);
	const std::string kanji = "\xE6\x97\xA5";
	const extent e = lit_pixels(
		render([&](OGL_draw_context& ctx) { ctx.draw_string(1, f, 72, 72, 30, 100, kanji, 0, 0, just_left, 1.0f); }));
	EXPECT_GT(e.lit, 30);
	const OGL_char_info* c = f->find_char(0x65E5);
	ASSERT_NE(c, nullptr);
	EXPECT_NEAR(e.x1 - e.x0 + 1, c->cell[2] - c->cell[0], 1);
	EXPECT_NEAR(e.x0 - 30, c->off_x, 1);
}

TEST_F(DrawText, OutlinedFontDrawsBothColours)
{
	auto f = std::make_unique<OGL_font>(OGL_font::range_ascii);
	f->clear("RESOURCE:Roboto-Bold.ttf", fx_outline, 0.03f, 0, 40, 1);
	ASSERT_TRUE(f->is_two_channel());
	// Main colour yellow (8), outline red (65).
	const extent e = lit_pixels(render([&](OGL_draw_context& ctx) {
		ctx.draw_string(1, f.get(), 8, 65, 20, 100, "IO", 0, 0, just_left, 1.0f);
	}));
	ASSERT_GT(e.lit, 0);
	const std::vector<unsigned char> px = env->read_all();
	int yellow = 0, red = 0;
	for (size_t i = 0; i < px.size(); i += 4) {
		yellow += px[i] > 240 && px[i + 1] > 190 && px[i + 2] < 70;
		red += px[i] > 180 && px[i] < 205 && px[i + 1] < 50;
	}
	EXPECT_GT(yellow, 20);
	EXPECT_GT(red, 20);
	if (HasFailure())
		write_png_to_disk(draw_test_dir() + "../outline_fail.png", draw_gl_env::size, draw_gl_env::size, 4, px.data());
}

TEST_F(DrawText, JustificationWrappingAndWindowOffset)
{
	OGL_font* f = font_from_enum(font_roboto_18);
	const std::string s = "WIDE";
	const float w = f->measure_string(s);
	struct just_case {
		just_t just;
		float x;
		float want_left;
	} cases[] = {{just_left, 100, 100}, {just_center, 128, 128 - w / 2}, {just_right, 200, 200 - w}};
	for (const just_case& c : cases) {
		SCOPED_TRACE(c.just);
		const extent e = lit_pixels(
			render([&](OGL_draw_context& ctx) { ctx.draw_string(1, f, 72, 72, c.x, 100, s, 0, 0, c.just, 1.0f); }));
		EXPECT_NEAR(e.x0, c.want_left, 2.5f);
	}
	// Two words at a width that holds one: two lines, one line height apart.
	const extent one = lit_pixels(
		render([&](OGL_draw_context& ctx) { ctx.draw_string(1, f, 72, 72, 20, 150, "WIDE", 0, 0, just_left, 1.0f); }));
	const extent two = lit_pixels(render([&](OGL_draw_context& ctx) {
		ctx.draw_string(1, f, 72, 72, 20, 150, "WIDE WIDE", 0, w + 5, just_left, 1.0f);
	}));
	EXPECT_NEAR(one.y0 - two.y0, f->get_line_height(), 1.5f);
	EXPECT_EQ(one.x1, two.x1);
	// The window offset moves every text.
	wins.offset_x = 7;
	wins.offset_y = 3;
	const extent moved = lit_pixels(
		render([&](OGL_draw_context& ctx) { ctx.draw_string(1, f, 72, 72, 20, 150, "WIDE", 0, 0, just_left, 1.0f); }));
	wins.offset_x = wins.offset_y = 0;
	EXPECT_EQ(moved.x0, one.x0 + 7);
	EXPECT_EQ(moved.y0, one.y0 + 3);
}

TEST_F(DrawText, NoWrapTextEndsInAnEllipsis)
{
	gui_font_style_info st;
	st.main_font_type = font_roboto_14;
	st.main_color = 72;
	OGL_font* f = st.get_main_font();
	const std::string s = "Continue with the update now";
	const float width = f->measure_string(s) / 2;
	const extent e = lit_pixels(render([&](OGL_draw_context& ctx) {
		gui_draw_styled_text_no_wrap(&ctx, &st, 10, 100, s, 0, width, just_left, 1.0f);
	}));
	EXPECT_LE(e.x1 + 1 - 10, width + 1);
	EXPECT_NEAR(e.x1 + 1 - 10, f->measure_string(gui_cut_text_to_width(f, s, width)), 2.5f);
}

}  // namespace
