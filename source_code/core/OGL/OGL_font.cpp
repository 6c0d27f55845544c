// The font engine. Sections: FreeType and faces; glyphs and the atlas; measuring and
// wrapping; drawing; metrics.
#include "core/OGL/OGL_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_STROKER_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "core/OGL/OGL_colors.h"
#include "core/OGL/OGL_font_shader.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"
#include "core/OGL/OGL_quad_stream.h"
#include "core/OGL/OGL_utf8.h"
#include "core/TEX/tman_class.h"
#include "core/files/file_ops.h"
#include "core/files/resource_path.h"
#include "core/files/xmap_class.h"
#include "core/platform/wmgr_wins.h"
#include "core/thread/UTL_stat.h"
#include "core/ui/alert.h"
#include "core/ui/lang_setting.h"

const unsigned char g_font_gamma[256] = {
#define R16(b) b, b + 1, b + 2, b + 3, b + 4, b + 5, b + 6, b + 7, b + 8, b + 9, b + 10, b + 11, b + 12, b + 13, b + 14, b + 15
	R16(0), R16(16), R16(32), R16(48), R16(64), R16(80), R16(96), R16(112),
	R16(128), R16(144), R16(160), R16(176), R16(192), R16(208), R16(224), R16(240)
#undef R16
};

float g_font_tex_mem = 0;
static UTL_stat s_tex_mem_stat(&g_font_tex_mem, "font/tex_mem", 0);

// ---- FreeType and faces

namespace {
FT_Library s_ft = nullptr;
constexpr int k_lang_russian = 3;
// A glyph wider than the atlas: it advances like any other but is never drawn.
constexpr int k_err_too_wide = -1;

bool ft_start()
{
	if (s_ft)
		return true;
	if (FT_Init_FreeType(&s_ft) != 0) {
		s_ft = nullptr;
		RADAVI_alert("Unable to initialize freetype.", "", "", "", alert_mode_fatal_loc);
		return false;
	}
	return true;
}

bool is_break_slash(unsigned c) { return c == '/' || c == '\\'; }
}  // namespace

bool OGL_face_info::load(const std::string& p, float pixel_size, float slant)
{
	close();
	path = p;
	if (!ft_start())
		return false;
	FT_Error err;
	if (is_resource_path(p)) {
		std::string file = p;
		resolve_resource_path(file);
		if (!file_exists(file)) {
			RADAVI_alert("Error: unable to make font from file", p, "(We could not open the file and read its contents.)",
			             "", alert_mode_warning);
			return false;
		}
		err = FT_New_Face(s_ft, file.c_str(), 0, &face);
	} else {
		mapped = new xmap_class(p);
		if (!mapped->is_open() || mapped->size() == 0) {
			close();
			RADAVI_alert("Error: unable to make font from file", p, "(We could not open the file and read its contents.)",
			             "", alert_mode_warning);
			return false;
		}
		err = FT_New_Memory_Face(s_ft, reinterpret_cast<const FT_Byte*>(mapped->data()),
		                         static_cast<FT_Long>(mapped->size()), 0, &face);
	}
	if (err) {
		face = nullptr;
		close();
		RADAVI_alert("Error: unable to make font from file", p, "(Free-type could not process the .ttf file.)", "",
		             alert_mode_warning);
		return false;
	}
	if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(pixel_size * 64), 72, 72) != 0) {
		close();
		RADAVI_alert("Error: unable to set char size for font", p, "", "", alert_mode_warning);
		return false;
	}
	FT_Matrix m;
	m.xx = static_cast<FT_Fixed>((UTL_get_lang_index() == k_lang_russian ? 0.9 : 1.0) * 0x10000);
	m.xy = static_cast<FT_Fixed>(slant * 0x10000);
	m.yx = 0;
	m.yy = 0x10000;
	FT_Set_Transform(face, &m, nullptr);
	height = face->size->metrics.height / 64.0f;
	descent = -face->size->metrics.descender / 64.0f;
	ascent = face->size->metrics.ascender / 64.0f;
	return true;
}

void OGL_face_info::close()
{
	if (face)
		FT_Done_Face(face);
	face = nullptr;
	delete mapped;
	mapped = nullptr;
}

// ---- glyphs and the atlas

OGL_font::OGL_font(char_range_t range) : range_(range) { fx_ = g_font_fx[fx_solid]; }

OGL_font::~OGL_font()
{
	for (OGL_face_info& f : faces_)
		f.close();
	if (tex_ && !tman_class::destroyed())
		tex_->release_kill();
}

