#include "core/platform/keys_class.h"
#include "core/platform/WIN_app.h"
#include "core/platform/WIN_keys.h"
#include "core/platform/wmgr_hooks.h"
#include "core/platform/wmgr_input_record.h"
#include "core/platform/wmgr_wins.h"

#include <map>

#include "core/ui/UTL_commands.h"

keys_class keys;

namespace {

struct handler_entry {
	key_cmnd_handler fn = nullptr;
	void* ref = nullptr;
};

std::map<int, handler_entry>& handlers()
{
	static std::map<int, handler_entry> h;
	return h;
}

std::map<int, bool>& pressed() {
	static std::map<int, bool> p;
	return p;
}

struct default_row {
	const char* command;
	int vkey;
	int mods;
};
const default_row kDefaultBindings[7] = {
	{"sim/none/none", 0, 0},
	{"sim/operation/quit", 81, WIN_flag_control},
	{"sim/operation/screenshot", 32, WIN_flag_shift},
	{"sim/operation/show_menu", 27, 0},
	{"sim/operation/make_current_aircraft_icons", 0, 0},
	{"sim/operation/make_single_icon", 0, 0},
	{"sim/operation/make_missing_icons", 0, 0},
};

}  // namespace

void keys_set_command_handler(int cmnd, key_cmnd_handler handler, void* ref)
{
	if (handler)
		handlers()[cmnd] = {handler, ref};
	else
		handlers().erase(cmnd);
}

void keys_send_command(int cmnd, int phase)
{
	if (cmnd < 0) return;
	if (phase == key_cmnd_press) pressed()[cmnd] = true;
	if (phase == key_cmnd_release) pressed().erase(cmnd);
	auto it = handlers().find(cmnd);
	if (it != handlers().end() && it->second.fn)
		it->second.fn(cmnd, phase, it->second.ref);
	else if (phase == key_cmnd_press && cmnd == UTL_command_find("sim/operation/quit"))
		WIN_quit_app();
}

bool keys_command_is_pressed(int cmnd) { return pressed().count(cmnd) != 0; }

void keys_class::keys_io(int)
{
	bindings.assign(7, key_binding{0, 0, 0, 0});
	for (int i = 0; i < 7; ++i) {
		const int cmnd = UTL_command_register(kDefaultBindings[i].command, "");
		bindings[i] = key_binding{kDefaultBindings[i].vkey, kDefaultBindings[i].mods, cmnd, 0};
	}
}

void keys_class::handle_key(int ch, int vkey, int flags)
{
	last_vkey = vkey;
	last_flags = flags;
	const wmgr_toolkit_hooks& t = wmgr_toolkit();
	if (t.keyboard && t.keyboard(ch < 128 ? ch : 0, vkey, flags)) return;
	if (t.legacy_focus_keyboard && t.legacy_focus_keyboard(ch, vkey, flags)) return;

	if (!(flags & WIN_flag_up)) {
		const bool is_return = vkey == 13 || vkey == 187;
		const bool is_escape = vkey == 27;
		if (is_return) mnw.return_pressed = 1;
		if (vkey == 8 || vkey == 46) mnw.delete_pressed = 1;
		if (is_escape) mnw.escape_pressed = 1;
		if (wins.number != 0 && (is_return || is_escape)) {
			if (can_zap()) RADAVI_close_win();
			return;
		}
		if (ch != 0 && ch < 128) last_typed_char = ch;
	}

	if (wins.number != 1000 && vkey != 0) execute_key_cmnd(vkey, flags);
}

void keys_class::execute_key_cmnd(int vkey, int flags)
{
	const wmgr_toolkit_hooks& t = wmgr_toolkit();
	if (t.in_modal_alert_frame && t.in_modal_alert_frame()) return;
	const bool down = flags & WIN_flag_down;
	const bool up = flags & WIN_flag_up;
	const int mods = flags & (WIN_flag_shift | WIN_flag_option | WIN_flag_control);

	auto release = [](key_binding& b) {
		b.held = 0;
		keys_send_command(b.cmnd, key_cmnd_release);
	};
	// Commands may change the list (a binding that rebinds keys); walk by index.
	for (size_t i = 0; i < bindings.size(); ++i) {
		key_binding& b = bindings[i];
		if (b.vkey != vkey) continue;
		if (down && !up) {
			if (b.mods == mods) {
				b.held = 1;
				keys_send_command(b.cmnd, key_cmnd_press);
			}
		} else if (up && !down) {
			if (b.held) release(b);
		} else if (down && up) {
			if (b.mods == mods) {
				b.held = 1;
				keys_send_command(b.cmnd, key_cmnd_press);
				if (i < bindings.size()) release(bindings[i]);
			} else if (b.held) {
				release(b);
			}
		}
	}
}

void keys_class::run_repeat_keys()
{
	for (size_t i = 0; i < bindings.size(); ++i)
		if (bindings[i].held) keys_send_command(bindings[i].cmnd, key_cmnd_hold);
}

void keys_class::cancel_all_keypresses()
{
	for (size_t i = 0; i < bindings.size(); ++i) {
		key_binding& b = bindings[i];
		if (keys_command_is_pressed(b.cmnd)) {
			b.held = 0;
			keys_send_command(b.cmnd, key_cmnd_release);
		}
	}
	mnw.key_held = 0;
}

int keys_class::has_shift_key() { return WIN_has_shiftkey(); }

std::string keys_class::vkey_to_str(int vkey)
{
	static const std::map<int, const char*> names = {
		{8, "Backspace"}, {9, "Tab"}, {12, "Clear"}, {13, "Return"}, {27, "Escape"}, {32, "Space"},
		{33, "PageUp"}, {34, "PageDown"}, {35, "End"}, {36, "Home"}, {37, "Left"}, {38, "Up"},
		{39, "Right"}, {40, "Down"}, {41, "Select"}, {42, "Print"}, {43, "Execute"}, {44, "Snapshot"},
		{45, "Insert"}, {46, "Delete"}, {47, "Help"}, {106, "Numpad-*"}, {107, "Numpad-+"},
		{109, "Numpad--"}, {110, "Numpad-."}, {111, "Numpad-/"}, {176, "="}, {177, "-"}, {178, "]"},
		{179, "["}, {180, "'"}, {181, ";"}, {182, "\\"}, {183, ","}, {184, "/"}, {185, "."}, {186, "`"},
		{187, "Enter"}, {188, "Numpad-Enter"}, {189, "Numpad-="},
	};
	if (vkey == 0) return "<NONE>";
	auto it = names.find(vkey);
	if (it != names.end()) return it->second;
	if (vkey >= 48 && vkey <= 57) return std::string(1, static_cast<char>('0' + vkey - 48));
	if (vkey >= 65 && vkey <= 90) return std::string(1, static_cast<char>('A' + vkey - 65));
	if (vkey >= 96 && vkey <= 105) return "Numpad-" + std::to_string(vkey - 96);
	if (vkey >= 112 && vkey <= 135) return "F" + std::to_string(vkey - 111);
	return "KEY" + std::to_string(vkey);
}

std::string keys_class::flag_to_str(int flags)
{
	std::string out;
	auto add = [&out](const char* s) {
		if (!out.empty()) out += "+";
		out += s;
	};
	if (flags & WIN_flag_shift) add(wmgr_translate("Shift"));
	if (flags & WIN_flag_option) add("Option");
	if (flags & WIN_flag_control) add(wmgr_translate("Ctrl"));
	return out.empty() ? "<none>" : out;
}
