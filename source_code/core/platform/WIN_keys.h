#pragma once
// Keyboard events as (character, virtual key, flags) triples.
//
// Raw key codes are SDL scancodes. Keys with no character, or whose character depends on
// the layout in an unhelpful way (top-row digits, keypad), are found in the key table by
// scancode; other keys get their vkey from the character the layout puts on them, so a
// letter's vkey follows the layout. Keys that have neither get anonymous codes for the run.
#include <map>
#include <vector>

// Flag bits of a key event.
constexpr int WIN_flag_shift = 1;
constexpr int WIN_flag_option = 2;
constexpr int WIN_flag_control = 4;  // Control or Command (Super)
constexpr int WIN_flag_down = 8;     // a fresh press (not an auto-repeat)
constexpr int WIN_flag_up = 16;

struct WIN_key_table_row {
	int raw_code;
	int vkey;
};

struct WIN_ascii_mapping {
	int ch;
	int vkey;
};

constexpr int WIN_ascii_mapping_count = 49;
constexpr int WIN_anon_vkey_count = 79;

extern const WIN_ascii_mapping kAsciiMappings[WIN_ascii_mapping_count];
// Scancode to vkey, ended by a row with vkey 0.
extern const WIN_key_table_row kWinKeyTable[];
// Handed out in this order to keys with no table row and no mapped character.
extern const int kAnonymousVkeys[WIN_anon_vkey_count];

// Translation state: anonymous codes given out so far and the last fresh key-down.
struct WIN_key_state {
	std::map<int, int> raw_to_anon_vkey;
	int anon_used = 0;
	int down_vkey = 0;
	int down_char = 0;
};
// The state the event loop uses; anonymous codes stay with their keys until exit.
extern WIN_key_state g_win_key_state;

// The vkey kAsciiMappings gives a character, or 0.
int WIN_ascii_to_vkey(int ch);

// ch is the typed character; chars the lower then upper character (1-127 only);
// is_down a fresh press, is_up a release. Sets vkey and the character to report.
void WIN_translate_keys(int raw_code, int ch, const std::vector<int>& chars, int is_down, int is_up,
                        const WIN_key_table_row* table, int* vkey, int* char_out);
void WIN_translate_keys_in(WIN_key_state& state, int raw_code, int ch, const std::vector<int>& chars, int is_down,
                           int is_up, const WIN_key_table_row* table, int* vkey, int* char_out);

// Modifier snapshot of the last event taken from the queue (0 or 1).
extern int option_key;
extern int shift_key;
extern int control_key;  // Control or Command
extern int capslock_key;

// 1 while Shift is held now, from the keyboard state rather than from an event.
int WIN_has_shiftkey();

// The double-click interval in seconds.
float WIN_get_double_click_time();
