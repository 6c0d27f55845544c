#pragma once
// The first check every reader makes on its mapped file.
#include <string>
#include "core/files/xmap_class.h"

// 0 when m can be parsed; ins_read_cannot_open when it did not open, ins_read_too_large
// (logged with what and path) above ins_read_max_bytes.
int ins_read_check_open(const xmap_class& m, const char* what, const std::string& path);
