#pragma once
// One hidden window with a GL 3.3 core context for the render tests, the built-in textures,
// and an off-screen target of fixed size with a pixel-for-unit projection. Tests that need it
// call draw_gl_env::get() and skip when it is null (no display), or use the fixtures below.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/OGL/OGL_draw_context.h"

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

// A test that draws; skipped without a display.
class draw_gl_test : public ::testing::Test {
protected:
	void SetUp() override
	{
		env = draw_gl_env::get();
		if (!env)
			GTEST_SKIP() << "no display for an OpenGL context";
	}
	// The target cleared, and a draw context batching onto it as the interface draws.
	void begin_batch(OGL_draw_context& c)
	{
		env->begin();
		c.init(1024, 2048);
		c.start_using_ctx();
	}
	void end_batch(OGL_draw_context& c)
	{
		c.stop_using_ctx();
		env->end();
	}
	// Draws through a fresh batch and returns the target's pixels.
	template <typename F>
	std::vector<unsigned char> render(F&& draw)
	{
		OGL_draw_context batch;
		begin_batch(batch);
		draw(batch);
		end_batch(batch);
		return env->read_all();
	}
	draw_gl_env* env = nullptr;
};

// The same with one batch begun for the whole test: draw_done() draws it, at the end at the latest.
class draw_ctx_test : public draw_gl_test {
protected:
	void SetUp() override
	{
		draw_gl_test::SetUp();
		if (!env)
			return;
		begin_batch(ctx);
		drawing_ = true;
	}
	void TearDown() override { draw_done(); }
	void draw_done()
	{
		if (drawing_)
			end_batch(ctx);
		drawing_ = false;
	}
	OGL_draw_context ctx;

private:
	bool drawing_ = false;
};

// A scratch folder for images the tests write; removed at exit.
std::string draw_test_dir();
