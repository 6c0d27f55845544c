// Pixel utilities: edge cleaning, flipping, box downscaling, buffer sizes.
#include <gtest/gtest.h>

#include <vector>

#include "core/TEX/TEX_image.h"

namespace {

TEST(TexPixels, BytesNeededFollowFormatAndPadding)
{
	struct size_case {
		int format, w, h, pad;
		size_t want;
	} cases[] = {{TEX_fmt_alpha, 3, 2, 1, 8},   {TEX_fmt_rg, 3, 2, 0, 12}, {TEX_fmt_rgb, 3, 2, 3, 24},
	             {TEX_fmt_rgba, 3, 2, 0, 24},   {12345, 3, 2, 0, 0},        {TEX_fmt_rgba, 0, 2, 0, 0}};
	for (const size_case& c : cases) {
		TEX_image_desc d;
		d.format = c.format, d.width = c.w, d.height = c.h, d.row_padding = c.pad;
		EXPECT_EQ(TEX_bytes_needed_for_image(d), c.want) << c.format;
	}
}

TEST(TexPixels, CleanEdgeGivesClearPixelsTheirNeighboursColour)
{
	// 7 x 1: an opaque red pixel at 0 and an opaque blue at 6, clear pixels between.
	TEX_image_desc d;
	d.format = TEX_fmt_rgba, d.width = 7, d.height = 1;
	std::vector<unsigned char> px(7 * 4, 0);
	px[0] = 200, px[3] = 255;
	px[6 * 4 + 2] = 100, px[6 * 4 + 3] = 255;
	TEX_clean_edge(d, px.data());
	struct px_case {
		int x;
		unsigned char r, g, b, a;
	} want[] = {{0, 200, 0, 0, 255}, {1, 200, 0, 0, 0}, {2, 200, 0, 0, 0},  {3, 0, 0, 0, 0},
	            {4, 0, 0, 100, 0},   {5, 0, 0, 100, 0}, {6, 0, 0, 100, 255}};
	for (const px_case& w : want) {
		const unsigned char* p = &px[w.x * 4];
		EXPECT_EQ(std::vector<unsigned char>(p, p + 4), (std::vector<unsigned char>{w.r, w.g, w.b, w.a})) << "x " << w.x;
	}
}

TEST(TexPixels, CleanEdgeAveragesFromOriginalColoursOnly)
{
	// 3 x 3, opaque only at the corners (0,0) grey 90 and (2,2) grey 30; the centre sees both.
	TEX_image_desc d;
	d.format = TEX_fmt_rgba, d.width = 3, d.height = 3;
	std::vector<unsigned char> px(9 * 4, 0);
	auto at = [&](int x, int y) { return &px[(y * 3 + x) * 4]; };
	at(0, 0)[0] = at(0, 0)[1] = at(0, 0)[2] = 90, at(0, 0)[3] = 255;
	at(2, 2)[0] = at(2, 2)[1] = at(2, 2)[2] = 30, at(2, 2)[3] = 255;
	TEX_clean_edge(d, px.data());
	EXPECT_EQ(at(1, 1)[0], 60);
	EXPECT_EQ(at(1, 0)[0], 60);
	EXPECT_EQ(at(1, 1)[3], 0);
}

TEST(TexPixels, FlipKeepsPaddingWithItsRow)
{
	TEX_image_desc d;
	d.format = TEX_fmt_alpha, d.width = 2, d.height = 3, d.row_padding = 1;
	std::vector<unsigned char> px = {1, 2, 9, 3, 4, 8, 5, 6, 7};
	TEX_flip_y(d, px.data());
	EXPECT_EQ(px, (std::vector<unsigned char>{5, 6, 7, 3, 4, 8, 1, 2, 9}));
}

TEST(TexPixels, DownscaleAveragesBoxesAndDropsPadding)
{
	TEX_image_desc d;
	d.format = TEX_fmt_alpha, d.width = 4, d.height = 2, d.row_padding = 2;
	std::vector<unsigned char> px = {0, 10, 20, 40, 99, 99, 100, 110, 120, 140, 99, 99};
	TEX_downscale(d, px.data(), 2, 2);
	EXPECT_EQ(d.width, 2);
	EXPECT_EQ(d.height, 1);
	EXPECT_EQ(d.row_padding, 0);
	EXPECT_EQ(px[0], 55);   // (0 + 10 + 100 + 110) / 4
	EXPECT_EQ(px[1], 80);   // (20 + 40 + 120 + 140) / 4
}

TEST(TexPixels, DownscaleLeavesImagesSmallerThanTheFactor)
{
	TEX_image_desc d;
	d.format = TEX_fmt_rgba, d.width = 1, d.height = 1;
	std::vector<unsigned char> px = {1, 2, 3, 4};
	TEX_downscale(d, px.data(), 4, 4);
	EXPECT_EQ(d.width, 1);
	EXPECT_EQ(px, (std::vector<unsigned char>{1, 2, 3, 4}));
}

}  // namespace
