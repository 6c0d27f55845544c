#pragma once
// PNG and BMP codecs of the interface images. Decoded buffers are laid out as TEX_image.h says.
// A buffer the decoder allocates (pixels passed in as null) comes from malloc: free() it.
#include <string>
#include "core/TEX/TEX_image.h"
#include "core/files/xmap_class.h"

// png_alpha_mode: 0 keep the requested format; 1 match the file (RGB -> RGBA when the file has
// alpha, RGBA -> RGB when it has none); 2 follow the file (RGBA with alpha, else RGB for colour
// and alpha for grey).
enum { png_alpha_keep = 0, png_alpha_match = 1, png_alpha_follow = 2 };

// 1 on success, 0 on failure. name serves messages only. row_pixels, when non-zero, pads each
// row to that many pixels; pow2 pads width and height up to powers of two (cleared to 0).
// normal_mode, when given, receives 1..6 (see the comment keys in the decoder).
int TEX_load_png(const std::string& name, const xmap_class& mapped_file, unsigned char*& pixels, int format,
                 int row_pixels, bool pow2, int png_alpha_mode, TEX_image_desc& desc, int* normal_mode);

// Uncompressed 24-bit BMP only. Pure magenta becomes transparent black in RGBA.
int TEX_load_bmp(const std::string& name, const xmap_class& mapped_file, unsigned char*& pixels, int format,
                 int row_pixels, bool pow2, TEX_image_desc& desc);

// Maps the file and decodes it as BMP ("BM") or PNG (signature); the file is unmapped on return.
int TEX_load_any(const std::string& path, unsigned char*& pixels, int format, int row_pixels, int png_alpha_mode,
                 TEX_image_desc& desc);

// 8-bit grey, RGB or RGBA by desc.format, top row first in the file. True when written.
bool TEX_save_png(const std::string& path, const TEX_image_desc& desc, const unsigned char* pixels);
// RGBA when bytes_per_pixel is 4, RGB otherwise; rows without padding.
bool write_png_to_disk(const std::string& path, int width, int height, int bytes_per_pixel,
                       const unsigned char* pixels);
