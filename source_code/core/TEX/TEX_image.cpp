#include "core/TEX/TEX_image.h"

#include <cstring>
#include <vector>

int TEX_bytes_per_pixel(int format)
{
	switch (format) {
	case TEX_fmt_alpha: return 1;
	case TEX_fmt_rg: return 2;
	case TEX_fmt_rgb: return 3;
	case TEX_fmt_rgba: return 4;
	default: return 0;
	}
}

size_t TEX_row_bytes(const TEX_image_desc& desc)
{
	return static_cast<size_t>(desc.width) * TEX_bytes_per_pixel(desc.format) + desc.row_padding;
}

size_t TEX_bytes_needed_for_image(const TEX_image_desc& desc)
{
	if (TEX_bytes_per_pixel(desc.format) == 0 || desc.width <= 0 || desc.height <= 0)
		return 0;
	return static_cast<size_t>(desc.height) * TEX_row_bytes(desc);
}

int TEX_next_pow2(int v)
{
	int p = 1;
	while (p < v && p < (1 << 30))
		p <<= 1;
	return p;
}

void TEX_clean_edge(const TEX_image_desc& desc, unsigned char* px)
{
	if (desc.format != TEX_fmt_rgba || !px)
		return;
	const size_t row = TEX_row_bytes(desc);
	// Averages come from the original colours, not from pixels already filled in this pass.
	std::vector<unsigned char> src(px, px + row * desc.height);
	for (int y = 0; y < desc.height; ++y) {
		for (int x = 0; x < desc.width; ++x) {
			unsigned char* p = px + y * row + x * 4;
			if (p[3] != 0)
				continue;
			unsigned sum[3] = {0, 0, 0}, n = 0;
			for (int yy = y - 2; yy <= y + 2; ++yy) {
				if (yy < 0 || yy >= desc.height)
					continue;
				for (int xx = x - 2; xx <= x + 2; ++xx) {
					if (xx < 0 || xx >= desc.width)
						continue;
					const unsigned char* q = src.data() + yy * row + xx * 4;
					if (q[3] == 0)
						continue;
					sum[0] += q[0], sum[1] += q[1], sum[2] += q[2];
					++n;
				}
			}
			if (n) {
				p[0] = static_cast<unsigned char>(sum[0] / n);
				p[1] = static_cast<unsigned char>(sum[1] / n);
				p[2] = static_cast<unsigned char>(sum[2] / n);
			}
		}
	}
}

void TEX_flip_y(const TEX_image_desc& desc, unsigned char* px)
{
	if (!px || desc.height < 2)
		return;
	const size_t row = TEX_row_bytes(desc);
	std::vector<unsigned char> tmp(row);
	for (int a = 0, b = desc.height - 1; a < b; ++a, --b) {
		memcpy(tmp.data(), px + a * row, row);
		memcpy(px + a * row, px + b * row, row);
		memcpy(px + b * row, tmp.data(), row);
	}
}

void TEX_downscale(TEX_image_desc& desc, unsigned char* px, int fx, int fy)
{
	const int bpp = TEX_bytes_per_pixel(desc.format);
	if (!px || bpp == 0 || fx < 1 || fy < 1 || (fx == 1 && fy == 1) || desc.width < fx || desc.height < fy)
		return;
	const size_t row = TEX_row_bytes(desc);
	const int nw = desc.width / fx, nh = desc.height / fy;
	const unsigned area = static_cast<unsigned>(fx * fy);
	// The output never overtakes the input: output pixel (x, y) is written after every input
	// pixel at or before it has been read.
	for (int y = 0; y < nh; ++y) {
		for (int x = 0; x < nw; ++x) {
			for (int c = 0; c < bpp; ++c) {
				unsigned sum = 0;
				for (int dy = 0; dy < fy; ++dy)
					for (int dx = 0; dx < fx; ++dx)
						sum += px[(y * fy + dy) * row + (x * fx + dx) * bpp + c];
				px[(static_cast<size_t>(y) * nw + x) * bpp + c] = static_cast<unsigned char>((sum + area / 2) / area);
			}
		}
	}
	desc.width = nw;
	desc.height = nh;
	desc.row_padding = 0;
}
