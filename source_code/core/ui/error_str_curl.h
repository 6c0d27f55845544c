#pragma once
// The base layer links no HTTP library; the network layer registers the library's
// own description of its result codes here (curl_easy_strerror), used for domain 1.
// Without it, or when it gives no text, a domain-1 code reads "Error 1:%d".
void error_str_set_curl_text(const char* (*fn)(int));
