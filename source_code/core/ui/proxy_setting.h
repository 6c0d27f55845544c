#pragma once
// The HTTP proxy host, shared by the preferences, the settings popup and every transfer thread.
// Empty means no proxy.
#include <string>

void UTL_set_proxy_host(const std::string& host);
void UTL_get_proxy_host(std::string& out);
