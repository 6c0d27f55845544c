#pragma once
// The key router: keys the toolkit does not take reach the shell's flags and the key
// bindings, which press, hold and release commands of the shared command table.
#include <string>
#include <vector>

struct key_binding {
	int vkey;
	int mods;  // bits 1 Shift, 2 Option, 4 Control
	int cmnd;  // index into the shared command table
	int held;
};

// What a binding tells its command.
enum key_cmnd_phase { key_cmnd_press = 0, key_cmnd_hold = 1, key_cmnd_release = 2 };

typedef void (*key_cmnd_handler)(int cmnd, int phase, void* ref);
// The handler of a command; null removes it. Without one, a press of quit quits.
void keys_set_command_handler(int cmnd, key_cmnd_handler handler, void* ref);
// Tells the command; a press marks it pressed and a release clears the mark.
void keys_send_command(int cmnd, int phase);
bool keys_command_is_pressed(int cmnd);

class keys_class {
public:
	std::vector<key_binding> bindings;
	int last_vkey = 0;
	int last_flags = 0;
	int last_typed_char = 0;

	// Makes the list the seven default rows (the Installer keeps no key file).
	void keys_io(int mode);
	void handle_key(int ch, int vkey, int flags);
	void execute_key_cmnd(int vkey, int flags);
	void run_repeat_keys();
	void cancel_all_keypresses();
	int has_shift_key();

	static std::string vkey_to_str(int vkey);
	static std::string flag_to_str(int flags);
};
extern keys_class keys;
