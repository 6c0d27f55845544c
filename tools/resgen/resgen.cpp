// Writes the resources that the program draws by code rather than ships as art:
// "white.png", "black.png", "black_opaque.png", "palette.png" and the text shader "font.glsl".
// Usage: sky_resgen OUTPUT_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "core/TEX/TEX_codecs.h"
#include "font_glsl.h"

namespace {

bool solid(const std::string& path, unsigned char r, unsigned char g, unsigned char b, unsigned char a)
{
	const int n = 8;
	std::vector<unsigned char> px(n * n * 4);
	for (int i = 0; i < n * n; ++i)
		px[i * 4] = r, px[i * 4 + 1] = g, px[i * 4 + 2] = b, px[i * 4 + 3] = a;
	return write_png_to_disk(path, n, n, 4, px.data());
}

// Eight bands of eight pixels, the same on every row: the legacy colours sampled along a row.
bool palette(const std::string& path)
{
	static const unsigned char k[8][3] = {{13, 19, 26},  {22, 120, 181}, {113, 120, 128}, {29, 160, 242},
	                                      {193, 39, 45}, {41, 171, 226}, {251, 176, 59},  {255, 255, 255}};
	const int w = 64, h = 8;
	std::vector<unsigned char> px(w * h * 3);
	for (int y = 0; y < h; ++y)
		for (int x = 0; x < w; ++x)
			for (int c = 0; c < 3; ++c)
				px[(y * w + x) * 3 + c] = k[x / 8][c];
	return write_png_to_disk(path, w, h, 3, px.data());
}

bool text(const std::string& path, const char* body)
{
	FILE* f = fopen(path.c_str(), "wb");
	if (!f)
		return false;
	const std::string s(body);
	const bool ok = fwrite(s.data(), 1, s.size(), f) == s.size();
	return fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
		return 2;
	}
	std::string dir = argv[1];
	if (dir.empty() || dir.back() != '/')
		dir += '/';
	bool ok = true;
	ok &= solid(dir + "white.png", 255, 255, 255, 255);
	ok &= solid(dir + "black.png", 0, 0, 0, 0);  // transparent black; the opaque one is separate
	ok &= solid(dir + "black_opaque.png", 0, 0, 0, 255);
	ok &= palette(dir + "palette.png");
	ok &= text(dir + "font.glsl", k_font_glsl);
	if (!ok) {
		fprintf(stderr, "sky_resgen: could not write every resource into %s\n", dir.c_str());
		return 1;
	}
	return 0;
}
