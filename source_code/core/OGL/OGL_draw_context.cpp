#include "core/OGL/OGL_draw_context.h"

#include <cstring>

#include "core/OGL/OGL_blend.h"
#include "core/OGL/OGL_colors.h"
#include "core/OGL/OGL_font.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"
#include "core/OGL/OGL_program.h"
#include "core/TEX/tman_class.h"

OGL_draw_context::~OGL_draw_context()
{
	// The buffers die with their context; at exit it may already be gone.
}

void OGL_draw_context::init(int vertex_capacity, int index_capacity)
{
	vert_cap_ = vertex_capacity > 64 ? vertex_capacity : 64;
	index_cap_ = index_capacity > 64 ? index_capacity : 64;
	verts_.assign(static_cast<size_t>(vert_cap_) * 4, 0.0f);
	indices_.assign(index_cap_, 0);
	const OGL_std_program& sp = OGL_get_std_program();
	glUseProgram(sp.program);
	if (!vao_) {
		glGenVertexArrays(1, &vao_);
		glGenBuffers(1, &vbo_);
		glGenBuffers(1, &ibo_);
	}
	glBindVertexArray(vao_);
	glBindBuffer(GL_ARRAY_BUFFER, vbo_);
	glBufferData(GL_ARRAY_BUFFER, verts_.size() * sizeof(float), nullptr, GL_STREAM_DRAW);
	OGL_set_std_vertex_layout();
	glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
	glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices_.size() * sizeof(unsigned), nullptr, GL_STREAM_DRAW);
	vert_used_ = index_used_ = 0;
	cmds_.clear();
}

void OGL_draw_context::start_using_ctx()
{
	restore_fixed_state();
	cur_tex_ = nullptr;
	tex_set_ = false;
	for (float& c : cur_color_)
		c = -1;
	recorded_mv_serial_ = 0;
	scissor_state_ = -1;
}

void OGL_draw_context::stop_using_ctx()
{
	flush(true);
	cur_tex_ = nullptr;
	tex_set_ = false;
	for (float& c : cur_color_)
		c = -1;
	recorded_mv_serial_ = 0;
	scissor_state_ = -1;
	for (int& p : scissor_pix_)
		p = -1;
}

void OGL_draw_context::restore_fixed_state()
{
	const OGL_std_program& sp = OGL_get_std_program();
	glUseProgram(sp.program);
	glBindVertexArray(vao_);
	OGL_reset_std_state();
}

void OGL_draw_context::set_texture(TEX_obj* tex)
{
	if (tex_set_ && tex == cur_tex_)
		return;
	ctx_cmd c{ctx_bind_texture};
	c.texture = tex;
	cmds_.push_back(c);
	cur_tex_ = tex;
	tex_set_ = true;
}

void OGL_draw_context::set_color(int color, float alpha)
{
	float rgb[3];
	OGL_get_color(color, rgb);
	set_color(rgb[0], rgb[1], rgb[2], alpha);
}

void OGL_draw_context::set_color(float r, float g, float b, float a)
{
	if (cur_color_[0] == r && cur_color_[1] == g && cur_color_[2] == b && cur_color_[3] == a)
		return;
	ctx_cmd c{ctx_set_color};
	c.v[0] = r, c.v[1] = g, c.v[2] = b, c.v[3] = a;
	cmds_.push_back(c);
	cur_color_[0] = r, cur_color_[1] = g, cur_color_[2] = b, cur_color_[3] = a;
}

void OGL_draw_context::record_matrix_if_changed()
{
	const unsigned serial = OGL_modelview_serial();
	if (recorded_mv_serial_ == serial)
		return;
	ctx_cmd c{ctx_load_matrix};
	memcpy(c.v, OGL_get_modelview(), sizeof(c.v));
	cmds_.push_back(c);
	recorded_mv_serial_ = serial;
}

int OGL_draw_context::get_chunk(unsigned primitive, int vertices, float** out)
{
	return get_chunk_indexed(primitive, vertices, 0, out, nullptr);
}

int OGL_draw_context::get_chunk_indexed(unsigned primitive, int vertices, int indices, float** out,
                                        unsigned** out_indices)
{
	if (vert_used_ + vertices > vert_cap_ || index_used_ + indices > index_cap_) {
		flush(false);
		// A chunk larger than the whole buffer grows it rather than overrunning it.
		if (vertices > vert_cap_) {
			vert_cap_ = vertices;
			verts_.resize(static_cast<size_t>(vert_cap_) * 4);
		}
		if (indices > index_cap_) {
			index_cap_ = indices;
			indices_.resize(index_cap_);
		}
	}
	record_matrix_if_changed();
	const int first_vertex = vert_used_;
	*out = verts_.data() + static_cast<size_t>(vert_used_) * 4;
	vert_used_ += vertices;
	if (indices > 0) {
		*out_indices = indices_.data() + index_used_;
		// Independent triangles that follow each other share one draw call.
		if (!cmds_.empty() && primitive == GL_TRIANGLES && cmds_.back().kind == ctx_draw_elements &&
		    cmds_.back().primitive == GL_TRIANGLES && cmds_.back().first + cmds_.back().count == index_used_) {
			cmds_.back().count += indices;
		} else {
			ctx_cmd c{ctx_draw_elements};
			c.primitive = primitive;
			c.first = index_used_;
			c.count = indices;
			cmds_.push_back(c);
		}
		index_used_ += indices;
	} else {
		if (out_indices)
			*out_indices = nullptr;
		ctx_cmd c{ctx_draw_arrays};
		c.primitive = primitive;
		c.first = first_vertex;
		c.count = vertices;
		cmds_.push_back(c);
	}
	return first_vertex;
}

