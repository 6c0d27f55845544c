// Uncompressed 24-bit BMP reading, and the loader that picks BMP or PNG by content.
#include <cstdlib>
#include <cstring>

#include "core/TEX/TEX_codecs.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

namespace {
constexpr int k_max_side = 16384;

unsigned rd16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned rd32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned>(p[3]) << 24); }

void bmp_alert(const char* l1, const char* l2, const std::string& name)
{
	RADAVI_alert(l1, l2,
	             "You may need to remove the third-party add-on that caused this, or rerun the Skyvane installer.",
	             "The problem file was: " + name, alert_mode_fatal);
}
}  // namespace

int TEX_load_bmp(const std::string& name, const xmap_class& mapped_file, unsigned char*& pixels, int format,
                 int row_pixels, bool pow2, TEX_image_desc& desc)
{
	int bpp;
	switch (format) {
	case TEX_fmt_alpha: bpp = 1; break;
	case TEX_fmt_rgb: bpp = 3; break;
	case TEX_fmt_rgba: bpp = 4; break;
	default:
		RADAVI_alert("Illegal desired format for bmp.", name, "", "", alert_mode_fatal);
		return 0;
	}
	const unsigned char* f = reinterpret_cast<const unsigned char*>(mapped_file.data());
	const size_t size = mapped_file.size();
	// File header (14 bytes) and the fields of the information header we read (to byte 34).
	if (!f || size < 34 || f[0] != 'B' || f[1] != 'M')
		return 0;
	const unsigned data_off = rd32(f + 10);
	const int w = static_cast<int>(rd32(f + 18));
	const int h_signed = static_cast<int>(rd32(f + 22));
	const unsigned bits = rd16(f + 28), compression = rd32(f + 30);
	if (bits != 24) {
		bmp_alert("Skyvane attempted to load a bitmap texture with the wrong color depth.", "We need 24-bit color.", name);
		return 0;
	}
	if (compression != 0) {
		bmp_alert("Skyvane attempted to load a compressed bitmap texture.", "We do not support compressed bitmaps.", name);
		return 0;
	}
	// A negative height is a top-down file.
	const bool top_down = h_signed < 0;
	const int h = top_down ? -h_signed : h_signed;
	if (w <= 0 || h <= 0 || w > k_max_side || h > k_max_side) {
		skyvane_log_write(log_error, "OGL", "BMP %s has an unusable size %d x %d", name.c_str(), w, h_signed);
		return 0;
	}
	desc.format = format;
	desc.width = w;
	desc.height = h;
	desc.reserved = 0;

	int pad_pixels = 0;
	if (pow2)
		pad_pixels = TEX_next_pow2(w) - w;
	else if (row_pixels > w)
		pad_pixels = row_pixels - w;
	const size_t row_len = static_cast<size_t>(w + pad_pixels) * bpp;
	const int alloc_h = pow2 ? TEX_next_pow2(h) : h;
	desc.row_padding = pad_pixels * bpp;

	unsigned char* buf = pixels;
	if (!buf) {
		buf = static_cast<unsigned char*>(malloc(row_len * alloc_h));
		if (!buf)
			return 0;
		// Cleared whole: padding, and rows a truncated file does not reach, read as zero.
		memset(buf, 0, row_len * alloc_h);
	}
	const size_t file_row = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
	for (int y = 0; y < h; ++y) {
		unsigned char* out = buf + static_cast<size_t>(top_down ? h - 1 - y : y) * row_len;
		const size_t row_start = data_off + static_cast<size_t>(y) * file_row;
		for (int x = 0; x < w; ++x) {
			const size_t at = row_start + static_cast<size_t>(x) * 3;
			if (at + 3 > size || at < data_off)
				break;  // bytes beyond the end of the file are skipped
			const unsigned char b = f[at], g = f[at + 1], r = f[at + 2];
			unsigned char* o = out + x * bpp;
			if (bpp == 3) {
				o[0] = r, o[1] = g, o[2] = b;
			} else if (bpp == 4) {
				if (r == 255 && g == 0 && b == 255)
					o[0] = o[1] = o[2] = o[3] = 0;
				else
					o[0] = r, o[1] = g, o[2] = b, o[3] = 255;
			} else {
				o[0] = static_cast<unsigned char>((r + g + b) / 3);
			}
		}
	}
	pixels = buf;
	return 1;
}

int TEX_load_any(const std::string& path, unsigned char*& pixels, int format, int row_pixels, int png_alpha_mode,
                 TEX_image_desc& desc)
{
	xmap_class file(path);
	if (!file.is_open())
		return 0;
	static const unsigned char png_sig[8] = {137, 80, 78, 71, 13, 10, 26, 10};
	int ok = 0;
	if (file.size() >= 2 && file.data()[0] == 'B' && file.data()[1] == 'M')
		ok = TEX_load_bmp(path, file, pixels, format, row_pixels, false, desc);
	if (!ok && file.size() >= 8 && memcmp(file.data(), png_sig, 8) == 0)
		ok = TEX_load_png(path, file, pixels, format, row_pixels, false, png_alpha_mode, desc, nullptr);
	file.close();
	return ok;
}
