#pragma once
// One hidden window with a GL 3.3 core context for the render tests, the built-in textures,
// and an off-screen target of fixed size with a pixel-for-unit projection. Tests that need it
// call draw_gl_env::get() and skip when it is null (no display).
#include <gtest/gtest.h>

#include <string>
#include <vector>

class OGL_framebuffer;
struct WIN_ogl_window;

struct draw_gl_env {
	static const int size = 256;
	WIN_ogl_window* window = nullptr;
	OGL_framebuffer* target = nullptr;

	static draw_gl_env* get();
	// Bind the target, clear it to (r, g, b, a) and set the 2-D projection over it.
	void begin(float r = 0, float g = 0, float b = 0, float a = 1);
	void end();
	// RGBA of the target's pixel (x, y from the lower left).
	std::vector<unsigned char> pixel(int x, int y);
	std::vector<unsigned char> read_all();
};

#define NEED_GL(env)                                   \
	draw_gl_env* env = draw_gl_env::get();               \
	if (!env)                                            \
		GTEST_SKIP() << "no display for an OpenGL context"

// A scratch folder for images the tests write; removed at exit.
std::string draw_test_dir();
