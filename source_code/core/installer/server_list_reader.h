#pragma once
// The server list (server_list_11.txt): mirror servers and install names, then the
// command-line overrides --install_name, --server, --add_server and --server_clone.
#include <string>
#include "core/installer/ins_read_result.h"
#include "core/installer/sim_info.h"

// Empties list, reads path and applies the overrides from the global cmdline after a good read.
// Returns 0, 3, 5 or 10.
int UTL_read_server_list(const std::string& path, UTL_server_info_list& list);

// The overrides alone, in their fixed order. Bad values are logged and ignored.
void server_list_apply_overrides(UTL_server_info_list& list);

// "host[:port]/path/" split at its first "/": false (out untouched) when the value has no "/"
// or nothing before it.
bool server_list_split_mirror(const std::string& value, UTL_server_info& out);

// The most copies --server_clone adds; larger counts are cut to it.
constexpr int server_list_max_clones = 256;
