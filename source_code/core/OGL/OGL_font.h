#pragma once
// Fonts: glyphs rasterised on demand with FreeType into one growing atlas per font and drawn
// as textured quads. A font is a stack of faces (primary first, then fallbacks) at point size x
// backing scale pixels, optionally through a glyph effect that writes a second channel.
// Every metric that leaves the font is in logical units (pixels / scale), except the advances
// that require_char and draw_char return, which are pixels.
//
// Sections: effects; face and glyph records; OGL_font.
#include <string>
#include <unordered_map>
#include <vector>

#include "core/OGL/OGL_text_types.h"

class OGL_quad_stream;
class TEX_obj;
class xmap_class;
typedef struct FT_FaceRec_* FT_Face;

// ---- effects
enum font_fx_type { fx_solid = 0, fx_outline = 1, fx_blur = 2, fx_shiny = 3, fx_count = 4 };

struct OGL_font_fx;
// A glyph box: left, bottom, right, top in pixels from the pen position.
typedef int OGL_glyph_box[4];

struct OGL_font_fx {
	bool two_channel = false;
	float radius = 0;    // stroke radius as a ratio of the size (outline), blur sigma in pixels (blur)
	float ratio = 0;
	float strength = 0;  // shiny: coverage taken off per row away from the middle
	void (*configure_for_ratio)(OGL_font_fx& fx, float ratio, int pixel_size) = nullptr;
	void (*compute_bounds)(const OGL_font_fx& fx, const OGL_glyph_box glyph, const OGL_glyph_box stroke,
	                       OGL_glyph_box out) = nullptr;
	// Writes the glyph coverage (rows bottom first) at (gx, gy) and the stroke at (sx, sy) into
	// the cell of buffer that starts at (cell x, cell y) with the cell's width and height.
	void (*composite_bitmap)(const OGL_font_fx& fx, const unsigned char* glyph, int gw, int gh, int gx, int gy,
	                         const unsigned char* stroke, int sw, int sh, int sx, int sy, unsigned char* buffer,
	                         int bytes_per_texel, int row_bytes, int cell_x, int cell_y, int width,
	                         int height) = nullptr;
	int pad_h = 0, pad_v = 0;
};
extern const OGL_font_fx g_font_fx[fx_count];

// ---- face and glyph records
struct OGL_face_info {
	float height = 0, descent = 0, ascent = 0;  // pixels
	FT_Face face = nullptr;
	xmap_class* mapped = nullptr;  // backs a face read from a plain file
	std::string path;
	// False (after an alert) when the file cannot be read or parsed, or the size is refused.
	bool load(const std::string& path, float pixel_size, float slant);
	void close();
};

struct OGL_char_info {
	int glyph_index = 0;
	int face = -1;  // index into the font's faces
	int cell[4] = {0, 0, 0, 0};  // x1, y1, x2, y2 in texels
	float off_x = 0, off_y = 0;  // cell's lower-left from the pen, pixels
	float advance = 0;           // pixels
	int error = 0;               // 0 when the glyph exists
};

// ---- the font
class OGL_font {
public:
	enum char_range_t { range_digits = 0, range_ascii = 1, range_full = 2 };

	explicit OGL_font(char_range_t range);
	~OGL_font();
	OGL_font(const OGL_font&) = delete;
	OGL_font& operator=(const OGL_font&) = delete;

	void clear(const std::string& path, font_fx_type fx, float ratio, float slant, float size, float scale);
	void add_face(const std::string& path, float size);

	float require_char(unsigned code);  // advance in pixels
	void sync_tex();
	float draw_char(unsigned code, float x, float y, OGL_quad_stream* stream);

	float measure_string(const std::string& s);
	float measure_range(const char* begin, const char* end);
	const char* fit_forward(const char* begin, const char* end, float width, bool word_break);
	const char* fit_reverse(const char* begin, const char* end, float width);

	void setup_ogl(int color, int underlay_color, float alpha, int depth_test);
	void begin_multi_draw_range(int color, int underlay_color, float alpha, int depth_test);
	void end_multi_draw_range();
	void draw_range(int color, int underlay_color, float x, float y, const char* begin, const char* end,
	                float fixed_advance, float wrap_width, just_t just, float alpha);
	void draw_range(int color, float x, float y, const char* begin, const char* end, float fixed_advance,
	                float wrap_width, just_t just, float alpha);

	float get_line_height();
	float get_line_ascent();
	float get_line_descent();
	int get_line_count(const char* begin, const char* end, float width);
	int get_line_count(const std::string& s, float width);
	float get_fx_padding_h();
	float get_fx_padding_v();
	float get_minimum_height_for_aligned_text();
	float aligned_y_for_box(float y1, float y2);

	// Wrapping (also used by get_line_count, so counts match drawing): the end of the line that
	// starts at begin within wrap_px pixels (0 = no wrapping), and where the next line starts.
	// Breaks at "\n", "\r" (and "\r\n" as one), else at the last space or after a '/' or '\'
	// that fits, else before the first character that does not fit (never an empty line).
	void next_line(const char* begin, const char* end, float wrap_px, const char** line_end, const char** next);

	// Read access for tests, statistics and the draw context.
	bool is_two_channel() const { return fx_.two_channel; }
	int bytes_per_texel() const { return bpt_; }
	int atlas_width() const { return atlas_w_; }
	int atlas_height() const { return atlas_h_; }
	const unsigned char* atlas_pixels() const { return pixels_.data(); }
	const OGL_char_info* find_char(unsigned code) const;
	int face_count() const { return static_cast<int>(faces_.size()); }
	float scale() const { return scale_; }
	float point_size() const { return size_; }
	TEX_obj* texture() const { return tex_; }
	bool dirty() const { return dirty_; }
	float size_multiplier = 1.0f;

private:
	void preload();
	void grow_atlas(int rows);
	void bind_program(int color, int underlay_color, float alpha);
	void draw_line(const char* begin, const char* end, float x, float y, float fixed_advance);
	float line_width_logical(const char* begin, const char* end, float fixed_advance);

	TEX_obj* tex_ = nullptr;
	int multi_depth_ = 0;
	int atlas_w_ = 64, atlas_h_ = 0;
	bool dirty_ = false;
	int pen_x_ = 1, row_y_ = 1, row_h_ = 0;
	std::vector<OGL_face_info> faces_;
	std::unordered_map<unsigned, OGL_char_info> glyphs_;
	std::vector<unsigned char> pixels_;
	float scale_ = 1.0f;
	float size_ = 0;
	OGL_font_fx fx_;
	float slant_ = 0;
	char_range_t range_;
	int bpt_ = 1;
};

// The font gamma table (the identity).
extern const unsigned char g_font_gamma[256];
// Bytes the glyph atlases hold ("font/tex_mem").
extern float g_font_tex_mem;
