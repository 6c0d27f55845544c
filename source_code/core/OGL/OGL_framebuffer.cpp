#include "core/OGL/OGL_framebuffer.h"

#include "core/OGL/OGL_gl.h"
#include "core/TEX/tman_class.h"
#include "core/ui/app_clock.h"
#include "core/ui/log.h"

OGL_framebuffer::~OGL_framebuffer()
{
	// Pool entries live until exit, when the context may be gone: nothing to delete here.
}

void OGL_framebuffer::set_render_size(int width, int height, ogl_fbo_mode mode)
{
	if (width == w_ && height == h_ && mode == mode_ && (tex_ || width <= 0 || height <= 0))
		return;
	if (tex_) {
		tex_->release_kill();
		tex_ = nullptr;
	}
	if (depth_) {
		glDeleteRenderbuffers(1, &depth_);
		depth_ = 0;
	}
	w_ = width > 0 ? width : 0;
	h_ = height > 0 ? height : 0;
	mode_ = mode;
	complete_ = false;
	if (w_ == 0 || h_ == 0)
		return;
	if (!fbo_)
		glGenFramebuffers(1, &fbo_);
	// RGBA, clamped, linear, full resolution: the picture is drawn back 1:1.
	tex_ = tman.load_texture_mem_obj(0x806402, nullptr, w_, h_, "library fbo");
	GLint prev = 0;
	glGetIntegerv(GL_FRAMEBUFFER_BINDING, &prev);
	glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
	glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, tex_ ? tex_->gl_name() : 0, 0);
	if (mode_ == fbo_color_depth) {
		glGenRenderbuffers(1, &depth_);
		glBindRenderbuffer(GL_RENDERBUFFER, depth_);
		glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w_, h_);
		glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
	}
	complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
	if (!complete_)
		skyvane_log_write(log_error, "OGL", "Framebuffer %d x %d is not complete", w_, h_);
	glBindFramebuffer(GL_FRAMEBUFFER, prev);
}

void OGL_framebuffer::begin_render()
{
	glGetIntegerv(GL_FRAMEBUFFER_BINDING, &prev_fbo_);
	glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
}

void OGL_framebuffer::end_render() { glBindFramebuffer(GL_FRAMEBUFFER, prev_fbo_); }

namespace {
struct pool_entry {
	OGL_framebuffer* fbo = nullptr;
	gui_fbo_purpose purpose = fbo_purpose_none;
	bool in_use = false;
	double returned_at = -1;
};
pool_entry s_pool[8];
bool s_pool_made = false;
}  // namespace

OGL_framebuffer* gui_borrow_fbo(int w, int h, gui_fbo_purpose purpose)
{
	if (!s_pool_made) {
		for (pool_entry& e : s_pool)
			e.fbo = new OGL_framebuffer;
		s_pool_made = true;
	}
	// Same purpose first, then one already large enough, then the smallest.
	int best = -1, best_rank = 0;
	long best_area = 0;
	for (int i = 0; i < 8; ++i) {
		const pool_entry& e = s_pool[i];
		if (e.in_use)
			continue;
		const long area = static_cast<long>(e.fbo->width()) * e.fbo->height();
		const int rank = e.purpose == purpose ? 0 : (e.fbo->width() >= w && e.fbo->height() >= h) ? 1 : 2;
		if (best < 0 || rank < best_rank || (rank == best_rank && area < best_area)) {
			best = i;
			best_rank = rank;
			best_area = area;
		}
	}
	if (best < 0)
		return nullptr;
	s_pool[best].in_use = true;
	s_pool[best].purpose = purpose;
	return s_pool[best].fbo;
}

void gui_return_fbo(OGL_framebuffer* fbo)
{
	for (pool_entry& e : s_pool)
		if (e.fbo == fbo && fbo) {
			e.in_use = false;
			e.returned_at = xtim.real_time;
		}
}

void gui_clean_fbo_cache_per_frame()
{
	for (pool_entry& e : s_pool)
		if (e.fbo && !e.in_use && e.returned_at >= 0 && xtim.real_time - e.returned_at > 5.0) {
			e.fbo->set_render_size(0, 0);
			e.returned_at = -1;
		}
}

bool gui_fbo_pool_entry(int i, OGL_framebuffer** fbo, bool* in_use, gui_fbo_purpose* purpose, double* returned_at)
{
	if (i < 0 || i >= 8 || !s_pool_made)
		return false;
	*fbo = s_pool[i].fbo;
	*in_use = s_pool[i].in_use;
	*purpose = s_pool[i].purpose;
	*returned_at = s_pool[i].returned_at;
	return true;
}
