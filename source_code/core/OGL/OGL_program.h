#pragma once
// GLSL 330 programs: compiling, linking, and the text shader resource "font.glsl".
// A shader resource holds both stages: the loader puts "#version 330 core" and "#define VERTEX"
// or "#define FRAGMENT" (plus any variant defines) in front of it.
#include <string>

// 0 on failure (the log says why).
unsigned OGL_build_program(const std::string& vertex_src, const std::string& fragment_src, const std::string& label);
// Builds a program from a two-stage resource file with extra "#define" lines.
unsigned OGL_build_program_from_file(const std::string& path, const std::string& defines);

// The 2-D program of the draw context and the immediate primitives: position and texture
// coordinates in, texel x colour out. Every 2-D program has these uniforms.
struct OGL_std_program {
	unsigned program = 0;
	int u_mvp = -1, u_color = -1, u_tex = -1;
};
// For a built p.program: looks the uniforms up, points u_tex at texture unit 0 and has the
// matrix stack keep u_mvp current. Leaves the program in use.
void OGL_setup_std_uniforms(OGL_std_program& p);
const OGL_std_program& OGL_get_std_program();  // built on first use in the current context
// Vertex layout shared by every 2-D program: location 0 = x, y; location 1 = s, t (4 floats).
void OGL_set_std_vertex_layout();
// Back to the standard 2-D state after other code changed it: blending as recorded, no depth
// test or writes, texture unit 0 active, the recorded bindings forgotten when asked.
void OGL_reset_std_state();
