// Opens a window and draws text, images and boxes through the 2-D draw context for a number of
// frames, then prints the mean and worst time a frame took to draw (finished on the GPU).
// Usage: demo_draw [--frames=N] [--shot=FILE.png] [--hold=SECONDS]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/OGL/OGL_colors.h"
#include "core/OGL/OGL_draw_context.h"
#include "core/OGL/OGL_font_table.h"
#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_platform_hooks.h"
#include "core/OGL/OGL_prims.h"
#include "core/OGL/OGL_resource.h"
#include "core/OGL/OGL_styled_text.h"
#include "core/TEX/TEX_codecs.h"
#include "core/TEX/tman_class.h"
#include "core/platform/WIN_app.h"
#include "core/platform/WIN_window.h"
#include "core/ui/app_clock.h"

namespace {

const int k_w = 800, k_h = 600;

// A button frame for nine-slice stretching: a rounded border with a lighter inside.
std::string make_frame_image()
{
	const int n = 48;
	std::vector<unsigned char> px(n * n * 4);
	for (int y = 0; y < n; ++y)
		for (int x = 0; x < n; ++x) {
			const float dx = std::max(0.0f, std::max(12.0f - x, x - (n - 13.0f)));
			const float dy = std::max(0.0f, std::max(12.0f - y, y - (n - 13.0f)));
			const float d = std::sqrt(dx * dx + dy * dy);
			unsigned char* p = &px[(y * n + x) * 4];
			const bool inside = d <= 12.0f;
			const bool border = inside && d > 9.0f;
			p[0] = border ? 29 : 38;
			p[1] = border ? 160 : 50;
			p[2] = border ? 242 : 64;
			p[3] = inside ? 255 : 0;
		}
	const std::string path = "/tmp/demo_draw_frame.png";
	write_png_to_disk(path, n, n, 4, px.data());
	return path;
}

// A 4 x 1 sprite sheet of coloured squares.
std::string make_sprites()
{
	const int cell = 16, w = cell * 4;
	static const unsigned char k[4][3] = {{193, 39, 45}, {251, 176, 59}, {41, 171, 226}, {237, 30, 121}};
	std::vector<unsigned char> px(w * cell * 4);
	for (int y = 0; y < cell; ++y)
		for (int x = 0; x < w; ++x) {
			unsigned char* p = &px[(y * w + x) * 4];
			const int c = x / cell;
			const bool edge = x % cell == 0 || x % cell == cell - 1 || y == 0 || y == cell - 1;
			p[0] = edge ? 255 : k[c][0];
			p[1] = edge ? 255 : k[c][1];
			p[2] = edge ? 255 : k[c][2];
			p[3] = 255;
		}
	const std::string path = "/tmp/demo_draw_sprites.png";
	write_png_to_disk(path, w, cell, 4, px.data());
	return path;
}

void draw_frame(OGL_draw_context* ctx, const std::string& frame_img, const std::string& sprites, int frame)
{
	glClearColor(6 / 255.0f, 9 / 255.0f, 13 / 255.0f, 1);
	glClear(GL_COLOR_BUFFER_BIT);
	ctx->start_using_ctx();

	const int panel[4] = {20, 20, k_w - 20, k_h - 20};
	OGL_draw_rounded_box(ctx, panel, 16, 59, 1.0f);
	const int header[4] = {40, k_h - 130, k_w - 40, k_h - 40};
	OGL_draw_rounded_box(ctx, header, 10, 58, 1.0f);

	// The banner font is outlined: white glyphs with a black outline.
	static const char* title = "Skyvane Installer";
	ctx->draw_string(1, font_from_enum(font_banner), 72, 96, 60, k_h - 100, title, title + strlen(title), 0, 0,
	                 just_left, 1.0f);

	// Buttons: the same frame image stretched to three widths.
	const float widths[3] = {120, 200, 320};
	float y = 380;
	for (float w : widths) {
		gui_plot_resource(ctx, frame_img, 60, y, 60 + w, y + 40, 1.0f, 0, 0, 1, 1, pos_nine_slice, pos_nine_slice,
		                  aspect_free, 72);
		gui_font_style_info st;
		font_style_from_enum(static_cast<gui_font_style>(3), &st);
		gui_draw_styled_text_no_wrap(ctx, &st, 60 + w / 2, y + 14, "Continue with the update", 0, w - 20, just_center,
		                             1.0f);
		y -= 56;
	}

	// Sprite cells, animated through the frames.
	for (int i = 0; i < 4; ++i)
		gui_plot_resource(ctx, sprites, 440 + i * 40, 380, 472 + i * 40, 412, 1.0f, (i + frame / 10) % 4, 0, 4, 1,
		                  pos_stretch, pos_stretch, aspect_free, 72);
	// The palette image, stretched.
	gui_plot_resource(ctx, "palette.png", 440, 320, 740, 350, 1.0f, pos_stretch, pos_stretch);

	// Wrapped text in two styles.
	gui_font_style_info body, grey;
	font_style_from_enum(static_cast<gui_font_style>(10), &body);
	font_style_from_enum(static_cast<gui_font_style>(8), &grey);
	static const char* para =
		"The installer checks every file of your copy against the release and fetches what changed "
		"from several mirror servers at once. Folder: /home/pilot/Skyvane 11/Custom Scenery/";
	gui_draw_styled_text(ctx, &body, 440, 290, para, para + strlen(para), 0, 300, just_left, 1.0f);
	static const char* note = "Downloading 1,204 files (3.1 GB) \xE2\x80\x94 Ελληνικά, Русский, 日本語";
	gui_draw_styled_text(ctx, &grey, 60, 180, note, note + strlen(note), 0, 0, just_left, 1.0f);

	// A progress bar: track and fill as rounded boxes.
	const int track[4] = {60, 120, 740, 140};
	OGL_draw_rounded_box(ctx, track, 10, 62, 1.0f);
	const int fill_right = 60 + ((frame * 7) % 680);
	const int fill[4] = {60, 120, std::max(80, fill_right), 140};
	OGL_draw_rounded_box(ctx, fill, 10, 57, 1.0f);

	ctx->stop_using_ctx();
}

}  // namespace

