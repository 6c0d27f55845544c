#include "core/files/zip/zip_entry_name.h"

#include <vector>

namespace {

// Components split at "/" and "\\"; a single trailing separator (folder entry) adds no component.
std::vector<std::string> components(const std::string& s)
{
	std::vector<std::string> out;
	std::string cur;
	for (char c : s) {
		if (c == '/' || c == '\\') {
			out.push_back(cur);
			cur.clear();
		} else {
			cur += c;
		}
	}
	if (!cur.empty() || out.empty()) out.push_back(cur);
	return out;
}

}  // namespace

bool zip_entry_name_is_safe(const std::string& name)
{
	if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
	for (const std::string& c : components(name))
		if (c.empty() || c == "." || c == "..") return false;
	return true;
}

bool zip_link_target_is_contained(const std::string& entry_name, const std::string& target)
{
	if (target.empty() || target[0] == '/' || target[0] == '\\') return false;
	// The link lives in the entry's folder: its depth below the extraction folder.
	long depth = static_cast<long>(components(entry_name).size()) - 1;
	for (const std::string& c : components(target)) {
		if (c.empty() || c == ".") continue;
		if (c == "..") {
			if (--depth < 0) return false;
		} else {
			++depth;
		}
	}
	return true;
}
