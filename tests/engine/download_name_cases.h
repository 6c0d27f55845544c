#pragma once
// Where a file lives in a release, by its compression: the cases the driver's requests and the
// disc check both answer.
#include <string>

#include "core/installer/sim_info.h"

struct download_name_case {
	std::string path;
	int compression;
	std::string name;
};

inline const download_name_case download_name_cases[] = {
    {"a/b/c.txt", ins_comp_stored, "a/b/c.txt"},
    {"a/b/c.txt", ins_comp_zip, "a/b/c.txt.zip"},
    {"a/b/c.txt", ins_comp_7z, "a/b/c.txt.7z"},
    {"a/b/c.txt", ins_comp_folder_zip, "a/b.zip"},
    {"a b/c d.txt", ins_comp_folder_zip, "a b.zip"},
};