int main(int argc, char** argv)
{
	int frames = 120;
	double hold = 0;
	std::string shot;
	for (int i = 1; i < argc; ++i) {
		if (!strncmp(argv[i], "--frames=", 9))
			frames = atoi(argv[i] + 9);
		else if (!strncmp(argv[i], "--shot=", 7))
			shot = argv[i] + 7;
		else if (!strncmp(argv[i], "--hold=", 7))
			hold = atof(argv[i] + 7);
	}
	if (!WIN_video_available()) {
		fprintf(stderr, "demo_draw: no display\n");
		return 1;
	}
	OGL_install_platform_hooks();
	WIN_ogl_window* win = WIN_ogl_window_create(40, 40, k_w, k_h, k_w, k_h, win_style_titled, nullptr);
	if (!win) {
		fprintf(stderr, "demo_draw: no window\n");
		return 1;
	}
	WIN_ogl_window_set_vsync(win, 0);
	OGL_init_context_state(0);
	TEX_init();
	int pw = k_w, ph = k_h;
	WIN_ogl_window_get_drawable_size(win, &pw, &ph);
	OGL_set_2d_projection(0, 0, k_w, k_h, pw, ph);
	OGL_draw_context* ctx = OGL_main_draw_context();
	ctx->init(16384, 32768);
	const std::string frame_img = make_frame_image(), sprites = make_sprites();

	double total = 0, worst = 0;
	int measured = 0;
	for (int f = 0; f < frames; ++f) {
		WIN_event_loop_once(nullptr, nullptr);
		gui_mark_frame();
		const double t0 = app_clock_now();
		draw_frame(ctx, frame_img, sprites, f);
		glFinish();
		const double dt = app_clock_now() - t0;
		gui_purge_unused();
		if (f >= 5) {  // the first frames rasterise glyphs and upload atlases
			total += dt;
			worst = std::max(worst, dt);
			++measured;
		}
		if (f == frames - 1 && !shot.empty()) {
			std::vector<unsigned char> px(static_cast<size_t>(pw) * ph * 4);
			glReadPixels(0, 0, pw, ph, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
			write_png_to_disk(shot, pw, ph, 4, px.data());
		}
		WIN_ogl_window_swap(win);
	}
	if (measured > 0)
		printf("demo_draw: %d frames, %.3f ms mean, %.3f ms worst draw time (%s)\n", measured, 1000 * total / measured,
		       1000 * worst, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
	const double end = app_clock_now() + hold;
	while (app_clock_now() < end) {
		WIN_event_loop_once(nullptr, nullptr);
		draw_frame(ctx, frame_img, sprites, frames);
		WIN_ogl_window_swap(win);
	}
	return 0;
}
