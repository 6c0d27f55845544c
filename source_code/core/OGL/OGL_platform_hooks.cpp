#include "core/OGL/OGL_platform_hooks.h"

#include "core/OGL/OGL_blend.h"
#include "core/OGL/OGL_draw_context.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"
#include "core/OGL/OGL_program.h"
#include "core/OGL/OGL_state.h"
#include "core/platform/wmgr_hooks.h"

namespace {

OGL_state_record* main_record()
{
	static OGL_state_record* r = new OGL_state_record;
	return r;
}

void* create_record(bool main) { return main ? main_record() : new OGL_state_record; }

void free_record(void* rec)
{
	if (rec && rec != main_record()) {
		if (OGL_state_current() == rec)
			OGL_state_set_current(main_record());
		delete static_cast<OGL_state_record*>(rec);
	}
}

void make_current(void* rec) { OGL_state_set_current(rec ? static_cast<OGL_state_record*>(rec) : main_record()); }

void reset_state()
{
	glBindFramebuffer(GL_FRAMEBUFFER, 0);
	glDisable(GL_SCISSOR_TEST);
	OGL_reset_std_state();
}

void flush_drawing()
{
	OGL_draw_context* c = OGL_main_draw_context();
	if (c->initialised())
		c->flush(true);
}

}  // namespace

void OGL_init_context_state(int fsaa)
{
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
	OGL_state_current()->blend_target = ogl_blend_window;
	OGL_state_current()->blend_mode = ogl_blend_normal;
	OGL_apply_blend();
	glDepthFunc(GL_LEQUAL);
	glDepthMask(GL_FALSE);
	glDisable(GL_DEPTH_TEST);
	glEnable(GL_CULL_FACE);
	glCullFace(GL_BACK);
	glFrontFace(GL_CW);
	glDisable(GL_STENCIL_TEST);
	glDisable(GL_SCISSOR_TEST);
	glDisable(GL_COLOR_LOGIC_OP);
	glEnable(GL_DITHER);
	if (fsaa > 0)
		glEnable(GL_MULTISAMPLE);
	else
		glDisable(GL_MULTISAMPLE);
	OGL_state_forget_bindings();
	OGL_forget_viewport();
}

void OGL_set_2d_projection(float left, float bottom, float right, float top, int vw, int vh)
{
	OGL_MatrixMode(GL_PROJECTION);
	OGL_LoadIdentity();
	OGL_Ortho(left, right, bottom, top, -1, 1);
	OGL_MatrixMode(GL_MODELVIEW);
	OGL_LoadIdentity();
	OGL_Viewport(0, 0, vw, vh);
}

void OGL_install_platform_hooks()
{
	OGL_state_set_current(main_record());
	wmgr_render_hooks h;
	h.create_state_record = create_record;
	h.free_state_record = free_record;
	h.make_state_record_current = make_current;
	h.init_context_state = OGL_init_context_state;
	h.init_extensions = nullptr;
	h.reset_state = reset_state;
	h.set_projection = OGL_set_2d_projection;
	h.flush = flush_drawing;
	wmgr_set_render_hooks(h);
}
