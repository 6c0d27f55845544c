// Key table, character mappings, anonymous codes and the key translation.
#include "core/platform/WIN_keys.h"
#include "core/platform/WIN_keys_sdl.h"

#include <cstdlib>

const WIN_ascii_mapping kAsciiMappings[WIN_ascii_mapping_count] = {
	{'.', 185}, {' ', 32},
	{'a', 65}, {'b', 66}, {'c', 67}, {'d', 68}, {'e', 69}, {'f', 70}, {'g', 71}, {'h', 72}, {'i', 73},
	{'j', 74}, {'k', 75}, {'l', 76}, {'m', 77}, {'n', 78}, {'o', 79}, {'p', 80}, {'q', 81}, {'r', 82},
	{'s', 83}, {'t', 84}, {'u', 85}, {'v', 86}, {'w', 87}, {'x', 88}, {'y', 89}, {'z', 90},
	{'=', 176}, {'-', 177}, {']', 178}, {'[', 179}, {'\'', 180}, {';', 181}, {'\\', 182}, {',', 183},
	{'/', 184}, {'.', 185}, {'`', 186},
	{'0', 48}, {'1', 49}, {'2', 50}, {'3', 51}, {'4', 52}, {'5', 53}, {'6', 54}, {'7', 55}, {'8', 56}, {'9', 57},
};

const WIN_key_table_row kWinKeyTable[] = {
	{SDL_SCANCODE_0, 48}, {SDL_SCANCODE_1, 49}, {SDL_SCANCODE_2, 50}, {SDL_SCANCODE_3, 51},
	{SDL_SCANCODE_4, 52}, {SDL_SCANCODE_5, 53}, {SDL_SCANCODE_6, 54}, {SDL_SCANCODE_7, 55},
	{SDL_SCANCODE_8, 56}, {SDL_SCANCODE_9, 57},
	{SDL_SCANCODE_RETURN, 13}, {SDL_SCANCODE_TAB, 9}, {SDL_SCANCODE_SPACE, 32},
	{SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_ESCAPE, 27},
	// The keypad's Clear sits where PC keyboards have Num Lock.
	{SDL_SCANCODE_NUMLOCKCLEAR, 12}, {SDL_SCANCODE_CLEAR, 12},
	{SDL_SCANCODE_F1, 112}, {SDL_SCANCODE_F2, 113}, {SDL_SCANCODE_F3, 114}, {SDL_SCANCODE_F4, 115},
	{SDL_SCANCODE_F5, 116}, {SDL_SCANCODE_F6, 117}, {SDL_SCANCODE_F7, 118}, {SDL_SCANCODE_F8, 119},
	{SDL_SCANCODE_F9, 120}, {SDL_SCANCODE_F10, 121}, {SDL_SCANCODE_F11, 122}, {SDL_SCANCODE_F12, 123},
	{SDL_SCANCODE_F13, 124}, {SDL_SCANCODE_F14, 125}, {SDL_SCANCODE_F15, 126}, {SDL_SCANCODE_F16, 127},
	{SDL_SCANCODE_F17, 128}, {SDL_SCANCODE_F18, 129}, {SDL_SCANCODE_F19, 130}, {SDL_SCANCODE_F20, 131},
	{SDL_SCANCODE_HOME, 36}, {SDL_SCANCODE_END, 35}, {SDL_SCANCODE_PAGEUP, 33}, {SDL_SCANCODE_PAGEDOWN, 34},
	{SDL_SCANCODE_DELETE, 46},
	// Help is the key in the Insert position.
	{SDL_SCANCODE_INSERT, 47}, {SDL_SCANCODE_HELP, 47},
	{SDL_SCANCODE_LEFT, 37}, {SDL_SCANCODE_UP, 38}, {SDL_SCANCODE_RIGHT, 39}, {SDL_SCANCODE_DOWN, 40},
	{SDL_SCANCODE_KP_0, 96}, {SDL_SCANCODE_KP_1, 97}, {SDL_SCANCODE_KP_2, 98}, {SDL_SCANCODE_KP_3, 99},
	{SDL_SCANCODE_KP_4, 100}, {SDL_SCANCODE_KP_5, 101}, {SDL_SCANCODE_KP_6, 102}, {SDL_SCANCODE_KP_7, 103},
	{SDL_SCANCODE_KP_8, 104}, {SDL_SCANCODE_KP_9, 105},
	{SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_PLUS, 107}, {SDL_SCANCODE_KP_MINUS, 109},
	{SDL_SCANCODE_KP_PERIOD, 110}, {SDL_SCANCODE_KP_DIVIDE, 111},
	{SDL_SCANCODE_KP_ENTER, 188}, {SDL_SCANCODE_KP_EQUALS, 189},
	{0, 0},
};

