// PNG and BMP decoding and PNG writing: formats, alpha modes, padding, palettes, magenta keys.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/TEX/TEX_codecs.h"
#include "core/files/xmap_class.h"
#include "core/ui/UTL_cmdline.h"
#include "draw_gl_env.h"

namespace {

struct decoded {
	int ok = 0;
	TEX_image_desc desc;
	std::vector<unsigned char> px;
};

decoded decode_png(const std::string& path, int format, int alpha_mode, bool pow2 = false, int row_pixels = 0,
                   int* normal = nullptr)
{
	decoded d;
	xmap_class m(path);
	unsigned char* px = nullptr;
	d.ok = TEX_load_png(path, m, px, format, row_pixels, pow2, alpha_mode, d.desc, normal);
	if (d.ok) {
		const int rows = pow2 ? TEX_next_pow2(d.desc.height) : d.desc.height;
		d.px.assign(px, px + TEX_row_bytes(d.desc) * rows);
	}
	free(px);
	return d;
}

// Writes a PNG through libpng directly so the tests control colour type, palette and chunks.
void write_raw_png(const std::string& path, int w, int h, int color_type, int depth, const std::vector<unsigned char>& rows_top_first,
                   const std::vector<png_color>& palette = {}, const std::vector<unsigned char>& trns = {},
                   const char* comment = nullptr)
{
	FILE* f = fopen(path.c_str(), "wb");
	ASSERT_NE(f, nullptr);
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
	png_infop info = png_create_info_struct(png);
	png_init_io(png, f);
	png_set_IHDR(png, info, w, h, depth, color_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
	             PNG_FILTER_TYPE_DEFAULT);
	if (!palette.empty())
		png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
	if (!trns.empty())
		png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
	if (comment) {
		png_text t = {};
		t.compression = PNG_TEXT_COMPRESSION_NONE;
		t.key = const_cast<char*>("Comment");
		t.text = const_cast<char*>(comment);
		png_set_text(png, info, &t, 1);
	}
	png_write_info(png, info);
	const size_t row = rows_top_first.size() / h;
	for (int y = 0; y < h; ++y)
		png_write_row(png, const_cast<png_bytep>(rows_top_first.data() + y * row));
	png_write_end(png, info);
	png_destroy_write_struct(&png, &info);
	fclose(f);
}

// A 24-bit BMP, rows bottom first padded to 4 bytes, pixels given as R, G, B.
std::vector<unsigned char> bmp_bytes(int w, int h, const std::vector<unsigned char>& rgb_bottom_first, int bits = 24,
                                     int compression = 0)
{
	const int row = (w * 3 + 3) & ~3;
	const int data = row * h;
	std::vector<unsigned char> b(54 + data, 0);
	auto put32 = [&](int at, unsigned v) {
		for (int i = 0; i < 4; ++i)
			b[at + i] = static_cast<unsigned char>(v >> (8 * i));
	};
	b[0] = 'B', b[1] = 'M';
	put32(2, static_cast<unsigned>(b.size()));
	put32(10, 54);
	put32(14, 40);
	put32(18, w);
	put32(22, h);
	b[26] = 1;
	b[28] = static_cast<unsigned char>(bits);
	put32(30, compression);
	for (int y = 0; y < h; ++y)
		for (int x = 0; x < w; ++x) {
			const unsigned char* p = &rgb_bottom_first[(y * w + x) * 3];
			unsigned char* o = &b[54 + y * row + x * 3];
			o[0] = p[2], o[1] = p[1], o[2] = p[0];
		}
	return b;
}

void write_file(const std::string& path, const std::vector<unsigned char>& bytes)
{
	FILE* f = fopen(path.c_str(), "wb");
	ASSERT_NE(f, nullptr);
	fwrite(bytes.data(), 1, bytes.size(), f);
	fclose(f);
}

class TexCodec : public ::testing::Test {
protected:
	void SetUp() override
	{
		cmdline.force_no_alerts();
		dir = draw_test_dir();
		ASSERT_FALSE(dir.empty());
	}
	std::string dir;
};

// Saving then loading gives the same pixels, bottom row first, for every format the saver takes.
TEST_F(TexCodec, PngRoundTripKeepsPixelsAndRowOrder)
{
	struct row_case {
		int format;
		int bpp;
	} cases[] = {{TEX_fmt_alpha, 1}, {TEX_fmt_rgb, 3}, {TEX_fmt_rgba, 4}};
	for (const row_case& c : cases) {
		SCOPED_TRACE(c.format);
		const int w = 5, h = 3, pad = 3;
		TEX_image_desc d;
		d.format = c.format;
		d.width = w;
		d.height = h;
		d.row_padding = pad;
		std::vector<unsigned char> px(TEX_bytes_needed_for_image(d));
		for (size_t i = 0; i < px.size(); ++i)
			px[i] = static_cast<unsigned char>(i * 37 + 11);
		const std::string path = dir + "round.png";
		ASSERT_TRUE(TEX_save_png(path, d, px.data()));
		const decoded back = decode_png(path, c.format, png_alpha_keep);
		ASSERT_EQ(back.ok, 1);
		EXPECT_EQ(back.desc.format, c.format);
		EXPECT_EQ(back.desc.width, w);
		EXPECT_EQ(back.desc.height, h);
		EXPECT_EQ(back.desc.row_padding, 0);
		for (int y = 0; y < h; ++y)
			EXPECT_EQ(0, memcmp(&back.px[y * w * c.bpp], &px[y * (w * c.bpp + pad)], w * c.bpp)) << "row " << y;
	}
}

TEST_F(TexCodec, PngAlphaModesSettleTheFormat)
{
	// A grey file without alpha, an RGB file and an RGBA file.
	const std::string grey = dir + "grey.png", rgb = dir + "rgb.png", rgba = dir + "rgba.png";
	write_raw_png(grey, 2, 1, PNG_COLOR_TYPE_GRAY, 8, {10, 200});
	write_raw_png(rgb, 1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3});
	write_raw_png(rgba, 1, 1, PNG_COLOR_TYPE_RGBA, 8, {4, 5, 6, 7});
	struct mode_case {
		std::string file;
		int asked, mode, got;
		std::vector<unsigned char> first_pixel;
	} cases[] = {
		{grey, TEX_fmt_rgba, png_alpha_follow, TEX_fmt_alpha, {10}},
		{grey, TEX_fmt_rgba, png_alpha_keep, TEX_fmt_rgba, {10, 10, 10, 255}},
		{grey, TEX_fmt_rgb, png_alpha_match, TEX_fmt_rgb, {10, 10, 10}},
		{rgb, TEX_fmt_rgba, png_alpha_match, TEX_fmt_rgb, {1, 2, 3}},
		{rgb, TEX_fmt_rgba, png_alpha_keep, TEX_fmt_rgba, {1, 2, 3, 255}},
		{rgb, TEX_fmt_alpha, png_alpha_follow, TEX_fmt_rgb, {1, 2, 3}},
		{rgba, TEX_fmt_rgb, png_alpha_match, TEX_fmt_rgba, {4, 5, 6, 7}},
		{rgba, TEX_fmt_rgb, png_alpha_keep, TEX_fmt_rgb, {4, 5, 6}},
		{rgba, TEX_fmt_rgb, png_alpha_follow, TEX_fmt_rgba, {4, 5, 6, 7}},
	};
	for (const mode_case& c : cases) {
		SCOPED_TRACE(c.file + " mode " + std::to_string(c.mode) + " asked " + std::to_string(c.asked));
		const decoded d = decode_png(c.file, c.asked, c.mode);
		ASSERT_EQ(d.ok, 1);
		EXPECT_EQ(d.desc.format, c.got);
		ASSERT_GE(d.px.size(), c.first_pixel.size());
		EXPECT_EQ(std::vector<unsigned char>(d.px.begin(), d.px.begin() + c.first_pixel.size()), c.first_pixel);
	}
}

