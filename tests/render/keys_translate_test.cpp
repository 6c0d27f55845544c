// Key translation from synthetic SDL keyboard events; no display is needed.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <set>
#include <string>

#include "core/platform/WIN_keys.h"
#include "core/platform/WIN_keys_sdl.h"

namespace {

struct key_ev {
	bool up;
	bool repeat;
	SDL_Scancode sc;
	SDL_Keycode sym;
	Uint16 mod;
	const char* text;  // what SDL typed for a key-down, or null
};

struct triple {
	bool sent;
	int ch, vkey, flags;
};

triple run(WIN_key_state& st, const key_ev& k)
{
	SDL_KeyboardEvent e{};
	e.type = k.up ? SDL_KEYUP : SDL_KEYDOWN;
	e.state = k.up ? SDL_RELEASED : SDL_PRESSED;
	e.repeat = k.repeat ? 1 : 0;
	e.keysym.scancode = k.sc;
	e.keysym.sym = k.sym;
	e.keysym.mod = k.mod;
	triple t{};
	t.sent = WIN_key_event_to_triple(st, e, k.text, &t.ch, &t.vkey, &t.flags);
	return t;
}

struct sequence_case {
	const char* name;
	std::vector<key_ev> events;
	std::vector<triple> expected;
};

class KeySequences : public ::testing::TestWithParam<sequence_case> {};

TEST_P(KeySequences, GiveTheseTriples)
{
	const sequence_case& c = GetParam();
	WIN_key_state st;
	ASSERT_EQ(c.events.size(), c.expected.size());
	for (size_t i = 0; i < c.events.size(); ++i) {
		triple got = run(st, c.events[i]);
		const triple& want = c.expected[i];
		EXPECT_EQ(got.sent, want.sent) << c.name << " event " << i;
		EXPECT_EQ(got.ch, want.ch) << c.name << " event " << i;
		EXPECT_EQ(got.vkey, want.vkey) << c.name << " event " << i;
		EXPECT_EQ(got.flags, want.flags) << c.name << " event " << i;
	}
}

const Uint16 kCtrl = KMOD_LCTRL, kGui = KMOD_LGUI, kShift = KMOD_LSHIFT, kAlt = KMOD_LALT;
const SDL_Scancode kQ = SDL_SCANCODE_Q;

INSTANTIATE_TEST_SUITE_P(
    Translation, KeySequences,
    ::testing::Values(
        // SDL types nothing for Control combinations: the character stays 0 both ways.
        sequence_case{"ctrl_q",
                      {{false, false, kQ, 'q', kCtrl, nullptr}, {true, false, kQ, 'q', kCtrl, nullptr}},
                      {{true, 0, 81, 8 | 4}, {true, 0, 81, 16 | 4}}},
        sequence_case{"command_q_counts_as_control",
                      {{false, false, kQ, 'q', kGui, nullptr}, {true, false, kQ, 'q', kGui, nullptr}},
                      {{true, 0, 81, 8 | 4}, {true, 0, 81, 16 | 4}}},
        // Held letter: fresh press, repeats with neither 8 nor 16, release keeps the character.
        sequence_case{"held_letter",
                      {{false, false, SDL_SCANCODE_A, 'a', 0, "a"},
                       {false, true, SDL_SCANCODE_A, 'a', 0, "a"},
                       {false, true, SDL_SCANCODE_A, 'a', 0, "a"},
                       {true, false, SDL_SCANCODE_A, 'a', 0, nullptr}},
                      {{true, 'a', 65, 8}, {true, 'a', 65, 0}, {true, 'a', 65, 0}, {true, 'a', 65, 16}}},
        sequence_case{"shifted_letter",
                      {{false, false, SDL_SCANCODE_A, 'a', kShift, "A"}, {true, false, SDL_SCANCODE_A, 'a', kShift, nullptr}},
                      {{true, 'A', 65, 8 | 1}, {true, 'A', 65, 16 | 1}}},
        sequence_case{"arrows_force_control_characters",
                      {{false, false, SDL_SCANCODE_LEFT, SDLK_LEFT, 0, nullptr},
                       {false, false, SDL_SCANCODE_UP, SDLK_UP, 0, nullptr},
                       {false, false, SDL_SCANCODE_RIGHT, SDLK_RIGHT, 0, nullptr},
                       {false, false, SDL_SCANCODE_DOWN, SDLK_DOWN, kShift, nullptr}},
                      {{true, 28, 37, 8}, {true, 30, 38, 8}, {true, 29, 39, 8}, {true, 31, 40, 8 | 1}}},
        // With Num Lock off the keypad still reports its digit.
        sequence_case{"keypad_forces_digits",
                      {{false, false, SDL_SCANCODE_KP_5, SDLK_KP_5, 0, "5"},
                       {false, false, SDL_SCANCODE_KP_0, SDLK_INSERT, 0, nullptr},
                       {false, false, SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, 0, nullptr},
                       {false, false, SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 0, nullptr}},
                      {{true, '5', 101, 8}, {true, '0', 96, 8}, {true, '.', 110, 8}, {true, 0, 188, 8}}},
        sequence_case{"control_keys_type_their_characters",
                      {{false, false, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0, nullptr},
                       {false, false, SDL_SCANCODE_RETURN, SDLK_RETURN, 0, nullptr},
                       {false, false, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, nullptr},
                       {false, false, SDL_SCANCODE_TAB, SDLK_TAB, kShift, nullptr},
                       {false, false, SDL_SCANCODE_DELETE, SDLK_DELETE, 0, nullptr},
                       {false, false, SDL_SCANCODE_INSERT, SDLK_INSERT, 0, nullptr}},
                      {{true, 8, 8, 8}, {true, 13, 13, 8}, {true, 27, 27, 8}, {true, 9, 9, 8 | 1}, {true, 127, 46, 8},
                       {true, 0, 47, 8}}},
        // The dead key's own event has no character and its vkey from the unshifted character;
        // the vowel carries the composed character.
        sequence_case{"dead_key_then_vowel",
                      {{false, false, SDL_SCANCODE_APOSTROPHE, '\'', 0, nullptr},
                       {true, false, SDL_SCANCODE_APOSTROPHE, '\'', 0, nullptr},
                       {false, false, SDL_SCANCODE_E, 'e', 0, "\xC3\xA9"},
                       {true, false, SDL_SCANCODE_E, 'e', 0, nullptr}},
                      {{true, 0, 180, 8}, {true, 0, 180, 16}, {true, 0xE9, 69, 8}, {true, 0xE9, 69, 16}}},
        // A layout moves letters (the key at Q types 'a') but not the top-row digits.
        sequence_case{"layout_moves_letters_not_digits",
                      {{false, false, SDL_SCANCODE_Q, 'a', 0, "a"},
                       {false, false, SDL_SCANCODE_1, '&', 0, "&"},
                       {false, false, SDL_SCANCODE_2, '2', kAlt, "@"}},
                      {{true, 'a', 65, 8}, {true, '&', 49, 8}, {true, '@', 50, 8 | 2}}},
        // A release of another key than the last press reports its own (empty) character.
        sequence_case{"release_of_another_key",
                      {{false, false, SDL_SCANCODE_A, 'a', 0, "a"}, {true, false, SDL_SCANCODE_B, 'b', 0, nullptr}},
                      {{true, 'a', 65, 8}, {true, 0, 66, 16}}},
        sequence_case{"modifier_keys_send_nothing",
                      {{false, false, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, kShift, nullptr},
                       {true, false, SDL_SCANCODE_RCTRL, SDLK_RCTRL, 0, nullptr},
                       {false, false, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, 0, nullptr}},
                      {{false, 0, 0, 0}, {false, 0, 0, 0}, {false, 0, 0, 0}}}),
    [](const ::testing::TestParamInfo<sequence_case>& i) { return std::string(i.param.name); });

TEST(KeyTranslation, ShiftedCharacterLooksUpTheTable)
{
	// '<' has no row in the table and '>' neither; both fall to an anonymous code, the same
	// for the press and for a later press of the same key.
	WIN_key_state st;
	triple a = run(st, {false, false, SDL_SCANCODE_NONUSBACKSLASH, '<', KMOD_LSHIFT, ">"});
	triple b = run(st, {false, false, SDL_SCANCODE_NONUSBACKSLASH, '<', 0, "<"});
	EXPECT_EQ(a.vkey, kAnonymousVkeys[0]);
	EXPECT_EQ(b.vkey, a.vkey);
	// A shifted character that is in the table wins over the anonymous code.
	triple c = run(st, {false, false, SDL_SCANCODE_KP_LEFTBRACE, 0x20AC, KMOD_LSHIFT, "/"});
	EXPECT_EQ(c.vkey, 184);
}

TEST(KeyTranslation, AnonymousCodesRunOutAfterSeventyNineKeys)
{
	WIN_key_state st;
	// Scancodes from the international/language block have no table row and no character.
	std::vector<int> got;
	for (int i = 0; i < WIN_anon_vkey_count + 2; ++i) {
		const int raw = 1000 + i;
		int vkey = -1, ch = -1;
		WIN_translate_keys_in(st, raw, 0, {}, 1, 0, kWinKeyTable, &vkey, &ch);
		got.push_back(vkey);
	}
	for (int i = 0; i < WIN_anon_vkey_count; ++i) EXPECT_EQ(got[i], kAnonymousVkeys[i]) << i;
	EXPECT_EQ(got[WIN_anon_vkey_count], 0);
	EXPECT_EQ(got[WIN_anon_vkey_count + 1], 0);
	EXPECT_EQ(st.raw_to_anon_vkey.size(), static_cast<size_t>(WIN_anon_vkey_count));

	// Keys that already have a code keep it; a new key with a character still passes it.
	int vkey = -1, ch = -1;
	WIN_translate_keys_in(st, 1005, 0, {}, 1, 0, kWinKeyTable, &vkey, &ch);
	EXPECT_EQ(vkey, kAnonymousVkeys[5]);
	WIN_translate_keys_in(st, 5000, 0x00F1, {}, 1, 0, kWinKeyTable, &vkey, &ch);
	EXPECT_EQ(vkey, 0);
	EXPECT_EQ(ch, 0x00F1);
}

TEST(KeyTranslation, NothingIsSentForAnAutoRepeatWithNoCodeAndNoCharacter)
{
	WIN_key_state st;
	st.anon_used = WIN_anon_vkey_count;  // every anonymous code taken
	triple t = run(st, {false, true, SDL_SCANCODE_LANG1, SDLK_UNKNOWN, 0, nullptr});
	EXPECT_FALSE(t.sent);
	triple u = run(st, {false, false, SDL_SCANCODE_LANG1, SDLK_UNKNOWN, 0, nullptr});
	EXPECT_TRUE(u.sent);  // a fresh press still carries flag 8
	EXPECT_EQ(u.vkey, 0);
}

TEST(KeyTables, AnonymousCodesCollideWithNoOtherCode)
{
	std::set<int> taken;
	for (const WIN_key_table_row* r = kWinKeyTable; r->vkey; ++r) taken.insert(r->vkey);
	for (const WIN_ascii_mapping& m : kAsciiMappings) taken.insert(m.vkey);
	std::set<int> anon(kAnonymousVkeys, kAnonymousVkeys + WIN_anon_vkey_count);
	EXPECT_EQ(anon.size(), static_cast<size_t>(WIN_anon_vkey_count));
	for (int a : anon) EXPECT_EQ(taken.count(a), 0u) << a;
	EXPECT_EQ(anon.count(0), 0u);
}

TEST(KeyTables, CharacterMappings)
{
	const std::pair<int, int> cases[] = {{'a', 65}, {'z', 90}, {'0', 48}, {'9', 57}, {' ', 32}, {'.', 185},
	                                     {'`', 186}, {'\\', 182}, {',', 183}, {'A', 0}, {'<', 0}, {0xE9, 0}};
	for (auto [ch, vkey] : cases) EXPECT_EQ(WIN_ascii_to_vkey(ch), vkey) << ch;
}

TEST(KeyTables, FirstUtf16UnitOfUtf8)
{
	const std::pair<const char*, int> cases[] = {
	    {nullptr, 0},        {"", 0},        {"a", 'a'},         {"ab", 'a'},
	    {"\xC3\xA9", 0xE9},  {"\xE2\x82\xAC", 0x20AC}, {"\xF0\x9F\x98\x80", 0xD83D},
	    {"\xC3", 0},         {"\x80", 0},    {"\xED\xA0\x80", 0},  // a lone surrogate is not text
	};
	for (auto [text, unit] : cases) EXPECT_EQ(WIN_utf8_first_unit(text), unit) << (text ? text : "(null)");
}

TEST(KeyTables, ModifierFlags)
{
	EXPECT_EQ(WIN_modifier_flags(0), 0);
	EXPECT_EQ(WIN_modifier_flags(KMOD_RSHIFT), 1);
	EXPECT_EQ(WIN_modifier_flags(KMOD_RALT), 2);
	EXPECT_EQ(WIN_modifier_flags(KMOD_RGUI), 4);
	EXPECT_EQ(WIN_modifier_flags(KMOD_LCTRL | KMOD_LSHIFT | KMOD_CAPS | KMOD_NUM), 5);
}

}  // namespace
