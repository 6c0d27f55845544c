// Cursors: the hide counter, names, custom images; and the text clipboard.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <string>
#include <vector>

#include "core/platform/WIN_clipboard.h"
#include "core/platform/WIN_cursor.h"
#include "core/platform/WIN_window.h"

namespace {

TEST(Cursor, HideCounterBalances)
{
	ASSERT_TRUE(WIN_cursor_is_visible());
	WIN_hide_cursor();
	WIN_hide_cursor();
	WIN_show_cursor();
	EXPECT_FALSE(WIN_cursor_is_visible());
	WIN_show_cursor();
	EXPECT_TRUE(WIN_cursor_is_visible());
	// Unbalanced shows push the counter below zero; the cursor is not "visible" then either,
	// and one hide brings it back.
	WIN_show_cursor();
	EXPECT_FALSE(WIN_cursor_is_visible());
	WIN_hide_cursor();
	EXPECT_TRUE(WIN_cursor_is_visible());
}

TEST(Cursor, Names)
{
	const std::pair<int, const char*> cases[] = {{0, "mc_default"}, {2, "mc_hidden"},  {3, "mc_rot1"},
	                                             {11, "mc_rot3_rgt"}, {19, "mc_handle"}, {24, "mc_splitter_v"},
	                                             {25, "mc_default"}, {-1, "mc_default"}};
	for (auto [type, name] : cases) EXPECT_STREQ(mouse_cursor_to_string(type), name) << type;
}

TEST(Cursor, BadImagesAreReported)
{
	const unsigned char px[4] = {0, 0, 0, 255};
	struct c {
		int w, h, pad;
		const unsigned char* p;
	};
	const c cases[] = {{1, 1, 0, nullptr}, {0, 1, 0, px}, {1, -1, 0, px}, {1, 1, -4, px}};
	for (const c& k : cases) {
		testing::internal::CaptureStdout();
		EXPECT_EQ(WIN_create_custom_cursor(k.w, k.h, k.pad, k.p, 0, 0), nullptr);
		EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: couldn't load cursor image\n");
	}
}

class WithVideo : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (!WIN_video_available()) GTEST_SKIP() << "no display";
	}
};

TEST_F(WithVideo, CustomCursorFromBottomUpRowsWithPadding)
{
	if (std::string(SDL_GetCurrentVideoDriver()) != "x11") GTEST_SKIP() << "no cursors with this driver";
	// 3 x 2 image, 4 bytes of padding per row.
	std::vector<unsigned char> px(2 * (3 * 4 + 4), 0);
	for (unsigned char& b : px) b = 200;
	testing::internal::CaptureStdout();
	WIN_cursor_handle h = WIN_create_custom_cursor(3, 2, 4, px.data(), 1, 1);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
	ASSERT_NE(h, nullptr);
	WIN_set_cursor_custom(h);
	EXPECT_EQ(SDL_GetCursor(), static_cast<SDL_Cursor*>(h));
	WIN_set_cursor_custom(nullptr);
	EXPECT_EQ(SDL_GetCursor(), static_cast<SDL_Cursor*>(h));
	WIN_set_cursor_to_arrow();
	EXPECT_NE(SDL_GetCursor(), static_cast<SDL_Cursor*>(h));
}

TEST_F(WithVideo, ClipboardRoundTrip)
{
	if (std::string(SDL_GetCurrentVideoDriver()) != "x11") GTEST_SKIP() << "no system clipboard with this driver";
	WIN_clipboard_put_text("Skyvane \xC3\xA9t\xC3\xA9");
	std::vector<std::string> got;
	WIN_clipboard_get_text([](const char* t, void* ref) { static_cast<std::vector<std::string>*>(ref)->push_back(t); },
	                       &got);
	EXPECT_EQ(got, std::vector<std::string>{"Skyvane \xC3\xA9t\xC3\xA9"});

	// An empty clipboard holds no text: the callback is not called.
	WIN_clipboard_put_text("");
	got.clear();
	WIN_clipboard_get_text([](const char* t, void* ref) { static_cast<std::vector<std::string>*>(ref)->push_back(t); },
	                       &got);
	EXPECT_TRUE(got.empty());
}

}  // namespace
