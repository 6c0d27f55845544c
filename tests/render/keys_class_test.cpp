// The key router: default bindings, press/hold/release of commands, and what the toolkit,
// the legacy focus and the shell's flags see.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/platform/keys_class.h"
#include "core/platform/wmgr_hooks.h"
#include "core/platform/wmgr_input_record.h"
#include "core/platform/wmgr_wins.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/UTL_commands.h"
#include "platform_test_support.h"

namespace {

struct sent {
	int cmnd, phase;
	bool operator==(const sent& o) const { return cmnd == o.cmnd && phase == o.phase; }
};
std::vector<sent> g_sent;
void record(int cmnd, int phase, void*) { g_sent.push_back({cmnd, phase}); }

struct key_seen {
	int ch, vkey, flags;
};
std::vector<key_seen> g_toolkit_keys;
int g_toolkit_takes = 0;
int g_legacy_takes = 0;
bool g_modal_frame = false;
int toolkit_keyboard(int ch, int vkey, int flags)
{
	g_toolkit_keys.push_back({ch, vkey, flags});
	return g_toolkit_takes;
}
int legacy_keyboard(int, int, int) { return g_legacy_takes; }
bool modal_frame() { return g_modal_frame; }

class KeysClass : public ::testing::Test {
protected:
	void SetUp() override
	{
		keys = keys_class();
		keys.keys_io(0);
		quit = UTL_command_find("sim/operation/quit");
		shot = UTL_command_find("sim/operation/screenshot");
		menu = UTL_command_find("sim/operation/show_menu");
		for (int c : {quit, shot, menu}) keys_set_command_handler(c, record, nullptr);
		g_sent.clear();
		g_toolkit_keys.clear();
		g_toolkit_takes = g_legacy_takes = 0;
		g_modal_frame = false;
		wmgr_toolkit_hooks h;
		h.keyboard = toolkit_keyboard;
		h.legacy_focus_keyboard = legacy_keyboard;
		h.in_modal_alert_frame = modal_frame;
		wmgr_set_toolkit_hooks(h);
		wins.number = 0;
		mnw = mnw_record();
	}
	void TearDown() override
	{
		// Nothing stays pressed between tests.
		for (int c : {quit, shot, menu}) keys_send_command(c, key_cmnd_release);
		keys_set_command_handler(quit, nullptr, nullptr);
		keys_set_command_handler(shot, nullptr, nullptr);
		keys_set_command_handler(menu, nullptr, nullptr);
	}
	platform_state_keeper keep;
	int quit = -1, shot = -1, menu = -1;
};

TEST_F(KeysClass, DefaultBindingsAreTheSevenRows)
{
	ASSERT_EQ(keys.bindings.size(), 7u);
	const char* names[7] = {"sim/none/none", "sim/operation/quit", "sim/operation/screenshot",
	                        "sim/operation/show_menu", "sim/operation/make_current_aircraft_icons",
	                        "sim/operation/make_single_icon", "sim/operation/make_missing_icons"};
	const int vkeys[7] = {0, 81, 32, 27, 0, 0, 0};
	const int mods[7] = {0, 4, 1, 0, 0, 0, 0};
	for (int i = 0; i < 7; ++i) {
		EXPECT_EQ(keys.bindings[i].cmnd, UTL_command_find(names[i])) << i;
		EXPECT_EQ(keys.bindings[i].vkey, vkeys[i]) << i;
		EXPECT_EQ(keys.bindings[i].mods, mods[i]) << i;
		EXPECT_EQ(keys.bindings[i].held, 0) << i;
	}
	// Reading again replaces rather than appends.
	keys.bindings.push_back({1, 2, 3, 1});
	keys.keys_io(0);
	EXPECT_EQ(keys.bindings.size(), 7u);
}

struct binding_case {
	const char* name;
	std::vector<std::pair<int, int>> keys;  // (vkey, flags) in order
	std::vector<std::pair<int, int>> sent;  // (row, phase) in order
	bool quit_held_after;
};

class KeyBindings : public KeysClass, public ::testing::WithParamInterface<binding_case> {};

TEST_P(KeyBindings, SendTheseCommands)
{
	const binding_case& c = GetParam();
	for (auto [vkey, flags] : c.keys) keys.execute_key_cmnd(vkey, flags);
	std::vector<sent> want;
	for (auto [row, phase] : c.sent) want.push_back({keys.bindings[row].cmnd, phase});
	EXPECT_EQ(g_sent, want);
	EXPECT_EQ(keys.bindings[1].held != 0, c.quit_held_after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyBindings,
    ::testing::Values(
        binding_case{"ctrl_q_press", {{81, 8 | 4}}, {{1, key_cmnd_press}}, true},
        binding_case{"ctrl_q_press_release", {{81, 8 | 4}, {81, 16 | 4}}, {{1, key_cmnd_press}, {1, key_cmnd_release}}, false},
        // The release matches whatever modifiers are held by then.
        binding_case{"release_without_ctrl", {{81, 8 | 4}, {81, 16}}, {{1, key_cmnd_press}, {1, key_cmnd_release}}, false},
        binding_case{"q_without_ctrl", {{81, 8}, {81, 16}}, {}, false},
        binding_case{"ctrl_shift_q_is_another_chord", {{81, 8 | 4 | 1}}, {}, false},
        binding_case{"repeat_sends_nothing", {{81, 8 | 4}, {81, 4}, {81, 4}}, {{1, key_cmnd_press}}, true},
        binding_case{"down_and_up_in_one", {{81, 8 | 16 | 4}}, {{1, key_cmnd_press}, {1, key_cmnd_release}}, false},
        // A combined event with other modifiers releases a held row without pressing it.
        binding_case{"combined_other_mods_releases", {{81, 8 | 4}, {81, 8 | 16}}, {{1, key_cmnd_press}, {1, key_cmnd_release}}, false},
        binding_case{"shift_space_screenshot", {{32, 8 | 1}, {32, 16 | 1}}, {{2, key_cmnd_press}, {2, key_cmnd_release}}, false},
        binding_case{"escape_menu", {{27, 8}}, {{3, key_cmnd_press}}, false},
        binding_case{"unbound_key", {{65, 8}, {65, 16}}, {}, false}),
    [](const ::testing::TestParamInfo<binding_case>& i) { return std::string(i.param.name); });

TEST_F(KeysClass, HeldRowsRepeatUntilReleasedOrFocusIsLost)
{
	keys.execute_key_cmnd(81, 8 | 4);
	keys.execute_key_cmnd(27, 8);
	g_sent.clear();
	keys.run_repeat_keys();
	EXPECT_EQ(g_sent, (std::vector<sent>{{quit, key_cmnd_hold}, {menu, key_cmnd_hold}}));

	g_sent.clear();
	mnw.key_held = 1;
	keys.cancel_all_keypresses();
	EXPECT_EQ(g_sent, (std::vector<sent>{{quit, key_cmnd_release}, {menu, key_cmnd_release}}));
	EXPECT_EQ(mnw.key_held, 0);
	EXPECT_FALSE(keys_command_is_pressed(quit));

	g_sent.clear();
	keys.run_repeat_keys();
	keys.cancel_all_keypresses();
	EXPECT_TRUE(g_sent.empty());
}

TEST_F(KeysClass, ToolkitSeesOnlySevenBitCharactersAndCanTakeTheKey)
{
	keys.handle_key(0xE9, 69, 8);
	keys.handle_key('e', 69, 8);
	ASSERT_EQ(g_toolkit_keys.size(), 2u);
	EXPECT_EQ(g_toolkit_keys[0].ch, 0);
	EXPECT_EQ(g_toolkit_keys[0].vkey, 69);
	EXPECT_EQ(g_toolkit_keys[1].ch, 'e');
	EXPECT_EQ(keys.last_typed_char, 'e');

	g_toolkit_takes = 1;
	keys.handle_key(13, 13, 8);
	keys.handle_key(0, 81, 8 | 4);
	EXPECT_EQ(mnw.return_pressed, 0);
	EXPECT_TRUE(g_sent.empty());

	g_toolkit_takes = 0;
	g_legacy_takes = 1;
	keys.handle_key(0, 81, 8 | 4);
	EXPECT_TRUE(g_sent.empty());
}

struct routing_case {
	const char* name;
	int window_number;
	bool modal_frame;
	int vkey, flags;
	int want_number_after;
	int want_return, want_delete, want_escape;
	bool want_command;
};

class KeyRouting : public KeysClass, public ::testing::WithParamInterface<routing_case> {};

TEST_P(KeyRouting, FlagsLegacyWindowAndBindings)
{
	const routing_case& c = GetParam();
	wins.number = c.window_number;
	g_modal_frame = c.modal_frame;
	keys.handle_key(0, c.vkey, c.flags);
	EXPECT_EQ(wins.number, c.want_number_after);
	EXPECT_EQ(mnw.return_pressed, c.want_return);
	EXPECT_EQ(mnw.delete_pressed, c.want_delete);
	EXPECT_EQ(mnw.escape_pressed, c.want_escape);
	EXPECT_EQ(!g_sent.empty(), c.want_command);
}

INSTANTIATE_TEST_SUITE_P(
    Router, KeyRouting,
    ::testing::Values(
        routing_case{"return_sets_flag", 0, false, 13, 8, 0, 1, 0, 0, false},
        routing_case{"enter_sets_return_flag", 0, false, 187, 8, 0, 1, 0, 0, false},
        routing_case{"backspace_and_delete", 0, false, 46, 8, 0, 0, 1, 0, false},
        routing_case{"key_up_sets_no_flag", 0, false, 13, 16, 0, 0, 0, 0, false},
        routing_case{"escape_reaches_binding", 0, false, 27, 8, 0, 0, 0, 1, true},
        // A closable legacy window closes on Return or Escape and the key goes no further.
        routing_case{"escape_closes_legacy_window", 5, false, 27, 8, 0, 0, 0, 1, false},
        // The modal alert cannot be closed that way, and the key still stops.
        routing_case{"escape_does_not_close_alert", 994, false, 27, 8, 994, 0, 0, 1, false},
        routing_case{"window_1000_has_no_bindings", 1000, false, 81, 8 | 4, 1000, 0, 0, 0, false},
        routing_case{"no_bindings_during_modal_frame", 0, true, 81, 8 | 4, 0, 0, 0, 0, false},
        routing_case{"ctrl_q_in_normal_interface", 0, false, 81, 8 | 4, 0, 0, 0, 0, true}),
    [](const ::testing::TestParamInfo<routing_case>& i) { return std::string(i.param.name); });

TEST_F(KeysClass, CtrlQQuitsWhenNobodyHandlesQuit)
{
	keys_set_command_handler(quit, nullptr, nullptr);
	sim_is_done = false;
	keys.handle_key(0, 81, 16 | 4);  // a release alone presses nothing
	EXPECT_FALSE(sim_is_done);
	keys.handle_key(0, 81, 8 | 4);
	EXPECT_TRUE(sim_is_done);
	sim_is_done = false;
}

TEST(KeysNames, VkeyAndFlagTexts)
{
	const std::pair<int, const char*> vkeys[] = {
	    {0, "<NONE>"}, {8, "Backspace"}, {13, "Return"}, {32, "Space"}, {47, "Help"}, {48, "0"},
	    {57, "9"}, {65, "A"}, {90, "Z"}, {96, "Numpad-0"}, {105, "Numpad-9"}, {107, "Numpad-+"},
	    {109, "Numpad--"}, {112, "F1"}, {135, "F24"}, {176, "="}, {183, ","}, {187, "Enter"},
	    {188, "Numpad-Enter"}, {189, "Numpad-="}, {1, "KEY1"}, {108, "KEY108"}, {200, "KEY200"}};
	for (auto [v, name] : vkeys) EXPECT_EQ(keys_class::vkey_to_str(v), name) << v;

	const std::pair<int, const char*> flags[] = {
	    {0, "<none>"}, {8, "<none>"}, {1, "Shift"}, {2, "Option"}, {4, "Ctrl"}, {7, "Shift+Option+Ctrl"}, {5 | 16, "Shift+Ctrl"}};
	for (auto [f, text] : flags) EXPECT_EQ(keys_class::flag_to_str(f), text) << f;
}

}  // namespace
