#pragma once
// The text shader "RESOURCE:font.glsl" in its one- and two-channel variants.

#include "core/OGL/OGL_program.h"

// The 2-D uniforms and u_color2, the second colour of two-channel fonts.
struct OGL_font_program : OGL_std_program {
	int u_color2 = -1;
};
// Built on first use in the current context; program 0 when the resource is missing or broken.
const OGL_font_program& OGL_get_font_program(bool two_channel);
// After a batch of text: the recorded blend factors again, and sRGB writes off.
void OGL_apply_font_end_state();
