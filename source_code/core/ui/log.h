#pragma once
// The log: lines formatted into a ring of four 16 KB chunks that reaches the
// log stream in blocks, when full, after errors, around alerts and at shutdown.
#include <cstdarg>
#include <fstream>
#include <string>

enum { log_debug = 0, log_info = 1, log_warn = 2, log_error = 3 };

// The log stream. Direct writes (header, folder list, "Launching: ") go here from the main thread.
extern std::ofstream xer;

void skyvane_log_start();
void skyvane_log_write(int level, const char* tag, const char* format, ...) __attribute__((format(printf, 3, 4)));
void skyvane_log_write_va(int level, const char* tag, const char* format, va_list args);
void skyvane_log_write_raw_internal(const char* begin, const char* end);  // caller holds the lock
void skyvane_log_flush();
void skyvane_dump_log_to_disk();

// Opens xer on the path, truncating. A failure leaves the stream closed; writes are then lost.
bool skyvane_log_open(const std::string& path);
void skyvane_log_close();
