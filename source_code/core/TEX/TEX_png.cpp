// PNG reading and writing over libpng.
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

#include "core/TEX/TEX_codecs.h"
#include "core/files/paths.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

namespace {

// Interface images are small; this keeps a hostile header from asking for gigabytes.
constexpr png_uint_32 k_max_side = 16384;

struct png_reader_src {
	const unsigned char* data;
	size_t size;
	size_t pos;
};

void png_error_fn(png_structp png, png_const_charp msg)
{
	skyvane_log_write(log_warn, "OGL", "libpng: %s", msg);
	png_longjmp(png, 1);
}

void png_warning_fn(png_structp, png_const_charp msg) { skyvane_log_write(log_debug, "OGL", "libpng warning: %s", msg); }

png_voidp png_malloc_fn(png_structp, png_alloc_size_t n) { return malloc(n); }
void png_free_fn(png_structp, png_voidp p) { free(p); }

void png_read_fn(png_structp png, png_bytep out, png_size_t n)
{
	png_reader_src* src = static_cast<png_reader_src*>(png_get_io_ptr(png));
	if (n > src->size - src->pos)
		png_error(png, "read past the end of the file");
	memcpy(out, src->data + src->pos, n);
	src->pos += n;
}

void png_fail_alert(const char* what, const std::string& name)
{
	RADAVI_alert("PING-FILE ERROR!", what, name, "", alert_mode_fatal_loc);
}

bool has_normal_comment(png_structp png, png_infop info, const char* key_text)
{
	png_textp texts = nullptr;
	int n = 0;
	png_get_text(png, info, &texts, &n);
	for (int i = 0; i < n; ++i)
		if (texts[i].key && strcasecmp(texts[i].key, "comment") == 0 && texts[i].text &&
		    strstr(texts[i].text, key_text))
			return true;
	return false;
}

// Everything the decoder owns, freed on every path out including libpng's longjmp.
struct png_read_state {
	png_structp png = nullptr;
	png_infop info = nullptr;
	std::vector<png_bytep> rows;
	unsigned char* owned = nullptr;  // our allocation, freed unless handed out
	~png_read_state()
	{
		if (png)
			png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
		free(owned);
	}
};

}  // namespace