void OGL_font::clear(const std::string& path, font_fx_type fx, float ratio, float slant, float size, float scale)
{
	if (fx < 0 || fx >= fx_count)
		fx = fx_solid;
	fx_ = g_font_fx[fx];
	const int pixel_size = static_cast<int>(size * scale);
	fx_.configure_for_ratio(fx_, ratio, pixel_size);
	slant_ = slant;
	size_ = size;
	scale_ = scale > 0 ? scale : 1.0f;
	bpt_ = fx_.two_channel ? 2 : 1;
	if (!ft_start())
		return;
	const int k = range_ == range_digits ? 10 : range_ == range_ascii ? 64 : 200;
	atlas_w_ = std::clamp(1 << static_cast<int>(std::ceil(std::log2(std::max(1.0f, scale_ * size * k)))), 64, 1024);
	atlas_h_ = 0;
	pen_x_ = row_y_ = 1;
	row_h_ = 0;
	glyphs_.clear();
	g_font_tex_mem -= static_cast<float>(pixels_.size());
	pixels_.clear();
	pixels_.shrink_to_fit();
	for (OGL_face_info& f : faces_)
		f.close();
	faces_.clear();
	if (tex_ && !tman_class::destroyed())
		tex_->release_kill();
	tex_ = nullptr;
	dirty_ = false;
	add_face(path, size);
	preload();
}

void OGL_font::add_face(const std::string& path, float size)
{
	OGL_face_info f;
	if (f.load(path, size * scale_, slant_))
		faces_.push_back(f);
}

void OGL_font::preload()
{
	for (unsigned c = 32; c < 127; ++c) {
		if (range_ == range_digits && !(isdigit(static_cast<int>(c)) || ispunct(static_cast<int>(c))))
			continue;
		require_char(c);
	}
}

void OGL_font::grow_atlas(int rows)
{
	const size_t add = static_cast<size_t>(rows - atlas_h_) * atlas_w_ * bpt_;
	pixels_.resize(pixels_.size() + add, 0);
	g_font_tex_mem += static_cast<float>(add);
	atlas_h_ = rows;
}

const OGL_char_info* OGL_font::find_char(unsigned code) const
{
	auto it = glyphs_.find(code);
	return it == glyphs_.end() ? nullptr : &it->second;
}

namespace {
// A rendered glyph bitmap with its rows turned bottom first and passed through the gamma table.
struct glyph_bits {
	std::vector<unsigned char> px;
	int w = 0, h = 0, left = 0, top = 0;
	bool from(FT_Glyph g)
	{
		if (g->format != FT_GLYPH_FORMAT_BITMAP)
			return false;
		FT_BitmapGlyph bg = reinterpret_cast<FT_BitmapGlyph>(g);
		const FT_Bitmap& b = bg->bitmap;
		w = static_cast<int>(b.width);
		h = static_cast<int>(b.rows);
		left = bg->left;
		top = bg->top;
		px.assign(static_cast<size_t>(w) * h, 0);
		if (b.pixel_mode != FT_PIXEL_MODE_GRAY)
			return w == 0 || h == 0;
		for (int r = 0; r < h; ++r) {
			const unsigned char* src = b.buffer + r * b.pitch;
			unsigned char* dst = px.data() + (h - 1 - r) * w;
			for (int x = 0; x < w; ++x)
				dst[x] = g_font_gamma[src[x]];
		}
		return true;
	}
};
}  // namespace

