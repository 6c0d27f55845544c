// The font engine without drawing: measuring, fitting, wrapping, fallback faces, effects,
// metrics, and the font and style tables.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "core/OGL/OGL_font.h"
#include "core/OGL/OGL_font_table.h"
#include "core/OGL/OGL_styled_text.h"
#include "core/OGL/OGL_utf8.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/lang_setting.h"

namespace {

const char* const k_roboto = "RESOURCE:Roboto-Regular.ttf";
const char* const k_fallback = "RESOURCE:TT_NewRodin-B.TTF";
const unsigned k_nowhere = 0x10FFFD;  // a private-use code no face has

std::unique_ptr<OGL_font> make_font(font_fx_type fx = fx_solid, float ratio = 0, float scale = 1,
                                    bool fallback = true, OGL_font::char_range_t range = OGL_font::range_full)
{
	cmdline.force_no_alerts();
	auto f = std::make_unique<OGL_font>(range);
	f->clear(k_roboto, fx, ratio, 0, 14, scale);
	if (fallback)
		f->add_face(k_fallback, 14);
	return f;
}

float adv(OGL_font& f, unsigned c) { return f.require_char(c) / f.scale(); }

std::string utf8(unsigned cp)
{
	std::string s;
	if (cp < 0x80)
		s += char(cp);
	else if (cp < 0x800)
		s += char(0xC0 | (cp >> 6)), s += char(0x80 | (cp & 0x3F));
	else if (cp < 0x10000)
		s += char(0xE0 | (cp >> 12)), s += char(0x80 | ((cp >> 6) & 0x3F)), s += char(0x80 | (cp & 0x3F));
	else
		s += char(0xF0 | (cp >> 18)), s += char(0x80 | ((cp >> 12) & 0x3F)), s += char(0x80 | ((cp >> 6) & 0x3F)),
			s += char(0x80 | (cp & 0x3F));
	return s;
}

TEST(FontEngine, FacesLoadAndMetricsAreLogical)
{
	auto f1 = make_font(fx_solid, 0, 1);
	auto f2 = make_font(fx_solid, 0, 2);
	ASSERT_EQ(f1->face_count(), 2);
	EXPECT_GT(f1->get_line_height(), 10);
	// Twice the pixels at scale 2, the same logical metrics (within hinting).
	EXPECT_NEAR(f2->get_line_height(), f1->get_line_height(), 1.0f);
	EXPECT_NEAR(f2->measure_string("Hello"), f1->measure_string("Hello"), 1.5f);
	EXPECT_GT(f1->get_line_ascent(), f1->get_line_descent());
	EXPECT_EQ(f1->get_minimum_height_for_aligned_text(),
	          std::ceil(f1->get_line_ascent() + f1->get_line_descent()) + std::ceil(f1->get_line_descent()));
	// The baseline that centres the ascent in a box.
	const float y = f1->aligned_y_for_box(0, 40);
	EXPECT_NEAR(y + f1->get_line_ascent() / 2, 20, 1.0f);
}

TEST(FontEngine, AFontWithoutFacesMeasuresNothing)
{
	cmdline.force_no_alerts();
	OGL_font f(OGL_font::range_full);
	f.clear("RESOURCE:no_such_font.ttf", fx_solid, 0, 0, 12, 1);
	EXPECT_EQ(f.face_count(), 0);
	EXPECT_EQ(f.measure_string("abc"), 0);
	EXPECT_EQ(f.get_line_height(), -1);
	EXPECT_EQ(f.get_minimum_height_for_aligned_text(), 0);
	EXPECT_EQ(f.aligned_y_for_box(10, 21), 16);
}

TEST(FontEngine, MeasuresTheWidestLine)
{
	auto f = make_font();
	EXPECT_EQ(f->measure_string("a\nbb"), f->measure_string("bb"));
	EXPECT_EQ(f->measure_string("bbb\na"), f->measure_string("bbb"));
	EXPECT_EQ(f->measure_string(""), 0);
	EXPECT_GT(f->measure_string("bb"), f->measure_string("b"));
}

TEST(FontEngine, TabNeitherDrawsNorAdvances)
{
	auto f = make_font();
	EXPECT_EQ(f->require_char('\t'), 0);
	EXPECT_EQ(f->measure_string("a\tb"), f->measure_string("ab"));
	EXPECT_EQ(f->find_char('\t'), nullptr);
}

TEST(FontEngine, MissingGlyphsComeFromTheFallbackOrLeaveNoGap)
{
	auto f = make_font();
	const unsigned kanji = 0x65E5;  // not in the primary face
	EXPECT_GT(adv(*f, kanji), 0);
	ASSERT_NE(f->find_char(kanji), nullptr);
	EXPECT_EQ(f->find_char(kanji)->face, 1);
	EXPECT_EQ(f->find_char('A')->face, 0);
	// A code point no face has measures 0 and is recorded with error 17.
	EXPECT_EQ(f->require_char(k_nowhere), 0);
	EXPECT_EQ(f->find_char(k_nowhere)->error, 17);
	EXPECT_EQ(f->measure_string("A" + utf8(k_nowhere) + "B"), f->measure_string("AB"));
	// Without the fallback face the kanji is missing too.
	auto bare = make_font(fx_solid, 0, 1, false);
	EXPECT_EQ(bare->require_char(kanji), 0);
}

TEST(FontEngine, FitForwardStopsAtTheWidthOrTheLastSpace)
{
	auto f = make_font();
	const std::string s = "alpha beta gamma";
	const char* b = s.data();
	const char* e = b + s.size();
	const float to_gam = f->measure_string("alpha beta gam");
	struct fit_case {
		float width;
		bool word_break;
		size_t want;
	} cases[] = {
		{f->measure_string(s) + 1, false, s.size()},
		{to_gam + 0.01f, false, std::string("alpha beta gam").size()},
		{to_gam + 0.01f, true, std::string("alpha beta ").size()},
		{0, true, 0},
	};
	for (const fit_case& c : cases) {
		SCOPED_TRACE(c.width);
		EXPECT_EQ(static_cast<size_t>(f->fit_forward(b, e, c.width, c.word_break) - b), c.want);
	}
}

TEST(FontEngine, FitReverseKeepsTheTailThatFits)
{
	auto f = make_font();
	const std::string s = "/home/pilot/Skyvane";
	const char* b = s.data();
	const char* e = b + s.size();
	EXPECT_EQ(f->fit_reverse(b, e, f->measure_string("Skyvane") + 0.01f), b + s.find("Skyvane"));
	EXPECT_EQ(f->fit_reverse(b, e, 10000), b);
	EXPECT_EQ(f->fit_reverse(b, e, 0), e);
	// Multi-byte characters come off whole.
	const std::string u = "a" + utf8(0x00E9) + utf8(0x65E5);
	const char* ub = u.data();
	const char* ue = ub + u.size();
	EXPECT_EQ(f->fit_reverse(ub, ue, adv(*f, 0x65E5) + 0.01f), ue - 3);
}

// Lines of a wrapped text as the drawing sees them.
std::vector<std::string> lines(OGL_font& f, const std::string& s, float width)
{
	std::vector<std::string> out;
	const char* p = s.data();
	const char* e = p + s.size();
	while (p < e) {
		const char *le, *nx;
		f.next_line(p, e, width * f.scale(), &le, &nx);
		out.emplace_back(p, le);
		EXPECT_GT(nx, p) << "no progress";
		if (nx <= p)
			break;
		p = nx;
	}
	return out;
}

TEST(FontEngine, WrapsAtSpacesSeparatorsAndLineBreaks)
{
	auto f = make_font();
	const float path_w = f->measure_string("C:/Program Files/");
	struct wrap_case {
		std::string text;
		float width;
		std::vector<std::string> want;
	} cases[] = {
		{"C:/Program Files/App", f->measure_string("C:/Program ") + 1, {"C:/Program", "Files/App"}},
		{"C:/Program_Files/App", f->measure_string("Program_Files/") + 0.5f, {"C:/", "Program_Files/", "App"}},
		{"/usr/share/skyvane/data", path_w, {"/usr/share/", "skyvane/data"}},
		{"one\ntwo\r\nthree\rfour", 0, {"one", "two", "three", "four"}},
		{"word   next", f->measure_string("word  ") + 0.5f, {"word ", "next"}},  // ends before the last space that fits
		{"WWWWWWWW", f->measure_string("W") * 2.5f, {"WW", "WW", "WW", "WW"}},
		{"W", 0.5f, {"W"}},  // never an empty line
	};
	for (const wrap_case& c : cases) {
		SCOPED_TRACE(c.text);
		EXPECT_EQ(lines(*f, c.text, c.width), c.want);
	}
}

TEST(FontEngine, LineCountMatchesTheWrapping)
{
	auto f = make_font();
	const std::string para = "The installer checks every file of your copy against the release.";
	const char* b = para.data();
	struct count_case {
		const char* text;
		float width;
		int want;
	} cases[] = {{"", 100, 1}, {"one line", 0, 1}, {"a\nb", 0, 2}, {"a\r\nb", 0, 2}, {"a\n", 0, 2}};
	for (const count_case& c : cases) {
		SCOPED_TRACE(c.text);
		EXPECT_EQ(f->get_line_count(c.text, c.width), c.want);
	}
	EXPECT_EQ(f->get_line_count(nullptr, nullptr, 100), 0);
	const float w = f->measure_string(para) / 3 + 5;
	EXPECT_EQ(f->get_line_count(para, w), static_cast<int>(lines(*f, para, w).size()));
	EXPECT_GE(f->get_line_count(b, b + para.size(), w), 3);
}

TEST(FontEngine, OutlineAtlasHasTwoChannels)
{
	auto plain = make_font(fx_solid);
	auto outlined = make_font(fx_outline, 0.05f);
	EXPECT_FALSE(plain->is_two_channel());
	EXPECT_EQ(plain->bytes_per_texel(), 1);
	ASSERT_TRUE(outlined->is_two_channel());
	EXPECT_EQ(outlined->bytes_per_texel(), 2);
	// The outline makes the cell larger than the plain glyph's and fills channel 1 around it.
	const OGL_char_info* p = plain->find_char('O');
	const OGL_char_info* o = outlined->find_char('O');
	ASSERT_TRUE(p && o);
	EXPECT_GT(o->cell[2] - o->cell[0], p->cell[2] - p->cell[0]);
	const unsigned char* px = outlined->atlas_pixels();
	const int w = outlined->atlas_width();
	int ch0 = 0, ch1 = 0, both_full = 0;
	for (int y = o->cell[1]; y < o->cell[3]; ++y)
		for (int x = o->cell[0]; x < o->cell[2]; ++x) {
			const unsigned char* t = px + (y * w + x) * 2;
			ch0 += t[0] > 0;
			ch1 += t[1] > 0;
			both_full += t[0] == 255 && t[1] == 255;
		}
	EXPECT_GT(ch0, 0);
	EXPECT_GT(ch1, 0);
	EXPECT_EQ(both_full, 0) << "the glyph channel is cut back under the outline";
	EXPECT_NEAR(outlined->get_fx_padding_v(), std::ceil(0.05f * 14), 0.01f);
}

TEST(FontEngine, ShinySplitsCoverageByRowAndBlurSpreadsIt)
{
	auto shiny = make_font(fx_shiny, 0.5f);
	auto blur = make_font(fx_blur, 0.1f);
	auto plain = make_font(fx_solid);
	ASSERT_TRUE(shiny->is_two_channel());
	const OGL_char_info* s = shiny->find_char('I');
	ASSERT_NE(s, nullptr);
	const int w = shiny->atlas_width();
	const int h = s->cell[3] - s->cell[1];
	const int mid_x = (s->cell[0] + s->cell[2]) / 2;
	auto texel = [&](int row) { return shiny->atlas_pixels() + ((s->cell[1] + row) * w + mid_x) * 2; };
	// In the middle row nothing moves to channel 1; at the ends the shine takes coverage.
	EXPECT_EQ(texel(h / 2)[1], 0);
	EXPECT_GT(texel(1)[1] + texel(h - 2)[1], 0);
	// Blur grows the cell by ceil(2 x radius) on each side: radius = 14 x 0.1.
	const OGL_char_info* b = blur->find_char('I');
	const OGL_char_info* p = plain->find_char('I');
	const int grow = static_cast<int>(std::ceil(2 * 14 * 0.1f));
	EXPECT_EQ((b->cell[2] - b->cell[0]) - (p->cell[2] - p->cell[0]), 2 * grow);
	EXPECT_FALSE(blur->is_two_channel());
}

TEST(FontEngine, DigitRangePreloadsOnlyDigitsAndPunctuation)
{
	auto f = make_font(fx_solid, 0, 1, false, OGL_font::range_digits);
	EXPECT_NE(f->find_char('7'), nullptr);
	EXPECT_NE(f->find_char('.'), nullptr);
	EXPECT_EQ(f->find_char('a'), nullptr);
	auto g = make_font(fx_solid, 0, 1, false, OGL_font::range_ascii);
	EXPECT_NE(g->find_char('a'), nullptr);
	EXPECT_LE(g->atlas_width(), 1024);
	EXPECT_EQ(g->atlas_width() & (g->atlas_width() - 1), 0);
}

TEST(FontEngine, RussianRendersNarrower)
{
	UTL_set_lang_index(3);
	auto ru = make_font();
	UTL_set_lang_index(0);
	auto en = make_font();
	const float wr = ru->measure_string("Installer MMMM"), we = en->measure_string("Installer MMMM");
	EXPECT_NEAR(wr / we, 0.9f, 0.02f);
}

TEST(FontTable, TypesAndStyles)
{
	cmdline.force_no_alerts();
	EXPECT_EQ(font_from_enum(static_cast<gui_font_type>(16)), nullptr);
	EXPECT_EQ(font_from_enum(static_cast<gui_font_type>(-1)), nullptr);
	OGL_font* std_font = font_from_enum(font_std);
	ASSERT_NE(std_font, nullptr);
	EXPECT_EQ(font_from_enum(font_std), std_font);
	EXPECT_EQ(std_font->face_count(), 2) << "primary and the fallback face";
	EXPECT_FLOAT_EQ(std_font->point_size(), 10.5f);
	OGL_font* banner = font_from_enum(font_banner);
	ASSERT_NE(banner, nullptr);
	EXPECT_TRUE(banner->is_two_channel());

	struct style_case {
		int style, font, color;
	} cases[] = {{0, 0, 72}, {1, 0, 96}, {2, 5, 53}, {17, 11, 72}, {25, 15, 55}, {47, 3, 53}, {50, 2, 72}, {51, -1, 72}};
	for (const style_case& c : cases) {
		SCOPED_TRACE(c.style);
		gui_font_style_info st;
		font_style_from_enum(static_cast<gui_font_style>(c.style), &st);
		EXPECT_EQ(st.main_font_type, c.font);
		EXPECT_EQ(st.main_color, c.color);
		EXPECT_EQ(st.underlay_font_type, -1);
		EXPECT_EQ(st.get_main_font(), c.font >= 0 ? font_from_enum(static_cast<gui_font_type>(c.font)) : nullptr);
		EXPECT_EQ(st.get_underlay_font(), nullptr);
	}
	gui_font_style_info none;
	EXPECT_EQ(none.get_main_font(), nullptr);
	EXPECT_EQ(none.main_color, 72);
	EXPECT_EQ(none.underlay_alpha, 1.0f);
}

// Whether s is a sequence of whole UTF-8 characters (decodes without a replacement).
bool whole_utf8(const std::string& s)
{
	const char* p = s.data();
	const char* e = p + s.size();
	while (p < e)
		if (OGL_utf8_next(p, e) == 0xFFFD)
			return false;
	return true;
}

TEST(FontTable, EllipsisCutNeverSplitsACharacter)
{
	auto f = make_font();
	const std::string kanji = utf8(0x65E5) + utf8(0x672C) + utf8(0x8A9E);
	const std::string texts[] = {"Continue with the update", "Ελληνικά κείμενα εδώ", kanji + kanji + kanji,
	                             "a" + utf8(0x1F600) + "bcdefgh" + utf8(0x00E9) + utf8(0x00E9) + "xyz"};
	for (const std::string& t : texts) {
		const float full = f->measure_string(t);
		for (float frac : {0.2f, 0.4f, 0.6f, 0.8f}) {
			SCOPED_TRACE(t + " at " + std::to_string(frac));
			const std::string cut = gui_cut_text_to_width(f.get(), t, full * frac);
			ASSERT_GE(cut.size(), 3u);
			EXPECT_EQ(cut.substr(cut.size() - 3), "...");
			const std::string head = cut.substr(0, cut.size() - 3);
			EXPECT_TRUE(whole_utf8(head));
			EXPECT_EQ(t.compare(0, head.size(), head), 0) << "a prefix of the text";
			// Fits, unless only the three-character minimum is left.
			int chars = 0;
			for (const char* p = head.data(); p < head.data() + head.size(); ++chars)
				OGL_utf8_next(p, head.data() + head.size());
			if (chars > 3) {
				EXPECT_LE(f->measure_string(cut), full * frac);
			}
		}
		EXPECT_EQ(gui_cut_text_to_width(f.get(), t, full + 1), t);
	}
}

TEST(FontUtf8, StepsOverWholeSequences)
{
	struct seq_case {
		std::string bytes;
		std::vector<unsigned> cps;
	} cases[] = {
		{"a\xC3\xA9z", {'a', 0xE9, 'z'}},
		{"\xE6\x97\xA5", {0x65E5}},
		{"\xF0\x9F\x98\x80!", {0x1F600, '!'}},
		{"\xE6\x97", {0xFFFD, 0xFFFD}},  // cut short
		{"\x80x", {0xFFFD, 'x'}},        // a stray continuation byte
		{"\xC3(", {0xFFFD, '('}},
	};
	for (const seq_case& c : cases) {
		std::vector<unsigned> got;
		const char* p = c.bytes.data();
		const char* e = p + c.bytes.size();
		while (p < e)
			got.push_back(OGL_utf8_next(p, e));
		EXPECT_EQ(got, c.cps) << c.bytes;
		// Walking back finds the same boundaries.
		std::vector<unsigned> back;
		const char* q = e;
		while (q > c.bytes.data()) {
			const char* s = OGL_utf8_prev(c.bytes.data(), q);
			const char* r = s;
			back.insert(back.begin(), OGL_utf8_next(r, q));
			q = s;
		}
		EXPECT_EQ(back, c.cps) << c.bytes;
	}
}

}  // namespace
