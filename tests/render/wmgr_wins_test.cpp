// The legacy window number: logical sizes, offsets, closability and modality.
#include <gtest/gtest.h>

#include <string>

#include "core/platform/wmgr_hooks.h"
#include "core/platform/wmgr_wins.h"
#include "platform_test_support.h"

namespace {

struct start_case {
	const char* name;
	int win_w, win_h, number;
	int logical_w, logical_h, offset_x, offset_y;
};

class StartWin : public ::testing::TestWithParam<start_case> {};

TEST_P(StartWin, SizesAndOffsets)
{
	platform_state_keeper keep;
	const start_case& c = GetParam();
	wins = wins_class();
	wins.win_width = c.win_w;
	wins.win_height = c.win_h;
	wins.start_win(c.number, wmgr_loop_none);
	EXPECT_EQ(wins.number, c.number);
	EXPECT_EQ(wins.logical_width, c.logical_w);
	EXPECT_EQ(wins.logical_height, c.logical_h);
	EXPECT_EQ(wins.offset_x, c.offset_x);
	EXPECT_EQ(wins.offset_y, c.offset_y);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, StartWin,
    ::testing::Values(
        start_case{"before_first_frame", 800, 600, -1, 1024, 768, 0, 0},
        start_case{"before_first_frame_large", 1280, 1000, -1, 1024, 768, 128, 116},
        start_case{"normal_interface", 800, 600, 0, 800, 600, 0, 0},
        start_case{"alert_centred", 800, 600, 994, 420, 260, 190, 170},
        // Half away from zero: (801 - 420) / 2 = 190.5 gives 191.
        start_case{"alert_odd_width", 801, 601, 994, 420, 260, 191, 171},
        // Between two and three times as wide as high: centred on the first half.
        start_case{"alert_wide_window", 2000, 800, 994, 420, 260, 290, 270},
        start_case{"alert_exactly_twice_as_wide", 1600, 800, 994, 420, 260, 590, 270},
        start_case{"alert_smaller_than_area", 300, 200, 994, 420, 260, 0, 0},
        start_case{"other_number_takes_window_size", 640, 480, 5, 640, 480, 0, 0}),
    [](const ::testing::TestParamInfo<start_case>& i) { return std::string(i.param.name); });

TEST(Wins, CanZapAndIsModal)
{
	platform_state_keeper keep;
	const std::pair<int, bool> zap[] = {{-1, true}, {0, false}, {1, true},    {993, true},  {994, false},
	                                    {997, false}, {998, true}, {999, false}, {1006, false}, {1007, true}};
	for (auto [n, want] : zap) {
		wins.number = n;
		EXPECT_EQ(can_zap(), want) << n;
	}
	const std::pair<int, bool> modal[] = {{0, false}, {990, false}, {991, true}, {994, true}, {1007, true}, {1008, false}};
	for (auto [n, want] : modal) {
		wins.number = n;
		EXPECT_EQ(wins.is_modal(), want) << n;
	}

	// A modal alert frame of the toolkit is modal whatever the number.
	wmgr_toolkit_hooks h;
	h.in_modal_alert_frame = [] { return true; };
	wmgr_set_toolkit_hooks(h);
	wins.number = 0;
	EXPECT_TRUE(wins.is_modal());
}

TEST(Wins, StartWinSetsTheRootUnlessForTheAlert)
{
	platform_state_keeper keep;
	static std::vector<std::pair<int, int>> roots;
	static int frames = 0;
	roots.clear();
	frames = 0;
	wmgr_toolkit_hooks h;
	h.set_root_for_window_number = [](int n, int state) { roots.push_back({n, state}); };
	h.begin_focus_frame = [] { ++frames; };
	wmgr_set_toolkit_hooks(h);
	wins = wins_class();
	wins.start_win(0, wmgr_loop_none);
	wins.start_win(994, wmgr_loop_none);
	wins.start_win(0, wmgr_loop_exit);
	EXPECT_EQ(roots, (std::vector<std::pair<int, int>>{{0, wmgr_loop_none}, {0, wmgr_loop_exit}}));
	EXPECT_EQ(frames, 3);
}

TEST(Wins, DefaultProjectionOnceANumberIsSet)
{
	platform_state_keeper keep;
	static int calls = 0;
	static float got[4];
	calls = 0;
	wmgr_render_hooks r;
	r.set_projection = [](float l, float b, float rt, float t, int, int) {
		++calls;
		got[0] = l, got[1] = b, got[2] = rt, got[3] = t;
	};
	wmgr_set_render_hooks(r);
	wins = wins_class();
	wins.win_width = 640;
	wins.win_height = 480;
	wins.scale_x = 3;
	OGL_pix_specs();
	EXPECT_EQ(calls, 0);  // number -1: only the record changes
	EXPECT_EQ(wins.scale_x, 1);
	EXPECT_EQ(wins.proj[2], 640);
	wins.number = 0;
	OGL_pix_specs();
	EXPECT_EQ(calls, 1);
	EXPECT_EQ(got[2], 640);
	EXPECT_EQ(got[3], 480);

	wins.offset_x = wins.offset_y = 7;
	clear_win_xy();
	EXPECT_EQ(wins.offset_x, 0);
	EXPECT_EQ(wins.offset_y, 0);
}

}  // namespace
