#include "core/ui/UTL_commands.h"

#include <algorithm>

namespace {

// Built on first use, so that registrations from static initialisers of other files are safe.
std::vector<UTL_command>& table()
{
	static std::vector<UTL_command> t = {
		{"sim/none/none", "Do nothing"},
		{"sim/operation/quit", "Quit"},
		{"sim/operation/screenshot", "Take a screenshot of the window"},
		{"sim/operation/show_menu", "Show the menu"},
		{"sim/operation/make_current_aircraft_icons", "Make the icons of the current aircraft"},
		{"sim/operation/make_single_icon", "Make a single icon"},
		{"sim/operation/make_missing_icons", "Make the icons that are missing"},
	};
	return t;
}

}  // namespace

int UTL_command_register(const std::string& name, const std::string& description)
{
	int found = UTL_command_find(name);
	if (found >= 0)
		return found;
	table().push_back({name, description});
	return static_cast<int>(table().size()) - 1;
}

int UTL_command_find(const std::string& name)
{
	const std::vector<UTL_command>& t = table();
	for (size_t i = 0; i < t.size(); ++i)
		if (t[i].name == name)
			return static_cast<int>(i);
	return -1;
}

const std::vector<UTL_command>& UTL_command_table() { return table(); }

std::vector<UTL_command> UTL_command_list_under(const std::string& path)
{
	std::string root = path;
	while (!root.empty() && root.back() == '/')
		root.pop_back();
	std::vector<UTL_command> out;
	for (const UTL_command& c : table()) {
		bool under = root.empty() || c.name == root ||
		             (c.name.size() > root.size() && c.name.compare(0, root.size(), root) == 0 &&
		              c.name[root.size()] == '/');
		if (under)
			out.push_back(c);
	}
	std::sort(out.begin(), out.end(),
	          [](const UTL_command& a, const UTL_command& b) { return a.name < b.name; });
	return out;
}