void OGL_draw_context::set_scissors_mv(float x, float y, float w, float h)
{
	if (scissor_state_ == 1 && scissor_rect_[0] == x && scissor_rect_[1] == y && scissor_rect_[2] == w &&
	    scissor_rect_[3] == h)
		return;
	flush(true);
	int px[4];
	OGL_scissor_rect_for_mv(x, y, w, h, px);
	if (memcmp(px, scissor_pix_, sizeof(px)) != 0) {
		glScissor(px[0], px[1], px[2], px[3]);
		memcpy(scissor_pix_, px, sizeof(px));
	}
	glEnable(GL_SCISSOR_TEST);
	scissor_state_ = 1;
	scissor_rect_[0] = x, scissor_rect_[1] = y, scissor_rect_[2] = w, scissor_rect_[3] = h;
}

void OGL_draw_context::set_scissors_none()
{
	if (scissor_state_ == 0)
		return;
	flush(true);
	glDisable(GL_SCISSOR_TEST);
	scissor_state_ = 0;
}

void OGL_draw_context::draw_string(int layer, OGL_font* font, int color, int second_color, float x, float y,
                                   const char* begin, const char* end, float fixed_advance, float wrap_width,
                                   just_t just, float alpha)
{
	if (!font || !begin || begin >= end || *begin == 0 || layer < 0)
		return;
	if (static_cast<int>(layers_.size()) <= layer)
		layers_.resize(layer + 1);
	layers_[layer][font_choice_t{font, color, second_color, alpha}].push_back(
		font_call_t{std::string(begin, end), x, y, fixed_advance, wrap_width, just});
}

void OGL_draw_context::draw_string(int layer, OGL_font* font, int color, int second_color, float x, float y,
                                   const std::string& s, float fixed_advance, float wrap_width, just_t just, float alpha)
{
	draw_string(layer, font, color, second_color, x, y, s.data(), s.data() + s.size(), fixed_advance, wrap_width, just,
	            alpha);
}

int OGL_draw_context::pending_text_calls() const
{
	int n = 0;
	for (const auto& layer : layers_)
		for (const auto& kv : layer)
			n += static_cast<int>(kv.second.size());
	return n;
}

void OGL_draw_context::flush_layers_if_needed()
{
	for (const auto& layer : layers_)
		if (!layer.empty()) {
			flush(true);
			return;
		}
}

void OGL_draw_context::execute()
{
	if (cmds_.empty()) {
		vert_used_ = index_used_ = 0;
		return;
	}
	const OGL_std_program& sp = OGL_get_std_program();
	glUseProgram(sp.program);
	glBindVertexArray(vao_);
	glBindBuffer(GL_ARRAY_BUFFER, vbo_);
	glBufferData(GL_ARRAY_BUFFER, verts_.size() * sizeof(float), nullptr, GL_STREAM_DRAW);
	if (vert_used_ > 0)
		glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<size_t>(vert_used_) * 4 * sizeof(float), verts_.data());
	if (index_used_ > 0) {
		glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices_.size() * sizeof(unsigned), nullptr, GL_STREAM_DRAW);
		glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<size_t>(index_used_) * sizeof(unsigned), indices_.data());
	}
	for (const ctx_cmd& c : cmds_) {
		switch (c.kind) {
		case ctx_bind_texture: {
			TEX_obj* t = c.texture ? c.texture : tman.white_obj();
			if (t)
				t->bind(0);
			break;
		}
		case ctx_set_color: glUniform4fv(sp.u_color, 1, c.v); break;
		case ctx_load_matrix: OGL_sync_transform_with_modelview(sp.program, c.v); break;
		case ctx_draw_arrays: glDrawArrays(c.primitive, c.first, c.count); break;
		case ctx_draw_elements:
			glDrawElements(c.primitive, c.count, GL_UNSIGNED_INT,
			               reinterpret_cast<void*>(static_cast<size_t>(c.first) * sizeof(unsigned)));
			break;
		}
	}
	cmds_.clear();
	vert_used_ = index_used_ = 0;
	++flushes_;
}

void OGL_draw_context::flush(bool with_text)
{
	execute();
	if (!with_text)
		return;
	bool any = false;
	for (const auto& layer : layers_)
		any = any || !layer.empty();
	if (!any)
		return;
	for (auto& layer : layers_) {
		for (auto& kv : layer) {
			const font_choice_t& fc = kv.first;
			fc.font->begin_multi_draw_range(fc.color, fc.second_color, fc.alpha, 0);
			for (const font_call_t& call : kv.second)
				fc.font->draw_range(fc.color, fc.second_color, call.x, call.y, call.text.data(),
				                    call.text.data() + call.text.size(), call.fixed_advance, call.wrap_width, call.just,
				                    fc.alpha);
			fc.font->end_multi_draw_range();
		}
		layer.clear();
	}
	restore_fixed_state();
	const OGL_std_program& sp = OGL_get_std_program();
	if (cur_color_[0] >= 0)
		glUniform4fv(sp.u_color, 1, cur_color_);
	if (tex_set_) {
		TEX_obj* t = cur_tex_ ? cur_tex_ : tman.white_obj();
		if (t)
			t->bind(0);
	}
	// The text used its own matrices; the next geometry records the model-view again.
	recorded_mv_serial_ = 0;
}

OGL_draw_context* OGL_main_draw_context()
{
	static OGL_draw_context ctx;
	return &ctx;
}
