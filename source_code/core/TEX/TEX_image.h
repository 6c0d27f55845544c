#pragma once
// Pixel buffers as the loaders and savers lay them out: rows bottom row first, each row
// width x bytes-per-pixel bytes followed by row_padding bytes; channels R, G, B, A.
#include <cstddef>

// OpenGL pixel format numbers, kept here so that the codecs need no GL header.
enum {
	TEX_fmt_alpha = 6406,  // GL_ALPHA
	TEX_fmt_rgb = 6407,    // GL_RGB
	TEX_fmt_rgba = 6408,   // GL_RGBA
	TEX_fmt_rg = 33319     // GL_RG
};

struct TEX_image_desc {
	int format = TEX_fmt_rgba;
	int width = 0;
	int height = 0;
	int row_padding = 0;  // bytes after each row's pixels
	int reserved = 0;     // the loaders set it to 0
};

// 1 alpha, 2 RG, 3 RGB, 4 RGBA; 0 for any other format.
int TEX_bytes_per_pixel(int format);
// height x (width x bytes per pixel + padding); 0 for an unknown format.
size_t TEX_bytes_needed_for_image(const TEX_image_desc& desc);
// Bytes from one row's start to the next.
size_t TEX_row_bytes(const TEX_image_desc& desc);

// Every fully transparent pixel takes the average colour of the non-transparent pixels in the
// 5 x 5 square around it, so filtered edges of cut-out images do not darken. RGBA only.
void TEX_clean_edge(const TEX_image_desc& desc, unsigned char* rgba_pixels);

// Reverses the row order in place (row padding stays with its row).
void TEX_flip_y(const TEX_image_desc& desc, unsigned char* pixels);

// Box filter by whole factors, in place; desc gets the new size and no row padding.
// Factors below 1, or an image smaller than a factor, leave the image alone.
void TEX_downscale(TEX_image_desc& desc, unsigned char* pixels, int factor_x, int factor_y);

// Next power of two >= v (1 for v <= 1).
int TEX_next_pow2(int v);