const int kAnonymousVkeys[WIN_anon_vkey_count] = {
	1, 2, 3, 4, 5, 6, 7, 10, 11,
	14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26,
	28, 29, 30, 31,
	58, 59, 60, 61, 62, 63, 64,
	91, 92, 93, 94, 95,
	108,
	136, 137, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154, 155,
	156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170, 171, 172, 173, 174, 175,
};

WIN_key_state g_win_key_state;

int option_key = 0;
int shift_key = 0;
int control_key = 0;
int capslock_key = 0;

int WIN_ascii_to_vkey(int ch)
{
	for (const WIN_ascii_mapping& m : kAsciiMappings)
		if (m.ch == ch) return m.vkey;
	return 0;
}

namespace {

int forced_char(int vkey, int ch)
{
	switch (vkey) {
	case 8: case 9: case 13: case 27: return vkey;
	case 37: return 28;
	case 38: return 30;
	case 39: return 29;
	case 40: return 31;
	case 110: return '.';
	default: break;
	}
	if (vkey >= 96 && vkey <= 105) return '0' + (vkey - 96);
	return ch;
}

}  // namespace

void WIN_translate_keys_in(WIN_key_state& st, int raw_code, int ch, const std::vector<int>& chars, int is_down,
                           int is_up, const WIN_key_table_row* table, int* vkey, int* char_out)
{
	int out_char = ch;
	int vk = 0;
	for (const WIN_key_table_row* r = table; r && r->vkey != 0; ++r) {
		if (r->raw_code == raw_code) {
			vk = r->vkey;
			break;
		}
	}
	if (vk == 0) {
		for (int c : chars) {
			vk = WIN_ascii_to_vkey(c);
			if (vk) break;
		}
	}
	if (vk == 0) {
		auto it = st.raw_to_anon_vkey.find(raw_code);
		if (it != st.raw_to_anon_vkey.end()) {
			vk = it->second;
		} else if (st.anon_used < WIN_anon_vkey_count) {
			vk = kAnonymousVkeys[st.anon_used++];
			st.raw_to_anon_vkey[raw_code] = vk;
		}
	}
	out_char = forced_char(vk, out_char);
	if (is_down) {
		st.down_vkey = vk;
		st.down_char = out_char;
	}
	if (is_up && vk == st.down_vkey) out_char = st.down_char;
	*vkey = vk;
	*char_out = out_char;
}

void WIN_translate_keys(int raw_code, int ch, const std::vector<int>& chars, int is_down, int is_up,
                        const WIN_key_table_row* table, int* vkey, int* char_out)
{
	WIN_translate_keys_in(g_win_key_state, raw_code, ch, chars, is_down, is_up, table, vkey, char_out);
}

int WIN_utf8_first_unit(const char* text)
{
	if (!text || !*text) return 0;
	const auto* s = reinterpret_cast<const unsigned char*>(text);
	unsigned cp = 0;
	int extra = 0;
	if (s[0] < 0x80) return s[0];
	if ((s[0] & 0xE0) == 0xC0) cp = s[0] & 0x1F, extra = 1;
	else if ((s[0] & 0xF0) == 0xE0) cp = s[0] & 0x0F, extra = 2;
	else if ((s[0] & 0xF8) == 0xF0) cp = s[0] & 0x07, extra = 3;
	else return 0;
	for (int i = 1; i <= extra; ++i) {
		if ((s[i] & 0xC0) != 0x80) return 0;
		cp = (cp << 6) | (s[i] & 0x3F);
	}
	if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
	if (cp > 0xFFFF) return static_cast<int>(0xD800 + ((cp - 0x10000) >> 10));
	return static_cast<int>(cp);
}

