#include "core/OGL/OGL_font_shader.h"

#include "core/OGL/OGL_blend.h"
#include "core/OGL/OGL_gl.h"

namespace {
thread_local OGL_font_program t_prog[2];
thread_local bool t_tried[2] = {false, false};
}  // namespace

const OGL_font_program& OGL_get_font_program(bool two)
{
	OGL_font_program& p = t_prog[two ? 1 : 0];
	if (!p.program && !t_tried[two ? 1 : 0]) {
		t_tried[two ? 1 : 0] = true;
		p.program = OGL_build_program_from_file("RESOURCE:font.glsl", two ? "#define TWO_CHANNEL\n" : "");
		if (p.program) {
			OGL_setup_std_uniforms(p);
			p.u_color2 = glGetUniformLocation(p.program, "u_color2");
		}
	}
	return p;
}

void OGL_apply_font_end_state()
{
	OGL_apply_blend();
	glDisable(GL_FRAMEBUFFER_SRGB);
}
