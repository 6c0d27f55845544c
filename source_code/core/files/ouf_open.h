#pragma once
// Opens one of the program's own files for writing and writes its header (the counterpart of
// xmap_class::check_file). Creates the missing folder and retries once; warns the user after that.
#include <fstream>
#include <string>

enum { ouf_kind_binary = 10000, ouf_kind_text = 10001 };

// Binary: "i" + version as 4 bytes little-endian. Text: "I\n" + version + " version" + notice + "\n"
// (notice "no-copyright-string" writes none). The path's last three characters are lower-cased.
bool ouf_open(std::ofstream& stream, std::string path, int kind, int version, const std::string& notice);