TEST_F(TexCodec, PaletteWithTransparencyDecodesToRgbaWithClearEntries)
{
	const std::string path = dir + "pal.png";
	const std::vector<png_color> pal = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
	// Entry 1 is fully transparent, entry 2 half.
	write_raw_png(path, 3, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2}, pal, {255, 0, 128});
	const decoded d = decode_png(path, TEX_fmt_rgba, png_alpha_match);
	ASSERT_EQ(d.ok, 1);
	EXPECT_EQ(d.desc.format, TEX_fmt_rgba);
	const std::vector<unsigned char> want = {255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 128};
	EXPECT_EQ(d.px, want);
}

TEST_F(TexCodec, LowBitDepthGreyExpandsToBytes)
{
	const std::string path = dir + "grey2.png";
	// Two bits per pixel: values 0, 1, 2, 3 -> 0, 85, 170, 255.
	write_raw_png(path, 4, 1, PNG_COLOR_TYPE_GRAY, 2, {0x1B});
	const decoded d = decode_png(path, TEX_fmt_rgba, png_alpha_follow);
	ASSERT_EQ(d.ok, 1);
	EXPECT_EQ(d.desc.format, TEX_fmt_alpha);
	EXPECT_EQ(d.px, (std::vector<unsigned char>{0, 85, 170, 255}));
}

