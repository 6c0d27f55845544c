#pragma once
// A stream of textured quads (four corners of x, y, s, t, clockwise from the lower left),
// drawn as indexed triangles with whatever program and texture are bound. Flushed every
// 1024 quads and at end().

class OGL_quad_stream {
public:
	enum { max_quads = 1024 };
	OGL_quad_stream() = default;
	~OGL_quad_stream();
	OGL_quad_stream(const OGL_quad_stream&) = delete;
	OGL_quad_stream& operator=(const OGL_quad_stream&) = delete;

	void begin();
	// v: 16 floats, corners lower-left, upper-left, upper-right, lower-right.
	void add_quad(const float v[16]);
	void flush();
	void end();
	bool active() const { return active_; }
	int pending() const { return count_; }
	int draws() const { return draws_; }  // draw calls made so far (statistics)

private:
	void make_buffers();
	float verts_[max_quads * 16];
	int count_ = 0;
	bool active_ = false;
	unsigned vao_ = 0, vbo_ = 0, ibo_ = 0;
	int draws_ = 0;
};

// The quad stream that every font draws through.
OGL_quad_stream* OGL_shared_quad_stream();
