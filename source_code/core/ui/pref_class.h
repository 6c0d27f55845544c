#pragma once
// The Installer's preference file "Skyvane Installer.prf" in the preferences folder:
// the interface language, the beta opt-in and the HTTP proxy host.
#include <string>

enum pref_type_t { pref_type_installer = 11 };

class pref_class {
public:
	// Reads (write = 0) or writes (write = 1) the preference file of that kind; the Installer
	// has only kind 11. The two flags are part of the shared signature; this file uses neither.
	static void IO_set(pref_type_t type, int write, bool = false, bool = false);
};

// Where the Installer preference file lives: the preferences folder + "Skyvane Installer.prf",
// unless a path was set (tests point it at a folder of their own; empty restores the default).
std::string pref_file_path();
void pref_set_file_path(const std::string& path);
