#pragma once
// The render layer's side of the window manager: GL state records per context, the initial
// state of a new context, the standard 2-D state and projection. Call once at start-up,
// before the first window is made.
void OGL_install_platform_hooks();

// Initial OpenGL state of a new context (also used by tools and tests that make their own):
// byte-aligned pixel rows; blending (source alpha, one minus source alpha); depth function
// less-or-equal with writes off; back faces culled, clockwise faces in front; no stencil or
// scissor; dithering; multisampling when fsaa > 0.
void OGL_init_context_state(int fsaa);
// Orthographic projection (near -1, far 1), identity model-view and the viewport.
void OGL_set_2d_projection(float left, float bottom, float right, float top, int viewport_w, int viewport_h);
