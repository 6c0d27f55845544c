#pragma once
// Blending: a target (what is drawn into) and a colour mode.

enum ogl_blend_func {
	ogl_blend_window = 0,   // the normal window
	ogl_blend_texture = 1,  // a texture with alpha: destination alpha accumulates
	ogl_blend_mrt = 2       // a multi-target buffer (blends like a texture)
};

enum ogl_blend_mode {
	ogl_blend_normal = 0,
	ogl_blend_glow = 1,
	ogl_blend_premultiplied = 2
};

void OGL_set_blend_func(ogl_blend_func target);
void OGL_set_blend_mode(ogl_blend_mode mode);
ogl_blend_func OGL_get_blend_func();
ogl_blend_mode OGL_get_blend_mode();
// Save and restore the blend state (target and mode) of the current context.
void OGL_push_blend_func();
void OGL_pop_blend_func();
// Apply the recorded state again (after someone else changed the GL blend factors).
void OGL_apply_blend();

// Scissors. _mv transforms the logical rectangle by the current projection x model-view to
// window pixels (left and bottom rounded down, right and top up); _pix takes pixels.
void OGL_scissors_mv(float x, float y, float w, float h);
void OGL_scissors_pix(int x, int y, int w, int h);
void OGL_scissors_end();
// The pixel rectangle that OGL_scissors_mv would set.
void OGL_scissor_rect_for_mv(float x, float y, float w, float h, int out[4]);
