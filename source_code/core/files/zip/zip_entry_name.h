#pragma once
// Which names from an archive may reach the file system.
#include <string>

// False for a name that is empty, absolute, or has an empty, "." or ".." component
// ("\\" counts as a separator here, so "..\\x" is refused too). A trailing "/" marks a folder.
bool zip_entry_name_is_safe(const std::string& name);

// False when a link stored at entry_name with this target would point outside the
// extraction folder (absolute target, or more ".." than the entry's depth) or is empty.
bool zip_link_target_is_contained(const std::string& entry_name, const std::string& target);
