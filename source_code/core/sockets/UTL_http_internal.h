#pragma once
// Shared by the transfer object and the module's set-up; not for callers.

// libcurl's global set-up, once, before the first handle.
void UTL_http_global_setup();
bool UTL_http_verbose();