int TEX_load_png(const std::string& name, const xmap_class& mapped_file, unsigned char*& pixels, int format,
                 int row_pixels, bool pow2, int png_alpha_mode, TEX_image_desc& desc, int* normal_mode)
{
	png_read_state st;
	st.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, png_error_fn, png_warning_fn, nullptr,
	                                  png_malloc_fn, png_free_fn);
	if (!st.png) {
		png_fail_alert("!png_ptr", name);
		return 0;
	}
	st.info = png_create_info_struct(st.png);
	if (!st.info) {
		png_fail_alert("!info_ptr", name);
		return 0;
	}
	if (mapped_file.size() < 8 || !mapped_file.data())
		return 0;
	if (png_sig_cmp(reinterpret_cast<png_const_bytep>(mapped_file.data()), 0, 8) != 0) {
		png_fail_alert("is_png=!png_sig_cmp(png_io_buf,0,8)", name);
		return 0;
	}
	png_reader_src src = {reinterpret_cast<const unsigned char*>(mapped_file.data()), mapped_file.size(), 8};

	// Locals that must survive the longjmp are volatile or live in st.
	volatile int out_format = format;
	if (setjmp(png_jmpbuf(st.png))) {
		png_fail_alert("setjmp(png_ptr->jmpbuf", name);
		return 0;
	}
	png_set_user_limits(st.png, k_max_side, k_max_side);
	png_set_read_fn(st.png, &src, png_read_fn);
	png_set_sig_bytes(st.png, 8);
	png_read_info(st.png, st.info);

	png_uint_32 w = 0, h = 0;
	int depth = 0, color_type = 0;
	png_get_IHDR(st.png, st.info, &w, &h, &depth, &color_type, nullptr, nullptr, nullptr);
	desc.format = format;
	desc.width = static_cast<int>(w);
	desc.height = static_cast<int>(h);
	desc.row_padding = 0;
	desc.reserved = 0;

	const bool has_trns = png_get_valid(st.png, st.info, PNG_INFO_tRNS) != 0;
	if (color_type == PNG_COLOR_TYPE_PALETTE && depth <= 8)
		png_set_expand(st.png);
	if (color_type == PNG_COLOR_TYPE_GRAY && depth < 8)
		png_set_expand_gray_1_2_4_to_8(st.png);
	if (has_trns)
		png_set_tRNS_to_alpha(st.png);
	if (depth == 16)
		png_set_strip_16(st.png);
	if (depth < 8)
		png_set_packing(st.png);

	const bool file_alpha = (color_type & PNG_COLOR_MASK_ALPHA) != 0 || has_trns;
	const bool file_grey = (color_type & PNG_COLOR_MASK_COLOR) == 0;

	int fmt = format;
	if (png_alpha_mode == png_alpha_match) {
		if (fmt == TEX_fmt_rgb && file_alpha)
			fmt = TEX_fmt_rgba;
		else if (fmt == TEX_fmt_rgba && !file_alpha)
			fmt = TEX_fmt_rgb;
	} else if (png_alpha_mode == png_alpha_follow) {
		fmt = file_alpha ? TEX_fmt_rgba : (file_grey ? TEX_fmt_alpha : TEX_fmt_rgb);
	}
	if (png_alpha_mode != png_alpha_follow || fmt != TEX_fmt_rgba) {
		if (!file_alpha && fmt == TEX_fmt_rgba)
			png_set_filler(st.png, 255, PNG_FILLER_AFTER);
		else if (file_alpha && fmt != TEX_fmt_rgba)
			png_set_strip_alpha(st.png);
	}
	if (fmt == TEX_fmt_alpha) {
		if (!file_grey)
			png_set_rgb_to_gray_fixed(st.png, 1, -1, -1);
	} else {
		if (file_grey)
			png_set_gray_to_rgb(st.png);
		double gamma = 0;
		if (png_get_gAMA(st.png, st.info, &gamma) && std::fabs(gamma - 1.0 / 2.2) > 0.001)
			printf("BAD GAMMA: %s\n", name.c_str());
	}
	out_format = fmt;
	desc.format = fmt;

	if (normal_mode) {
		*normal_mode = 2;
		if (has_normal_comment(st.png, st.info, "NORMAL_SEPARATE_ALPHA"))
			*normal_mode = 3;
		else if (has_normal_comment(st.png, st.info, "NORMAL_HIGH_PRECISION"))
			*normal_mode = 4;
		else if (has_normal_comment(st.png, st.info, "NORMAL_METALNESS"))
			*normal_mode = 6;
		if (fmt == TEX_fmt_alpha)
			*normal_mode = 1;
	}

	int bpp;
	switch (fmt) {
	case TEX_fmt_alpha: bpp = 1; break;
	case TEX_fmt_rgba: bpp = 4; break;
	case TEX_fmt_rgb:
	case TEX_fmt_rg: bpp = 3; break;  // RG is decoded as RGB and packed afterwards
	default:
		RADAVI_alert("Illegal bits per pixel", name, "", "", alert_mode_fatal_loc);
		bpp = 3;
		break;
	}
	png_read_update_info(st.png, st.info);
	// The transforms above must give exactly bpp bytes a pixel; anything else would overrun rows.
	if (png_get_rowbytes(st.png, st.info) != static_cast<size_t>(w) * bpp) {
		skyvane_log_write(log_error, "OGL", "PNG %s decodes to %u bytes a row, expected %u", name.c_str(),
		                  static_cast<unsigned>(png_get_rowbytes(st.png, st.info)), static_cast<unsigned>(w * bpp));
		return 0;
	}

	int pad_pixels = 0;
	if (pow2)
		pad_pixels = TEX_next_pow2(static_cast<int>(w)) - static_cast<int>(w);
	else if (row_pixels > 0)
		pad_pixels = row_pixels > static_cast<int>(w) ? row_pixels - static_cast<int>(w) : 0;
	const size_t row_len = static_cast<size_t>(w + pad_pixels) * bpp;
	const int alloc_h = pow2 ? TEX_next_pow2(static_cast<int>(h)) : static_cast<int>(h);
	desc.row_padding = pad_pixels * bpp;

	unsigned char* buf = pixels;
	if (!buf) {
		st.owned = static_cast<unsigned char*>(malloc(row_len * alloc_h));
		if (!st.owned)
			return 0;
		buf = st.owned;
		if (pow2 && (pad_pixels > 0 || alloc_h > static_cast<int>(h)))
			memset(buf, 0, row_len * alloc_h);
	}
	st.rows.resize(h);
	for (png_uint_32 i = 0; i < h; ++i)
		st.rows[i] = buf + (h - 1 - i) * row_len;  // bottom row first
	png_read_image(st.png, st.rows.data());

	if (out_format == TEX_fmt_rg) {
		// Packed row by row so a padded row keeps its padding in whole pixels.
		const size_t rg_row = static_cast<size_t>(w + pad_pixels) * 2;
		for (png_uint_32 y = 0; y < h; ++y)
			for (png_uint_32 x = 0; x < w; ++x) {
				buf[y * rg_row + x * 2] = buf[y * row_len + x * 3];
				buf[y * rg_row + x * 2 + 1] = buf[y * row_len + x * 3 + 1];
			}
		desc.row_padding = pad_pixels * 2;
	}
	pixels = buf;
	st.owned = nullptr;
	return 1;
}

