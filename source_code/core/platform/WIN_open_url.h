#pragma once
// Opening a URL with the desktop's default handler.

// Does not wait for the handler; a failure prints "URL-Open '<url>' failed." on standard output.
void WIN_open_url(const char* url);