TEST_F(TexCodec, PowerOfTwoPaddingClearsOutsideTheImage)
{
	const int w = 300, h = 200;
	std::vector<unsigned char> px(w * h * 3, 0xAB);
	const std::string path = dir + "big.png";
	ASSERT_TRUE(write_png_to_disk(path, w, h, 3, px.data()));
	const decoded d = decode_png(path, TEX_fmt_rgb, png_alpha_keep, true);
	ASSERT_EQ(d.ok, 1);
	EXPECT_EQ(d.desc.width, w);
	EXPECT_EQ(d.desc.height, h);
	EXPECT_EQ(d.desc.row_padding, (512 - 300) * 3);
	ASSERT_EQ(d.px.size(), static_cast<size_t>(512 * 3 * 256));
	size_t inside_wrong = 0, outside_wrong = 0;
	for (int y = 0; y < 256; ++y)
		for (int x = 0; x < 512 * 3; ++x) {
			const unsigned char v = d.px[y * 512 * 3 + x];
			if (y < h && x < w * 3)
				inside_wrong += v != 0xAB;
			else
				outside_wrong += v != 0;
		}
	EXPECT_EQ(inside_wrong, 0u);
	EXPECT_EQ(outside_wrong, 0u);
}

TEST_F(TexCodec, RowPixelsPadsEachRow)
{
	const std::string path = dir + "rp.png";
	std::vector<unsigned char> px = {1, 2, 3, 4, 5, 6};  // 2 x 1 RGB
	ASSERT_TRUE(write_png_to_disk(path, 2, 1, 3, px.data()));
	const decoded d = decode_png(path, TEX_fmt_rgb, png_alpha_keep, false, 8);
	ASSERT_EQ(d.ok, 1);
	EXPECT_EQ(d.desc.row_padding, 6 * 3);
	EXPECT_EQ(std::vector<unsigned char>(d.px.begin(), d.px.begin() + 6), px);
}

TEST_F(TexCodec, NormalModeFromCommentAndFormat)
{
	struct normal_case {
		const char* comment;
		int format;
		int want;
	} cases[] = {{nullptr, TEX_fmt_rgb, 2},
	             {"made with NORMAL_SEPARATE_ALPHA", TEX_fmt_rgb, 3},
	             {"NORMAL_HIGH_PRECISION", TEX_fmt_rgb, 4},
	             {"x NORMAL_METALNESS y", TEX_fmt_rgb, 6},
	             {"NORMAL_METALNESS", TEX_fmt_alpha, 1}};
	for (const normal_case& c : cases) {
		SCOPED_TRACE(c.comment ? c.comment : "none");
		const std::string path = dir + "n.png";
		write_raw_png(path, 1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}, {}, {}, c.comment);
		int normal = -1;
		const decoded d = decode_png(path, c.format, png_alpha_keep, false, 0, &normal);
		ASSERT_EQ(d.ok, 1);
		EXPECT_EQ(normal, c.want);
	}
}

TEST_F(TexCodec, TooShortPngFailsWithoutAlert)
{
	const std::string path = dir + "short.png";
	write_file(path, {137, 80, 78});
	EXPECT_EQ(decode_png(path, TEX_fmt_rgba, png_alpha_keep).ok, 0);
}

TEST_F(TexCodec, TruncatedPngFailsCleanly)
{
	const std::string path = dir + "trunc.png";
	std::vector<unsigned char> px(64 * 64 * 4, 7);
	for (size_t i = 0; i < px.size(); ++i)
		px[i] = static_cast<unsigned char>(i * 13);
	ASSERT_TRUE(write_png_to_disk(path, 64, 64, 4, px.data()));
	xmap_class full(path);
	std::vector<unsigned char> bytes(full.data(), full.data() + full.size() / 2);
	full.close();
	write_file(path, bytes);
	// A libpng error in the middle of the data is a corrupt file: the fatal alert ends the process.
	EXPECT_EXIT(decode_png(path, TEX_fmt_rgba, png_alpha_keep), ::testing::ExitedWithCode(1), "");
}