float OGL_font::require_char(unsigned code)
{
	if (code == 9)
		return 0;
	auto found = glyphs_.find(code);
	if (found != glyphs_.end())
		return found->second.advance;

	OGL_char_info ci;
	ci.error = 17;  // no face has this character
	for (int fi = 0; fi < static_cast<int>(faces_.size()); ++fi) {
		FT_Face face = faces_[fi].face;
		const FT_UInt index = FT_Get_Char_Index(face, code);
		if (index == 0)
			continue;
		FT_Error err = FT_Load_Char(face, code, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT);
		FT_Glyph glyph = nullptr, stroke = nullptr;
		if (!err)
			err = FT_Get_Glyph(face->glyph, &glyph);
		if (err) {
			ci.error = err;
			break;
		}
		const float advance = glyph->advance.x / 65536.0f;
		if (fx_.two_channel && fx_.radius > 0 && glyph->format == FT_GLYPH_FORMAT_OUTLINE &&
		    FT_Glyph_Copy(glyph, &stroke) == 0) {
			FT_Stroker st;
			if (FT_Stroker_New(s_ft, &st) == 0) {
				FT_Stroker_Set(st, static_cast<FT_Fixed>(size_ * scale_ * 64 * fx_.ratio), FT_STROKER_LINECAP_ROUND,
				               FT_STROKER_LINEJOIN_ROUND, 0);
				if (FT_Glyph_Stroke(&stroke, st, 1) != 0) {
					FT_Done_Glyph(stroke);
					stroke = nullptr;
				}
				FT_Stroker_Done(st);
			} else {
				FT_Done_Glyph(stroke);
				stroke = nullptr;
			}
		}
		glyph_bits gb, sb;
		err = FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1);
		const bool gok = !err && gb.from(glyph);
		const bool sok = stroke && FT_Glyph_To_Bitmap(&stroke, FT_RENDER_MODE_NORMAL, nullptr, 1) == 0 && sb.from(stroke);
		FT_Done_Glyph(glyph);
		if (stroke)
			FT_Done_Glyph(stroke);
		if (!gok) {
			ci.error = err ? err : 1;
			break;
		}
		OGL_glyph_box gbox = {gb.left, gb.top - gb.h, gb.left + gb.w, gb.top};
		OGL_glyph_box sbox = {0, 0, 0, 0};
		if (sok)
			sbox[0] = sb.left, sbox[1] = sb.top - sb.h, sbox[2] = sb.left + sb.w, sbox[3] = sb.top;
		OGL_glyph_box cell;
		fx_.compute_bounds(fx_, gbox, sbox, cell);
		const int cw = std::max(0, cell[2] - cell[0]), ch = std::max(0, cell[3] - cell[1]);
		if (cw + 2 > atlas_w_) {
			ci.error = k_err_too_wide;
			ci.advance = advance;
			ci.face = fi;
			ci.glyph_index = static_cast<int>(index);
			break;
		}
		if (pen_x_ + cw > atlas_w_) {
			row_y_ += row_h_ + 1;
			pen_x_ = 1;
			row_h_ = 0;
		}
		row_h_ = std::max(row_h_, ch);
		if (row_y_ + row_h_ > atlas_h_)
			grow_atlas(row_y_ + row_h_);
		ci.glyph_index = static_cast<int>(index);
		ci.face = fi;
		ci.cell[0] = pen_x_;
		ci.cell[1] = row_y_;
		ci.cell[2] = pen_x_ + cw;
		ci.cell[3] = row_y_ + ch;
		ci.off_x = static_cast<float>(cell[0]);
		ci.off_y = static_cast<float>(cell[1]);
		ci.advance = advance;
		ci.error = 0;
		if (cw > 0 && ch > 0)
			fx_.composite_bitmap(fx_, gb.px.data(), gb.w, gb.h, pen_x_ + gbox[0] - cell[0], row_y_ + gbox[1] - cell[1],
			                     sok ? sb.px.data() : nullptr, sb.w, sb.h, pen_x_ + sbox[0] - cell[0],
			                     row_y_ + sbox[1] - cell[1], pixels_.data(), bpt_, atlas_w_ * bpt_, pen_x_, row_y_, cw,
			                     ch);
		dirty_ = true;
		pen_x_ += cw + 1;
		break;
	}
	glyphs_[code] = ci;
	return ci.error == 0 || ci.error == k_err_too_wide ? ci.advance : 0.0f;
}

void OGL_font::sync_tex()
{
	if (!dirty_)
		return;
	const int opt = 0x800000 | (fx_.two_channel ? 0x8740A : 0x87409);
	TEX_obj* t = atlas_h_ > 0 ? tman.load_texture_mem_obj(opt, pixels_.data(), atlas_w_, atlas_h_, "fontmgr") : nullptr;
	if (tex_)
		tex_->release_kill();
	tex_ = t;
	dirty_ = false;
}

float OGL_font::draw_char(unsigned code, float x, float y, OGL_quad_stream* stream)
{
	const OGL_char_info* c = find_char(code);
	if (!c || (c->error != 0 && c->error != k_err_too_wide))
		return 0;
	const int cw = c->cell[2] - c->cell[0], ch = c->cell[3] - c->cell[1];
	if (c->error == 0 && cw > 0 && ch > 0 && atlas_h_ > 0 && stream) {
		const float x0 = x + c->off_x / scale_, y0 = y + c->off_y / scale_;
		const float x1 = x0 + cw / scale_, y1 = y0 + ch / scale_;
		const float s0 = float(c->cell[0]) / atlas_w_, s1 = float(c->cell[2]) / atlas_w_;
		const float t0 = float(c->cell[1]) / atlas_h_, t1 = float(c->cell[3]) / atlas_h_;
		const float q[16] = {x0, y0, s0, t0, x0, y1, s0, t1, x1, y1, s1, t1, x1, y0, s1, t0};
		stream->add_quad(q);
	}
	return c->advance;
}

