#include "core/OGL/OGL_font_shader.h"

#include "core/OGL/OGL_blend.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"
#include "core/OGL/OGL_program.h"

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
			p.u_mvp = glGetUniformLocation(p.program, "u_mvp");
			p.u_color = glGetUniformLocation(p.program, "u_color");
			p.u_color2 = glGetUniformLocation(p.program, "u_color2");
			p.u_tex = glGetUniformLocation(p.program, "u_tex");
			glUseProgram(p.program);
			glUniform1i(p.u_tex, 0);
			OGL_set_transform_uniforms(p.program, p.u_mvp, -1, -1, -1);
		}
	}
	return p;
}

void OGL_apply_font_end_state()
{
	OGL_apply_blend();
	glDisable(GL_FRAMEBUFFER_SRGB);
}
