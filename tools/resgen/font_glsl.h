#pragma once
// The text shader as it is written to "font.glsl". Both stages and both variants are in one
// file: the loader puts "#version 330 core", "#define VERTEX" or "#define FRAGMENT", and for
// two-channel atlases "#define TWO_CHANNEL", in front of it.
static const char k_font_glsl[] = R"(// Text shader of the Skyvane Installer (GLSL 330 core).
// One-channel atlases: coverage in red; the main colour with the coverage as alpha.
// Two-channel atlases: glyph in red, outline or shine in green; drawn pre-multiplied,
// main colour x red + second colour x green.

#ifdef VERTEX
layout(location = 0) in vec2 a_pos;
layout(location = 1) in vec2 a_uv;
uniform mat4 u_mvp;
out vec2 v_uv;
void main()
{
	v_uv = a_uv;
	gl_Position = u_mvp * vec4(a_pos, 0.0, 1.0);
}
#endif

#ifdef FRAGMENT
in vec2 v_uv;
uniform sampler2D u_tex;
uniform vec4 u_color;
uniform vec4 u_color2;
out vec4 o_color;
void main()
{
#ifdef TWO_CHANNEL
	vec2 c = texture(u_tex, v_uv).rg;
	vec4 main_part = vec4(u_color.rgb * u_color.a, u_color.a) * c.r;
	vec4 second_part = vec4(u_color2.rgb * u_color2.a, u_color2.a) * c.g;
	o_color = main_part + second_part;
#else
	o_color = vec4(u_color.rgb, u_color.a * texture(u_tex, v_uv).r);
#endif
}
#endif
)";
