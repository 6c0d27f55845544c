#pragma once
// Off-screen render targets, and the pool of 8 that the toolkit borrows for compositing.

class TEX_obj;

enum ogl_fbo_mode { fbo_color = 1, fbo_color_depth = 2 };

class OGL_framebuffer {
public:
	OGL_framebuffer() = default;
	~OGL_framebuffer();
	OGL_framebuffer(const OGL_framebuffer&) = delete;
	OGL_framebuffer& operator=(const OGL_framebuffer&) = delete;

	// Pixel size and attachments; 0 x 0 releases the memory. The colour texture is RGBA.
	void set_render_size(int width, int height, ogl_fbo_mode mode = fbo_color_depth);
	// Draw into it (remembering the framebuffer bound before) and back.
	void begin_render();
	void end_render();

	int width() const { return w_; }
	int height() const { return h_; }
	TEX_obj* color_texture() const { return tex_; }
	unsigned gl_name() const { return fbo_; }
	bool complete() const { return complete_; }

private:
	unsigned fbo_ = 0, depth_ = 0;
	TEX_obj* tex_ = nullptr;
	int w_ = 0, h_ = 0;
	ogl_fbo_mode mode_ = fbo_color_depth;
	int prev_fbo_ = 0;
	bool complete_ = false;
};

enum gui_fbo_purpose {
	fbo_purpose_none = 0,
	fbo_purpose_composite = 1,  // a child drawn off-screen (floating windows, fades)
	fbo_purpose_snapshot = 2,   // a picture of a widget kept for an effect
	fbo_purpose_scratch = 3
};

// One of the pool's framebuffers not in use, or null when all 8 are. The caller sets the size.
OGL_framebuffer* gui_borrow_fbo(int width, int height, gui_fbo_purpose purpose);
void gui_return_fbo(OGL_framebuffer* fbo);
// End of frame: free framebuffers returned more than 5 seconds ago release their memory.
void gui_clean_fbo_cache_per_frame();
// Tests: in use, last purpose, return time (-1 never) of pool entry i (0..7).
bool gui_fbo_pool_entry(int i, OGL_framebuffer** fbo, bool* in_use, gui_fbo_purpose* purpose, double* returned_at);
