#pragma once
// The shared command table: named commands that key bindings and "--cmnds" refer to.
// The first entries are fixed so that their indexes are stable (1 is quit).
#include <string>
#include <vector>

struct UTL_command {
	std::string name;         // "sim/operation/quit"
	std::string description;  // "Quit"
};

// Adds a command and returns its index; a name already present keeps its index and text.
int UTL_command_register(const std::string& name, const std::string& description);
// Index of the command of that name, or -1.
int UTL_command_find(const std::string& name);
// The whole table in index order.
const std::vector<UTL_command>& UTL_command_table();
// The commands at or under a path ("sim/operation" holds "sim/operation/quit"), sorted by name.
// An empty path gives every command.
std::vector<UTL_command> UTL_command_list_under(const std::string& path);
