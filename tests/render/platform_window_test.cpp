// Windows with an OpenGL 3.3 core context: creation, clear and readback, sharing, geometry.
#include <gtest/gtest.h>
#include <epoxy/gl.h>

#include <cstring>
#include <string>
#include <thread>

#include "core/platform/WIN_window.h"
#include "platform_test_support.h"

namespace {

class PlatformWindow : public ::testing::Test {
protected:
	platform_state_keeper keep;
	void SetUp() override
	{
		if (!platform_gl_usable()) GTEST_SKIP() << "no display for an OpenGL window";
		WIN_set_create_hidden(true);
	}
};

TEST_F(PlatformWindow, CoreContextClearsAndReadsBack)
{
	WIN_ogl_window* w = WIN_ogl_window_create(40, 50, 64, 48, 32, 32, win_style_titled, nullptr);
	ASSERT_NE(w, nullptr);
	EXPECT_GE(epoxy_gl_version(), 33);
	EXPECT_FALSE(epoxy_is_desktop_gl() == 0);
	GLint profile = 0;
	glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
	EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);

	int pw = 0, ph = 0;
	WIN_ogl_window_get_drawable_size(w, &pw, &ph);
	ASSERT_GT(pw, 0);
	ASSERT_GT(ph, 0);

	// Draw into an FBO as well as the default framebuffer: hidden windows may not own their pixels.
	GLuint fbo = 0, rb = 0;
	glGenFramebuffers(1, &fbo);
	glGenRenderbuffers(1, &rb);
	glBindRenderbuffer(GL_RENDERBUFFER, rb);
	glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 8, 8);
	glBindFramebuffer(GL_FRAMEBUFFER, fbo);
	glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb);
	ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), (GLenum)GL_FRAMEBUFFER_COMPLETE);
	glViewport(0, 0, 8, 8);
	glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
	glClear(GL_COLOR_BUFFER_BIT);
	unsigned char px[4] = {0, 0, 0, 0};
	glReadPixels(3, 3, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
	EXPECT_EQ(px[0], 255);
	EXPECT_EQ(px[1], 0);
	EXPECT_EQ(px[2], 255);
	glBindFramebuffer(GL_FRAMEBUFFER, 0);
	glDeleteFramebuffers(1, &fbo);
	glDeleteRenderbuffers(1, &rb);
	EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

	WIN_ogl_window_swap(w);
	WIN_ogl_window_destroy(w);
}

TEST_F(PlatformWindow, SharedContextSeesTheFirstWindowsTextures)
{
	WIN_ogl_window* a = WIN_ogl_window_create(0, 0, 32, 32, 0, 0, win_style_borderless, nullptr);
	ASSERT_NE(a, nullptr);
	GLuint tex = 0;
	glGenTextures(1, &tex);
	glBindTexture(GL_TEXTURE_2D, tex);
	const unsigned char green[4] = {0, 255, 0, 255};
	glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, green);
	glFinish();

	WIN_ogl_window* b = WIN_ogl_window_create(10, 10, 32, 32, 0, 0, win_style_borderless, a);
	ASSERT_NE(b, nullptr);
	EXPECT_TRUE(glIsTexture(tex));

	// A context of its own, not shared, does not know the name.
	WIN_ogl_window* c = WIN_ogl_window_create(20, 20, 32, 32, 0, 0, win_style_borderless, nullptr);
	ASSERT_NE(c, nullptr);
	EXPECT_FALSE(glIsTexture(tex));

	WIN_ogl_window_destroy(c);
	WIN_ogl_window_destroy(b);
	WIN_ogl_window_set_current(a);
	glDeleteTextures(1, &tex);
	WIN_ogl_window_destroy(a);
}

TEST_F(PlatformWindow, OperationsOnAnotherWindowKeepTheCurrentContext)
{
	WIN_ogl_window* a = WIN_ogl_window_create(0, 0, 40, 40, 0, 0, win_style_resizable, nullptr);
	WIN_ogl_window* b = WIN_ogl_window_create(0, 0, 40, 40, 0, 0, win_style_resizable, nullptr);
	ASSERT_NE(a, nullptr);
	ASSERT_NE(b, nullptr);
	WIN_ogl_window_set_current(a);

	const int r[4] = {5, 6, 105, 86};
	WIN_ogl_window_set_position(b, r);
	WIN_ogl_window_set_vsync(b, 1);
	WIN_ogl_window_set_style(b, win_style_borderless);
	EXPECT_EQ(b->style, win_style_borderless);
	WIN_ogl_window_set_style(b, 42);
	EXPECT_EQ(b->style, win_style_borderless);

	// The current context is still a's: a texture made now is visible from a, not from b.
	GLuint tex = 0;
	glGenTextures(1, &tex);
	glBindTexture(GL_TEXTURE_2D, tex);
	WIN_ogl_window_set_current(b);
	EXPECT_FALSE(glIsTexture(tex));
	WIN_ogl_window_set_current(a);
	EXPECT_TRUE(glIsTexture(tex));
	glDeleteTextures(1, &tex);

	int got[4] = {0, 0, 0, 0};
	WIN_ogl_window_get_position(b, got);
	EXPECT_EQ(got[2] - got[0], 100);
	EXPECT_EQ(got[3] - got[1], 80);

	WIN_ogl_window_destroy(b);
	WIN_ogl_window_destroy(a);
}

TEST_F(PlatformWindow, LoaderContextOnAnotherThreadSharesObjects)
{
	WIN_ogl_window* w = WIN_ogl_window_create(0, 0, 32, 32, 0, 0, win_style_borderless, nullptr);
	ASSERT_NE(w, nullptr);
	WIN_ogl_context loader = WIN_ogl_context_create_with_window(w);
	ASSERT_NE(loader, nullptr);
	// Making the loader context did not change the caller's.
	GLuint probe = 0;
	glGenTextures(1, &probe);
	glBindTexture(GL_TEXTURE_2D, probe);
	EXPECT_TRUE(glIsTexture(probe));

	int attached = 0;
	GLuint made = 0;
	std::thread t([&] {
		attached = WIN_ogl_context_attach_to_thread(loader);
		if (!attached) return;
		glGenTextures(1, &made);
		glBindTexture(GL_TEXTURE_2D, made);
		const unsigned char px[4] = {1, 2, 3, 4};
		glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, px);
		glFinish();
		WIN_ogl_window_set_current(nullptr);
	});
	t.join();
	ASSERT_EQ(attached, 1);
	EXPECT_TRUE(glIsTexture(made));
	glDeleteTextures(1, &made);
	glDeleteTextures(1, &probe);
	WIN_ogl_context_destroy(loader);
	WIN_ogl_window_destroy(w);
}

TEST(PlatformChrome, BorderlessHasNoChromeAndAddRemoveAreInverse)
{
	for (int style : {win_style_titled, win_style_resizable, win_style_borderless, 7}) {
		int r[4] = {10, 20, 110, 220};
		WIN_ogl_window_calc_add_os_chrome(r, style);
		EXPECT_EQ(r[0], 10);
		EXPECT_EQ(r[1], 20);
		EXPECT_GE(r[2], 110);
		EXPECT_GE(r[3], 220);
		if (style != win_style_titled && style != win_style_resizable) {
			EXPECT_EQ(r[2], 110);
			EXPECT_EQ(r[3], 220);
		}
		WIN_ogl_window_calc_remove_os_chrome(r, style);
		EXPECT_EQ(r[2], 110) << style;
		EXPECT_EQ(r[3], 220) << style;
	}
}

}  // namespace