// ---- measuring and wrapping

float OGL_font::measure_string(const std::string& s) { return measure_range(s.data(), s.data() + s.size()); }

float OGL_font::measure_range(const char* begin, const char* end)
{
	if (!begin || begin >= end)
		return 0;
	int widest = 0;
	float line = 0;
	for (const char* p = begin; p < end;) {
		const unsigned c = OGL_utf8_next(p, end);
		if (c == 10) {
			widest = std::max(widest, static_cast<int>(line));
			line = 0;
			continue;
		}
		line += require_char(c);
	}
	widest = std::max(widest, static_cast<int>(line));
	return std::max(0.0f, widest / scale_);
}

const char* OGL_font::fit_forward(const char* begin, const char* end, float width, bool word_break)
{
	const float limit = width * scale_;
	float sum = 0;
	const char* last_space = nullptr;
	for (const char* p = begin; p < end;) {
		const char* q = p;
		const unsigned c = OGL_utf8_next(q, end);
		const float adv = require_char(c);
		if (sum + adv > limit)
			return (word_break && last_space) ? last_space + 1 : p;
		if (c == ' ')
			last_space = p;
		sum += adv;
		p = q;
	}
	return end;
}

const char* OGL_font::fit_reverse(const char* begin, const char* end, float width)
{
	const float limit = width * scale_;
	float sum = 0;
	const char* p = end;
	while (p > begin) {
		const char* q = OGL_utf8_prev(begin, p);
		const char* r = q;
		const float adv = require_char(OGL_utf8_next(r, p));
		if (sum + adv > limit)
			return p;
		sum += adv;
		p = q;
	}
	return begin;
}

void OGL_font::next_line(const char* begin, const char* end, float wrap_px, const char** line_end, const char** next)
{
	float sum = 0;
	const char* space_at = nullptr;    // a line may end here, before a space
	const char* after_slash = nullptr; // or here, after a separator
	for (const char* p = begin; p < end;) {
		const char* q = p;
		const unsigned c = OGL_utf8_next(q, end);
		if (c == 10 || c == 13) {
			*line_end = p;
			*next = (c == 13 && q < end && *q == '\n') ? q + 1 : q;
			return;
		}
		const float adv = require_char(c);
		if (wrap_px > 0 && p > begin && sum + adv > wrap_px) {
			const char* brk = std::max(space_at, after_slash);
			if (!brk)
				brk = p;
			*line_end = brk;
			while (brk < end && *brk == ' ')
				++brk;
			*next = brk;
			return;
		}
		if (c == ' ' && p > begin)
			space_at = p;
		if (is_break_slash(c) && q < end)
			after_slash = q;
		sum += adv;
		p = q;
	}
	*line_end = *next = end;
}

int OGL_font::get_line_count(const std::string& s, float width)
{
	return get_line_count(s.data(), s.data() + s.size(), width);
}

int OGL_font::get_line_count(const char* begin, const char* end, float width)
{
	if (!begin)
		return 0;
	if (begin >= end)
		return 1;
	const float wrap_px = (width > 0 && width < 9999) ? width * scale_ : 0;
	int n = 0;
	const char* p = begin;
	for (;;) {
		const char *le, *nx;
		next_line(p, end, wrap_px, &le, &nx);
		++n;
		if (nx >= end) {
			// A text that ends with a line break has an empty last line.
			if (le < end && (*le == '\n' || *le == '\r'))
				++n;
			return n;
		}
		p = nx;
	}
}

// ---- drawing

void OGL_font::bind_program(int color, int underlay_color, float alpha)
{
	const OGL_font_program& fp = OGL_get_font_program(fx_.two_channel);
	if (!fp.program)
		return;
	glUseProgram(fp.program);
	OGL_sync_std_transform(fp.program);
	float rgb[3];
	OGL_get_color(color, rgb);
	const float a = alpha > 0.99f ? 1.0f : alpha;
	glUniform4f(fp.u_color, rgb[0], rgb[1], rgb[2], a);
	if (fx_.two_channel) {
		// The same colour for both channels draws the whole glyph, outline included, in it.
		float rgb2[3];
		OGL_get_color(underlay_color, rgb2);
		glUniform4f(fp.u_color2, rgb2[0], rgb2[1], rgb2[2], a);
	}
}

