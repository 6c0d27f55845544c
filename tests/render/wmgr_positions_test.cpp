// The window-positions file, usable monitor modes and the start-up scale.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "core/platform/wmgr_positions.h"
#include "core/platform/wmgr_window.h"

namespace {

class PositionsFile : public ::testing::Test {
protected:
	void SetUp() override
	{
		char tmpl[] = "/tmp/wmgr_positions_XXXXXX";
		ASSERT_NE(mkdtemp(tmpl), nullptr);
		dir = tmpl;
		path = dir + "/Skyvane Window Positions.prf";
	}
	void TearDown() override
	{
		unlink(path.c_str());
		rmdir(dir.c_str());
	}
	void write(const std::string& text) { std::ofstream(path) << text; }
	std::string dir, path;
};

TEST_F(PositionsFile, ReadsEntriesOfExistingMonitorsWithTheirDefaults)
{
	write("I\n10 version\n"
	      "num_monitors 3\n"
	      "monitor/0/m_window_idx 0\n"
	      "monitor/0/m_monitor 0\n"
	      "monitor/0/m_window_bounds/0 100\nmonitor/0/m_window_bounds/1 50\n"
	      "monitor/0/m_window_bounds/2 900\nmonitor/0/m_window_bounds/3 650\n"
	      "monitor/0/m_arbitrary_bounds/2 320\n"
	      "monitor/0/m_bpp 32\nmonitor/0/m_refresh_rate 60\n"
	      "monitor/0/m_x_res_full 1024\nmonitor/0/m_y_res_full 768\n"
	      "monitor/0/m_is_fullscreen wmgr_mode_arbitrary\n"
	      "monitor/0/m_usage wmgr_usage_panel_only\n"
	      "monitor/0/proj/FOVx_renopt 70.5\n"
	      "monitor/0/proj/grid_os_vert_dim_i 2\nmonitor/0/proj/grid_os_vert_dim_j 3\n"
	      "monitor/0/proj/grid_os_x/1/2 0.5\n"
	      "monitor/0/proj/gradient_width_ctr/1 4\n"
	      "monitor/0/proj/gradient_alpha/1/2 0.1\n"
	      "monitor/1/m_monitor 5\n"
	      "monitor/1/m_window_idx 7\n"
	      "monitor/2/m_monitor 0\n"
	      "monitor/2/m_is_fullscreen no_such_mode\n");
	std::vector<wmgr_saved_window> got = wmgr_read_window_positions(path, 1);
	ASSERT_EQ(got.size(), 2u);  // entry 1 names a monitor that is not attached

	const skyvane_window_prefs& a = got[0].prefs;
	EXPECT_EQ(a.m_window_idx, 0);
	const int wb[4] = {100, 50, 900, 650};
	for (int i = 0; i < 4; ++i) EXPECT_EQ(a.m_window_bounds[i], wb[i]) << i;
	EXPECT_EQ(a.m_arbitrary_bounds[2], 320);
	EXPECT_EQ(a.m_arbitrary_bounds[0], 0);
	EXPECT_EQ(a.m_bpp, 32);
	EXPECT_EQ(a.m_refresh_rate, 60);
	EXPECT_EQ(a.m_x_res_full, 1024);
	EXPECT_EQ(a.m_y_res_full, 768);
	EXPECT_EQ(a.m_is_fullscreen, wmgr_mode_arbitrary);
	EXPECT_EQ(a.m_usage, wmgr_usage_panel_only);
	const projection_params& p = got[0].proj;
	EXPECT_DOUBLE_EQ(p.FOVx_renopt, 70.5);
	EXPECT_DOUBLE_EQ(p.FOVy_renopt, 35.98);
	EXPECT_EQ(p.grid_os_drag_dim_i, 10);
	ASSERT_EQ(p.grid_os_x.size(), 2u);
	ASSERT_EQ(p.grid_os_x[1].size(), 3u);
	EXPECT_FLOAT_EQ(p.grid_os_x[1][2], 0.5f);
	EXPECT_FLOAT_EQ(p.grid_os_x[0][0], 0.0f);
	EXPECT_FLOAT_EQ(p.gradient_width_ctr[1], 4.0f);
	EXPECT_FLOAT_EQ(p.gradient_alpha[1][2], 0.1f);
	EXPECT_FLOAT_EQ(p.gradient_alpha[0][1], 0.65f);

	// A sparse entry keeps the starting values; an unknown mode name leaves the mode outside.
	const skyvane_window_prefs& b = got[1].prefs;
	EXPECT_EQ(b.m_window_idx, -1);
	EXPECT_EQ(b.m_monitor, 0);
	EXPECT_EQ(b.m_bpp, -1);
	EXPECT_EQ(b.m_is_fullscreen, -1);
	EXPECT_EQ(b.m_usage, -1);
	EXPECT_DOUBLE_EQ(got[1].proj.FOVx_renopt, 60.0);
}

TEST_F(PositionsFile, UnreadableFilesGiveNoEntries)
{
	const std::pair<const char*, const char*> cases[] = {
	    {"missing", nullptr},
	    {"wrong_version", "I\n9 version\nnum_monitors 1\nmonitor/0/m_monitor 0\n"},
	    {"wrong_first_line", "X\n10 version\nnum_monitors 1\nmonitor/0/m_monitor 0\n"},
	    {"no_count", "I\n10 version\nmonitor/0/m_monitor 0\n"},
	    {"negative_count", "I\n10 version\nnum_monitors -4\nmonitor/0/m_monitor 0\n"},
	    {"monitor_missing", "I\n10 version\nnum_monitors 1\nmonitor/0/m_window_idx 0\n"},
	};
	for (auto [name, text] : cases) {
		unlink(path.c_str());
		if (text) write(text);
		EXPECT_TRUE(wmgr_read_window_positions(path, 2).empty()) << name;
	}
}

TEST_F(PositionsFile, AnAbsurdCountIsBounded)
{
	write("I\n10 version\nnum_monitors 2000000000\nmonitor/0/m_monitor 0\nmonitor/63/m_monitor 0\n"
	      "monitor/64/m_monitor 0\n");
	EXPECT_EQ(wmgr_read_window_positions(path, 1).size(), 2u);
}

TEST(UsableModes, FilterLabelAndDeduplicate)
{
	auto mode = [](int w, int h, int bpp, int hz) {
		monitor_res_struct m;
		m.width = w, m.height = h, m.bpp = bpp, m.refresh = hz;
		return m;
	};
	const std::vector<monitor_res_struct> all = {
	    mode(1920, 1080, 32, 60), mode(1920, 1080, 32, 60),  // the same label twice
	    mode(1920, 1080, 32, 59),                            // not a listed refresh rate
	    mode(1280, 720, 32, 0),   mode(1280, 719, 32, 0),    // too low
	    mode(799, 900, 32, 0),    mode(1024, 768, 16, 0),    // too narrow, not 32 bits
	    mode(1600, 1200, 32, 1),                             // 1 Hz is not a listed rate
	    mode(2560, 1440, 32, 140),
	};
	std::vector<monitor_res_struct> got = wmgr_usable_modes_of(all);
	std::vector<std::string> labels;
	for (const auto& m : got) labels.push_back(m.label);
	EXPECT_EQ(labels, (std::vector<std::string>{"Default Monitor Settings", "1920\xC3\x97" "1080, 32 bit (60 hz)",
	                                            "1280\xC3\x97" "720, 32 bit", "2560\xC3\x97" "1440, 32 bit (140 hz)"}));
	EXPECT_EQ(got[0].width, 0);
	EXPECT_EQ(got[1].width, 1920);
	EXPECT_EQ(got[3].refresh, 140);
}

TEST(StartupScale, OnlyWholeStepsOnLargeEnoughMonitors)
{
	struct c {
		int w, h;
		float os, want;
	};
	const c cases[] = {
	    {1920, 1080, 1.0f, 1.0f}, {2560, 1260, 2.0f, 1.0f},  // more than 1680 x 1260 needed at 2
	    {3840, 2160, 2.0f, 2.0f}, {1681, 1261, 2.0f, 2.0f},  {1680, 1261, 2.0f, 1.0f},
	    {1920, 1080, 1.5f, 1.5f}, {1261, 946, 1.5f, 1.5f},   {1260, 946, 1.5f, 1.0f},
	    {3840, 2160, 1.25f, 1.0f}, {3840, 2160, 3.0f, 1.0f},
	};
	for (const c& x : cases) EXPECT_EQ(wmgr_startup_scale(x.w, x.h, x.os), x.want) << x.w << "x" << x.h << "@" << x.os;
}

}  // namespace
