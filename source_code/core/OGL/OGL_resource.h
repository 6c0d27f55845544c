#pragma once
// Interface images ("resources"): resolved once by name to a texture with its pixel size and
// density (pixels per logical unit), drawn as sprite-sheet cells with nine-slice stretching and
// aspect control. Sprite cells count from the left (column 0) and from the bottom (row 0).
#include <string>

#include "core/OGL/OGL_text_types.h"

class OGL_draw_context;
class TEX_obj;

struct gui_resource_info {
	std::string path;   // the file chosen
	TEX_obj* tex = nullptr;
	int px_w = 0, px_h = 0;
	float density = 1;  // pixels per logical unit
	long last_frame = -1;
};

// The cache entry of an image, loading it on first use; null after the missing-resource alert.
gui_resource_info* gui_fetch_resource(const std::string& name);
// Resolution only (no loading): the file for a name at a backing scale, with its density.
bool resource_exists(const std::string& name, float backing_scale, std::string* path, float* density);

int gui_resource_x(const std::string& name);
int gui_resource_y(const std::string& name);

// The 4 x 4 grid that gui_plot_resource draws: vertex positions and texture coordinates per axis.
struct gui_resource_grid {
	float x[4], y[4], s[4], t[4];
};
// Pure layout, shared by drawing and gui_calc_textured_bounds. nat_w and nat_h are the cell's
// natural logical size; s0..s1 and t0..t1 its texture coordinate range.
void gui_layout_resource_grid(float nat_w, float nat_h, float s0, float s1, float t0, float t1, float x1, float y1,
                              float x2, float y2, pos_t h, pos_t v, gui_aspect_control_t aspect, gui_resource_grid* out);

void gui_plot_resource(OGL_draw_context* ctx, const std::string& name, float x1, float y1, float x2, float y2,
                       float alpha, int column, int row, int columns, int rows, pos_t h, pos_t v,
                       gui_aspect_control_t aspect, int color);
// The whole image, colour 72.
void gui_plot_resource(OGL_draw_context* ctx, const std::string& name, float x1, float y1, float x2, float y2,
                       float alpha, pos_t h, pos_t v);
// The rectangle (left, bottom, right, top) that gui_plot_resource would cover.
void gui_calc_textured_bounds(const std::string& name, float x1, float y1, float x2, float y2, int columns, int rows,
                              pos_t h, pos_t v, gui_aspect_control_t aspect, float out[4]);
void gui_plot_bkgnd(OGL_draw_context* ctx, const std::string& name, bkgnd_mode_t mode, float x1, float y1, float x2,
                    float y2, float alpha);
// End thirds as caps, the middle third repeated whole along the length (the last copy cut).
void gui_horizontal_tile(OGL_draw_context* ctx, const std::string& name, float x1, float y1, float x2, float y2,
                         float alpha);
void gui_vertical_tile(OGL_draw_context* ctx, const std::string& name, float x1, float y1, float x2, float y2,
                       float alpha);

// Frame bookkeeping: mark at the start of a frame, purge at its end (releases every image not
// used this frame, then the texture manager's unused textures).
void gui_mark_frame();
void gui_purge_unused();
long gui_current_frame();
int gui_resource_cache_size();

// The name of an image for an interface scale: "x.png" at 2 becomes "x2x.png" (drawn at twice
// its size); other scales keep the name.
std::string gui_scale_res_path(const std::string& name, float scale);

// The focus ring around a rectangle: the resource nine-sliced over bounds grown by 2 on every
// side, clipped to the desktop, colour 72, alpha 1. The toolkit's widget forms call this.
void gui_plot_focus_ring(OGL_draw_context* ctx, const int bounds[4], const int desktop[4],
                         const std::string& focus_resource);
