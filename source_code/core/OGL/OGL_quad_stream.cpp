#include "core/OGL/OGL_quad_stream.h"

#include <cstring>
#include <vector>

#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_program.h"

OGL_quad_stream::~OGL_quad_stream()
{
	// Buffers die with their context at exit; deleting here could touch a context that is gone.
}

void OGL_quad_stream::make_buffers()
{
	glGenVertexArrays(1, &vao_);
	glGenBuffers(1, &vbo_);
	glGenBuffers(1, &ibo_);
	glBindVertexArray(vao_);
	glBindBuffer(GL_ARRAY_BUFFER, vbo_);
	glBufferData(GL_ARRAY_BUFFER, sizeof(verts_), nullptr, GL_STREAM_DRAW);
	OGL_set_std_vertex_layout();
	std::vector<unsigned> idx(max_quads * 6);
	for (unsigned q = 0; q < max_quads; ++q) {
		const unsigned b = q * 4;
		const unsigned tri[6] = {b, b + 1, b + 2, b, b + 2, b + 3};
		memcpy(&idx[q * 6], tri, sizeof(tri));
	}
	glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
	glBufferData(GL_ELEMENT_ARRAY_BUFFER, idx.size() * sizeof(unsigned), idx.data(), GL_STATIC_DRAW);
}

void OGL_quad_stream::begin()
{
	active_ = true;
	count_ = 0;
}

void OGL_quad_stream::add_quad(const float v[16])
{
	memcpy(verts_ + count_ * 16, v, 16 * sizeof(float));
	if (++count_ == max_quads)
		flush();
}

void OGL_quad_stream::flush()
{
	if (count_ == 0)
		return;
	if (!vao_)
		make_buffers();
	glBindVertexArray(vao_);
	glBindBuffer(GL_ARRAY_BUFFER, vbo_);
	// Orphan the store so the driver need not wait for the previous draw.
	glBufferData(GL_ARRAY_BUFFER, sizeof(verts_), nullptr, GL_STREAM_DRAW);
	glBufferSubData(GL_ARRAY_BUFFER, 0, count_ * 16 * sizeof(float), verts_);
	glDrawElements(GL_TRIANGLES, count_ * 6, GL_UNSIGNED_INT, nullptr);
	++draws_;
	count_ = 0;
}

void OGL_quad_stream::end()
{
	flush();
	active_ = false;
}

OGL_quad_stream* OGL_shared_quad_stream()
{
	thread_local OGL_quad_stream* s = new OGL_quad_stream;
	return s;
}