int WIN_modifier_flags(Uint16 mod)
{
	int f = 0;
	if (mod & KMOD_SHIFT) f |= WIN_flag_shift;
	if (mod & KMOD_ALT) f |= WIN_flag_option;
	if (mod & (KMOD_CTRL | KMOD_GUI)) f |= WIN_flag_control;
	return f;
}

bool WIN_is_modifier_scancode(SDL_Scancode sc)
{
	switch (sc) {
	case SDL_SCANCODE_LSHIFT: case SDL_SCANCODE_RSHIFT:
	case SDL_SCANCODE_LCTRL: case SDL_SCANCODE_RCTRL:
	case SDL_SCANCODE_LALT: case SDL_SCANCODE_RALT:
	case SDL_SCANCODE_LGUI: case SDL_SCANCODE_RGUI:
	case SDL_SCANCODE_CAPSLOCK: case SDL_SCANCODE_MODE:
		return true;
	default:
		return false;
	}
}

bool WIN_key_event_to_triple(WIN_key_state& state, const SDL_KeyboardEvent& e, const char* typed_utf8, int* ch,
                             int* vkey, int* flags)
{
	*ch = *vkey = *flags = 0;
	if (WIN_is_modifier_scancode(e.keysym.scancode)) return false;

	const bool up = e.type == SDL_KEYUP;
	const bool fresh_down = !up && !e.repeat;
	int f = WIN_modifier_flags(e.keysym.mod);
	if (fresh_down) f |= WIN_flag_down;
	if (up) f |= WIN_flag_up;

	// SDL reports typed text separately and never for control characters; those come from
	// the keycode. The keycode of a printable key is its unshifted character in the layout.
	int typed = up ? 0 : WIN_utf8_first_unit(typed_utf8);
	const SDL_Keycode sym = e.keysym.sym;
	if (!up && typed == 0 && (sym == SDLK_BACKSPACE || sym == SDLK_TAB || sym == SDLK_RETURN ||
	                          sym == SDLK_ESCAPE || sym == SDLK_DELETE))
		typed = static_cast<int>(sym);

	const int lower = (sym >= 1 && sym <= 127) ? static_cast<int>(sym) : 0;
	int upper = 0;
	if ((f & WIN_flag_shift) && !(f & (WIN_flag_option | WIN_flag_control)) && typed >= 1 && typed <= 127)
		upper = typed;

	std::vector<int> chars;
	if (lower >= 1 && lower <= 127) chars.push_back(lower);
	if (upper >= 1 && upper <= 127 && upper != lower) chars.push_back(upper);

	int vk = 0, c = 0;
	WIN_translate_keys_in(state, static_cast<int>(e.keysym.scancode), typed, chars, fresh_down, up, kWinKeyTable,
	                      &vk, &c);
	*ch = c;
	*vkey = vk;
	*flags = f;
	return !(vk == 0 && c == 0 && f == 0);
}

int WIN_has_shiftkey()
{
	if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
	SDL_PumpEvents();
	return (SDL_GetModState() & KMOD_SHIFT) ? 1 : 0;
}

float WIN_get_double_click_time()
{
	// X11 and Wayland publish no system-wide interval; SDL's own hint (milliseconds) can
	// override the usual half second.
	const char* hint = SDL_GetHint(SDL_HINT_MOUSE_DOUBLE_CLICK_TIME);
	if (hint && *hint) {
		int ms = std::atoi(hint);
		if (ms > 0) return static_cast<float>(ms) / 1000.0f;
	}
	return 0.5f;
}
