#include "core/OGL/OGL_program.h"

#include <vector>

#include "core/OGL/OGL_blend.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"
#include "core/files/xmap_class.h"
#include "core/ui/log.h"

namespace {

unsigned compile(GLenum kind, const std::string& src, const std::string& label)
{
	const unsigned s = glCreateShader(kind);
	const char* p = src.c_str();
	glShaderSource(s, 1, &p, nullptr);
	glCompileShader(s);
	GLint ok = 0;
	glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
	if (!ok) {
		GLint n = 0;
		glGetShaderiv(s, GL_INFO_LOG_LENGTH, &n);
		std::vector<char> msg(n > 1 ? n : 1);
		glGetShaderInfoLog(s, static_cast<GLsizei>(msg.size()), nullptr, msg.data());
		skyvane_log_write(log_error, "OGL", "Shader %s (%s) did not compile: %s", label.c_str(),
		                  kind == GL_VERTEX_SHADER ? "vertex" : "fragment", msg.data());
		glDeleteShader(s);
		return 0;
	}
	return s;
}

const char* k_std_vs = R"(#version 330 core
layout(location = 0) in vec2 a_pos;
layout(location = 1) in vec2 a_uv;
uniform mat4 u_mvp;
out vec2 v_uv;
void main() { v_uv = a_uv; gl_Position = u_mvp * vec4(a_pos, 0.0, 1.0); }
)";

const char* k_std_fs = R"(#version 330 core
in vec2 v_uv;
uniform sampler2D u_tex;
uniform vec4 u_color;
out vec4 o_color;
void main() { o_color = texture(u_tex, v_uv) * u_color; }
)";

thread_local OGL_std_program t_std;

}  // namespace

unsigned OGL_build_program(const std::string& vs, const std::string& fs, const std::string& label)
{
	const unsigned v = compile(GL_VERTEX_SHADER, vs, label);
	const unsigned f = v ? compile(GL_FRAGMENT_SHADER, fs, label) : 0;
	if (!v || !f) {
		if (v)
			glDeleteShader(v);
		return 0;
	}
	const unsigned p = glCreateProgram();
	glAttachShader(p, v);
	glAttachShader(p, f);
	glBindAttribLocation(p, 0, "a_pos");
	glBindAttribLocation(p, 1, "a_uv");
	glLinkProgram(p);
	glDeleteShader(v);
	glDeleteShader(f);
	GLint ok = 0;
	glGetProgramiv(p, GL_LINK_STATUS, &ok);
	if (!ok) {
		char msg[1024] = {0};
		glGetProgramInfoLog(p, sizeof(msg), nullptr, msg);
		skyvane_log_write(log_error, "OGL", "Program %s did not link: %s", label.c_str(), msg);
		glDeleteProgram(p);
		return 0;
	}
	return p;
}

unsigned OGL_build_program_from_file(const std::string& path, const std::string& defines)
{
	xmap_class file(path);
	if (!file.is_open() || file.size() == 0) {
		skyvane_log_write(log_error, "OGL", "Shader file missing: %s", path.c_str());
		return 0;
	}
	const std::string body(file.data(), file.size());
	const std::string head = "#version 330 core\n" + defines;
	return OGL_build_program(head + "#define VERTEX\n#line 1\n" + body, head + "#define FRAGMENT\n#line 1\n" + body, path);
}

void OGL_setup_std_uniforms(OGL_std_program& p)
{
	p.u_mvp = glGetUniformLocation(p.program, "u_mvp");
	p.u_color = glGetUniformLocation(p.program, "u_color");
	p.u_tex = glGetUniformLocation(p.program, "u_tex");
	glUseProgram(p.program);
	glUniform1i(p.u_tex, 0);
	OGL_set_transform_uniforms(p.program, p.u_mvp, -1, -1, -1);
}

const OGL_std_program& OGL_get_std_program()
{
	if (!t_std.program) {
		t_std.program = OGL_build_program(k_std_vs, k_std_fs, "2-D");
		if (t_std.program)
			OGL_setup_std_uniforms(t_std);
	}
	return t_std;
}

void OGL_set_std_vertex_layout()
{
	glEnableVertexAttribArray(0);
	glEnableVertexAttribArray(1);
	glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), reinterpret_cast<void*>(0));
	glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), reinterpret_cast<void*>(2 * sizeof(float)));
}

void OGL_reset_std_state()
{
	OGL_apply_blend();
	glDisable(GL_DEPTH_TEST);
	glDepthMask(GL_FALSE);
	glDisable(GL_FRAMEBUFFER_SRGB);
	glActiveTexture(GL_TEXTURE0);
}
