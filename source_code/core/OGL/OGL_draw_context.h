#pragma once
// The 2-D command buffer every widget draws through. Geometry goes into two streaming
// buffers; texture, colour and matrix changes become commands; text waits in layers and is
// drawn after the geometry of the same batch. Everything queued reaches OpenGL at
// stop_using_ctx at the latest. Coordinates are logical units, y up; triangles are clockwise.
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/OGL/OGL_text_types.h"

class OGL_font;
class TEX_obj;

enum ctx_cmd_kind {
	ctx_bind_texture = 0,
	ctx_set_color = 1,
	ctx_load_matrix = 2,
	ctx_draw_arrays = 3,
	ctx_draw_elements = 4
};

struct ctx_cmd {
	ctx_cmd_kind kind;
	TEX_obj* texture = nullptr;
	float v[16] = {};            // colour (4) or matrix (16)
	unsigned primitive = 0;
	int first = 0, count = 0;    // vertices (arrays) or indices (elements)
};

struct font_choice_t {
	OGL_font* font;
	int color, second_color;
	float alpha;
	bool operator<(const font_choice_t& o) const
	{
		return std::tie(font, color, second_color, alpha) < std::tie(o.font, o.color, o.second_color, o.alpha);
	}
};

struct font_call_t {
	std::string text;
	float x, y, fixed_advance, wrap_width;
	just_t just;
};

class OGL_draw_context {
public:
	OGL_draw_context() = default;
	~OGL_draw_context();
	OGL_draw_context(const OGL_draw_context&) = delete;
	OGL_draw_context& operator=(const OGL_draw_context&) = delete;

	// Capacities in vertices and indices; needs the OpenGL context it will draw into.
	void init(int vertex_capacity, int index_capacity);
	void start_using_ctx();
	void stop_using_ctx();

	void set_texture(TEX_obj* tex);
	void set_color(int color, float alpha);
	void set_color(float r, float g, float b, float a);
	void set_scissors_mv(float x, float y, float w, float h);
	void set_scissors_none();

	// Room for n vertices of 4 floats (x, y, s, t) drawn as one primitive; returns the first
	// vertex's index. The indexed form also hands out room for the indices, which are absolute.
	int get_chunk(unsigned primitive, int vertices, float** out);
	int get_chunk_indexed(unsigned primitive, int vertices, int indices, float** out, unsigned** out_indices);

	void draw_string(int layer, OGL_font* font, int color, int second_color, float x, float y, const char* begin,
	                 const char* end, float fixed_advance, float wrap_width, just_t just, float alpha);
	void draw_string(int layer, OGL_font* font, int color, int second_color, float x, float y, const std::string& s,
	                 float fixed_advance, float wrap_width, just_t just, float alpha);
	void flush_layers_if_needed();
	// Executes everything queued; with_text also draws and clears the text layers.
	void flush(bool with_text);

	// Inspection for tests and statistics.
	const std::vector<ctx_cmd>& pending_commands() const { return cmds_; }
	int pending_vertices() const { return vert_used_; }
	int pending_text_calls() const;
	int flush_count() const { return flushes_; }
	bool initialised() const { return vao_ != 0; }

private:
	void record_matrix_if_changed();
	void restore_fixed_state();
	void execute();

	unsigned vao_ = 0, vbo_ = 0, ibo_ = 0;
	std::vector<float> verts_;
	std::vector<unsigned> indices_;
	int vert_cap_ = 0, index_cap_ = 0;
	int vert_used_ = 0, index_used_ = 0;
	std::vector<ctx_cmd> cmds_;
	TEX_obj* cur_tex_ = nullptr;
	bool tex_set_ = false;
	float cur_color_[4] = {-1, -1, -1, -1};
	unsigned recorded_mv_serial_ = 0;
	float recorded_mv_[16] = {};
	int scissor_state_ = -1;
	float scissor_rect_[4] = {0, 0, 0, 0};
	int scissor_pix_[4] = {-1, -1, -1, -1};
	std::vector<std::map<font_choice_t, std::vector<font_call_t>>> layers_;
	int flushes_ = 0;
};

// The draw context of the main window.
OGL_draw_context* OGL_main_draw_context();
