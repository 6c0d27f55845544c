#pragma once
// Path checks shared by the plan's folder making and deleting.
#include <string>

// dest_dir_path names a full folder ("/" first and last). Anything else would make manifest
// paths land beside the executable or at the root.
bool plan_dest_is_usable();

// True when one of the folders of rel (relative to dest_dir_path) is a symbolic link: rel's own
// last component counts only with include_last. Writing or deleting there would act on the
// link's target, not on the installation.
bool plan_crosses_link(const std::string& rel, bool include_last);
