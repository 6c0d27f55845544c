#include "draw_gl_env.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "core/OGL/OGL_framebuffer.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_platform_hooks.h"
#include "core/TEX/tman_class.h"
#include "core/platform/WIN_window.h"
#include "core/ui/UTL_cmdline.h"

draw_gl_env* draw_gl_env::get()
{
	static draw_gl_env* env = nullptr;
	static bool tried = false;
	if (tried) {
		// Other tests in this binary make and destroy contexts of their own.
		if (env)
			WIN_ogl_window_set_current(env->window);
		return env;
	}
	tried = true;
	cmdline.force_no_alerts();
	if (!WIN_video_available())
		return nullptr;
	WIN_set_create_hidden(true);
	OGL_install_platform_hooks();
	WIN_ogl_window* w = WIN_ogl_window_create(0, 0, 64, 64, 32, 32, win_style_titled, nullptr);
	if (!w)
		return nullptr;
	OGL_init_context_state(0);
	TEX_init();
	env = new draw_gl_env;
	env->window = w;
	env->target = new OGL_framebuffer;
	env->target->set_render_size(size, size, fbo_color);
	return env;
}

void draw_gl_env::begin(float r, float g, float b, float a)
{
	target->begin_render();
	OGL_set_2d_projection(0, 0, size, size, size, size);
	glDisable(GL_SCISSOR_TEST);
	glClearColor(r, g, b, a);
	glClear(GL_COLOR_BUFFER_BIT);
}

void draw_gl_env::end() { target->end_render(); }

std::vector<unsigned char> draw_gl_env::pixel(int x, int y)
{
	std::vector<unsigned char> px(4);
	target->begin_render();
	glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
	target->end_render();
	return px;
}

std::vector<unsigned char> draw_gl_env::read_all()
{
	std::vector<unsigned char> px(size * size * 4);
	target->begin_render();
	glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
	target->end_render();
	return px;
}

namespace {
// Death tests exit in a forked child, which runs this destructor too: only the creator removes.
struct dir_holder {
	std::string path;
	pid_t owner = getpid();
	dir_holder()
	{
		char tmpl[] = "/tmp/sky_render_test.XXXXXX";
		if (mkdtemp(tmpl))
			path = std::string(tmpl) + "/";
	}
	~dir_holder()
	{
		std::error_code ec;
		if (!path.empty() && getpid() == owner)
			std::filesystem::remove_all(path, ec);
	}
};
}  // namespace

std::string draw_test_dir()
{
	static dir_holder d;
	return d.path;
}