namespace {
struct png_write_state {
	png_structp png = nullptr;
	png_infop info = nullptr;
	FILE* f = nullptr;
	~png_write_state()
	{
		if (png)
			png_destroy_write_struct(&png, info ? &info : nullptr);
		if (f)
			fclose(f);
	}
};
}  // namespace

bool TEX_save_png(const std::string& path, const TEX_image_desc& desc, const unsigned char* pixels)
{
	int color_type;
	switch (desc.format) {
	case TEX_fmt_alpha: color_type = PNG_COLOR_TYPE_GRAY; break;
	case TEX_fmt_rgb: color_type = PNG_COLOR_TYPE_RGB; break;
	case TEX_fmt_rgba: color_type = PNG_COLOR_TYPE_RGBA; break;
	default:
		RADAVI_alert("Illegal pixel format for png-write.", path, "", "", alert_mode_fatal_loc);
		return false;
	}
	if (!pixels || desc.width <= 0 || desc.height <= 0)
		return false;
	png_write_state st;
	std::string full = path;
	set_path_to_full(full);
	st.f = fopen(full.c_str(), "wb");
	if (!st.f)
		return false;
	st.png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, nullptr, png_error_fn, png_warning_fn, nullptr,
	                                   png_malloc_fn, png_free_fn);
	if (!st.png)
		return false;
	st.info = png_create_info_struct(st.png);
	if (!st.info)
		return false;
	if (setjmp(png_jmpbuf(st.png)))
		return false;
	png_init_io(st.png, st.f);
	png_set_IHDR(st.png, st.info, desc.width, desc.height, 8, color_type, PNG_INTERLACE_NONE,
	             PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
	png_set_filter(st.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
	png_set_compression_level(st.png, 9);
	png_set_compression_mem_level(st.png, 8);
	png_set_compression_strategy(st.png, 0);
	png_set_compression_window_bits(st.png, 15);
	png_set_compression_method(st.png, 8);
	png_set_compression_buffer_size(st.png, 8192);
	png_set_gAMA(st.png, st.info, 1.0 / 2.2);
	png_write_info(st.png, st.info);
	const size_t row = TEX_row_bytes(desc);
	for (int y = desc.height - 1; y >= 0; --y)
		png_write_row(st.png, const_cast<png_bytep>(pixels + y * row));
	png_write_end(st.png, st.info);
	png_destroy_write_struct(&st.png, &st.info);
	st.png = nullptr;
	const bool ok = fclose(st.f) == 0;
	st.f = nullptr;
	return ok;
}

bool write_png_to_disk(const std::string& path, int width, int height, int bytes_per_pixel,
                       const unsigned char* pixels)
{
	TEX_image_desc d;
	d.format = bytes_per_pixel == 4 ? TEX_fmt_rgba : TEX_fmt_rgb;
	d.width = width;
	d.height = height;
	return TEX_save_png(path, d, pixels);
}