TEST_F(TexCodec, BmpDecodesEachFormat)
{
	// 2 x 2, bottom row first: red, magenta / white, (30, 60, 90).
	const std::vector<unsigned char> rgb = {255, 0, 0, 255, 0, 255, 255, 255, 255, 30, 60, 90};
	const std::string path = dir + "a.bmp";
	write_file(path, bmp_bytes(2, 2, rgb));
	struct bmp_case {
		int format;
		std::vector<unsigned char> want;
	} cases[] = {
		{TEX_fmt_rgb, rgb},
		{TEX_fmt_rgba, {255, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255, 30, 60, 90, 255}},
		{TEX_fmt_alpha, {85, 170, 255, 60}},
	};
	for (const bmp_case& c : cases) {
		SCOPED_TRACE(c.format);
		unsigned char* px = nullptr;
		TEX_image_desc d;
		xmap_class m(path);
		ASSERT_EQ(TEX_load_bmp(path, m, px, c.format, 0, false, d), 1);
		EXPECT_EQ(d.width, 2);
		EXPECT_EQ(d.height, 2);
		EXPECT_EQ(std::vector<unsigned char>(px, px + c.want.size()), c.want);
		free(px);
	}
}

TEST_F(TexCodec, BmpPastTheEndOfATruncatedFileStaysZero)
{
	const std::vector<unsigned char> rgb(4 * 4 * 3, 200);
	std::vector<unsigned char> bytes = bmp_bytes(4, 4, rgb);
	bytes.resize(54 + 12 + 6);  // the first row and two pixels of the second
	const std::string path = dir + "t.bmp";
	write_file(path, bytes);
	unsigned char* px = nullptr;
	TEX_image_desc d;
	xmap_class m(path);
	ASSERT_EQ(TEX_load_bmp(path, m, px, TEX_fmt_rgb, 0, false, d), 1);
	for (int i = 0; i < 4 * 3 + 2 * 3; ++i)
		EXPECT_EQ(px[i], 200) << i;
	for (int i = 4 * 3 + 2 * 3; i < 4 * 4 * 3; ++i)
		EXPECT_EQ(px[i], 0) << i;
	free(px);
}

TEST_F(TexCodec, BmpOfAnotherDepthIsRefused)
{
	const std::string path = dir + "8bit.bmp";
	write_file(path, bmp_bytes(2, 2, std::vector<unsigned char>(12, 1), 8));
	xmap_class m(path);
	unsigned char* px = nullptr;
	TEX_image_desc d;
	EXPECT_EXIT(TEX_load_bmp(path, m, px, TEX_fmt_rgb, 0, false, d), ::testing::ExitedWithCode(1), "");
}

TEST_F(TexCodec, LoadAnyPicksTheDecoderByContent)
{
	const std::string bmp = dir + "is_bmp.png", png = dir + "is_png.bmp", junk = dir + "junk.png";
	write_file(bmp, bmp_bytes(1, 1, {9, 8, 7}));
	const unsigned char p[3] = {1, 2, 3};
	ASSERT_TRUE(write_png_to_disk(png, 1, 1, 3, p));
	write_file(junk, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
	struct any_case {
		std::string path;
		int ok;
		std::vector<unsigned char> want;
	} cases[] = {{bmp, 1, {9, 8, 7}}, {png, 1, {1, 2, 3}}, {junk, 0, {}}, {dir + "missing.png", 0, {}}};
	for (const any_case& c : cases) {
		SCOPED_TRACE(c.path);
		unsigned char* px = nullptr;
		TEX_image_desc d;
		ASSERT_EQ(TEX_load_any(c.path, px, TEX_fmt_rgb, 0, png_alpha_keep, d), c.ok);
		if (c.ok)
			EXPECT_EQ(std::vector<unsigned char>(px, px + 3), c.want);
		free(px);
	}
}

TEST_F(TexCodec, SaveRefusesAnUnwritablePath)
{
	const unsigned char p[3] = {1, 2, 3};
	EXPECT_FALSE(write_png_to_disk(dir + "no/such/folder/x.png", 1, 1, 3, p));
}

}  // namespace