void OGL_font::setup_ogl(int color, int underlay_color, float alpha, int depth_test)
{
	bind_program(color, underlay_color, alpha);
	glEnable(GL_BLEND);
	if (depth_test)
		glEnable(GL_DEPTH_TEST);
	else
		glDisable(GL_DEPTH_TEST);
	glDepthMask(GL_FALSE);
	glEnable(GL_FRAMEBUFFER_SRGB);
	OGL_shared_quad_stream()->begin();
	if (fx_.two_channel)
		glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

void OGL_font::begin_multi_draw_range(int color, int underlay_color, float alpha, int depth_test)
{
	if (multi_depth_++ == 0)
		setup_ogl(color, underlay_color, alpha, depth_test);
}

void OGL_font::end_multi_draw_range()
{
	if (multi_depth_ <= 0)
		return;
	if (--multi_depth_ > 0)
		return;
	OGL_shared_quad_stream()->end();
	OGL_apply_font_end_state();
}

float OGL_font::line_width_logical(const char* begin, const char* end, float fixed_advance)
{
	float w = 0;
	for (const char* p = begin; p < end;) {
		const float adv = require_char(OGL_utf8_next(p, end));
		w += fixed_advance != 0 ? fixed_advance : adv / scale_;
	}
	return w;
}

void OGL_font::draw_line(const char* begin, const char* end, float x, float y, float fixed_advance)
{
	OGL_quad_stream* qs = OGL_shared_quad_stream();
	for (const char* p = begin; p < end;) {
		const unsigned c = OGL_utf8_next(p, end);
		const float adv = draw_char(c, x, y, qs);
		x += fixed_advance != 0 ? fixed_advance : adv / scale_;
	}
}

void OGL_font::draw_range(int color, float x, float y, const char* begin, const char* end, float fixed_advance,
                          float wrap_width, just_t just, float alpha)
{
	draw_range(color, color, x, y, begin, end, fixed_advance, wrap_width, just, alpha);
}

void OGL_font::draw_range(int color, int underlay_color, float x, float y, const char* begin, const char* end,
                          float fixed_advance, float wrap_width, just_t just, float alpha)
{
	if (!begin || begin >= end || faces_.empty())
		return;
	// Without the text shader (a missing resource, logged once) nothing is drawn rather than boxes.
	if (!OGL_get_font_program(fx_.two_channel).program)
		return;
	x += wins.offset_x;
	y += wins.offset_y;
	// Every glyph of the text is in the atlas before it is uploaded and drawn.
	for (const char* p = begin; p < end;)
		require_char(OGL_utf8_next(p, end));
	const bool own_setup = multi_depth_ == 0;
	if (own_setup)
		setup_ogl(color, underlay_color, alpha, 0);
	if (dirty_) {
		OGL_shared_quad_stream()->flush();  // quads already queued use the old atlas
		sync_tex();
	}
	if (tex_)
		tex_->bind(0);
	const float wrap_px = (wrap_width > 0 && wrap_width < 9999) ? wrap_width * scale_ : 0;
	const float line_h = faces_[0].height / scale_;
	for (const char* p = begin; p < end;) {
		const char *le, *nx;
		next_line(p, end, wrap_px, &le, &nx);
		float lx = x;
		if (just != just_left) {
			const float w = line_width_logical(p, le, fixed_advance);
			lx = just == just_center ? x - w / 2 : x - w;
		}
		lx = std::floor(lx * scale_) / scale_;
		const float ly = std::floor(y * scale_) / scale_;
		draw_line(p, le, lx, ly, fixed_advance);
		y -= line_h;
		p = nx;
	}
	if (own_setup) {
		OGL_shared_quad_stream()->end();
		OGL_apply_font_end_state();
	}
}

// ---- metrics

float OGL_font::get_line_height() { return faces_.empty() ? -1 : faces_[0].height / scale_; }
float OGL_font::get_line_ascent() { return faces_.empty() ? -1 : faces_[0].ascent / scale_; }
float OGL_font::get_line_descent() { return faces_.empty() ? -1 : faces_[0].descent / scale_; }

float OGL_font::get_fx_padding_h()
{
	return fx_.pad_h / scale_ + std::max(get_line_ascent(), get_line_descent()) * slant_;
}

float OGL_font::get_fx_padding_v() { return fx_.pad_v / scale_; }

float OGL_font::get_minimum_height_for_aligned_text()
{
	if (faces_.empty())
		return 0;
	const float a = get_line_ascent(), d = get_line_descent();
	return std::ceil(a + d) + std::ceil(d);
}

float OGL_font::aligned_y_for_box(float y1, float y2)
{
	if (faces_.empty())
		return std::ceil((y1 + y2) / 2);
	return std::ceil(((y1 + y2) / 2 - get_line_ascent() / 2) * scale_) / scale_;
}
