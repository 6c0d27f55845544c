#include "core/ui/log.h"

#include "core/ui/app_clock.h"
#include "core/ui/log_lock.h"
#include "core/ui/log_testing.h"

#include <cmath>
#include <cstdio>
#include <cstring>

std::ofstream xer;
UTL_critical_section gDebugLogLock = 0;

namespace {

constexpr int log_chunk_size = 16384;
constexpr int log_chunk_count = 4;
constexpr int log_line_size = 8192;

struct log_chunk {
	char data[log_chunk_size];
	int filled = 0;   // bytes of data in use
	int written = 0;  // bytes already handed to the stream
};

// The chunks live in static storage, so logging works (and never allocates)
// even before skyvane_log_start; the list order is a rotation starting at g_first.
log_chunk g_chunks[log_chunk_count];
int g_first = 0;

// Shared under gDebugLogLock.
char g_line[log_line_size];

const char* const skyvane_log_priority_text[] = {"D/", "I/", "W/", "E/"};

log_chunk& chunk_at(int list_index) { return g_chunks[(g_first + list_index) % log_chunk_count]; }

void write_unwritten(log_chunk& c)
{
	if (c.filled > c.written)
		xer.write(c.data + c.written, c.filled - c.written);
	c.written = c.filled;
}

size_t fill(log_chunk& c, const char* begin, size_t len)
{
	size_t room = static_cast<size_t>(log_chunk_size - c.filled);
	size_t n = len < room ? len : room;
	std::memcpy(c.data + c.filled, begin, n);
	c.filled += static_cast<int>(n);
	return n;
}

void empty_ring()
{
	for (log_chunk& c : g_chunks)
		c.filled = c.written = 0;
	g_first = 0;
}

}  // namespace

// The chunks start empty in static storage; lines logged before this call are kept.
void skyvane_log_start() { UTL_critical_section_create(&gDebugLogLock); }

void skyvane_log_write_raw_internal(const char* begin, const char* end)
{
	size_t left = end > begin ? static_cast<size_t>(end - begin) : 0;
	for (int i = 0; i < log_chunk_count && left > 0; ++i) {
		size_t n = fill(chunk_at(i), begin, left);
		begin += n;
		left -= n;
	}
	if (left == 0)
		return;
	while (left > 0) {
		// Recycle the oldest chunk: its text goes to the file, then it becomes the newest.
		log_chunk& oldest = chunk_at(0);
		write_unwritten(oldest);
		oldest.filled = oldest.written = 0;
		g_first = (g_first + 1) % log_chunk_count;
		size_t n = fill(oldest, begin, left);
		begin += n;
		left -= n;
	}
	xer.flush();
}

void skyvane_log_write_va(int level, const char* tag, const char* format, va_list args)
{
	if (level < log_debug || level > log_error)
		level = level < log_debug ? log_debug : log_error;
	UTL_cs_guard guard(&gDebugLogLock);

	// Whole milliseconds first, so 59.9996 s reads 0:01:00.000 rather than 0:00:60.000.
	double t = app_clock_real_time_any_thread();
	long long ms = (t > 0.0 && std::isfinite(t)) ? std::llround(t * 1000.0) : 0;
	int hours = static_cast<int>(ms / 3600000);
	int minutes = static_cast<int>((ms / 60000) % 60);
	double seconds = static_cast<double>(ms % 60000) / 1000.0;

	int n = std::snprintf(g_line, sizeof(g_line), "%d:%02d:%06.3f %s%s: ", hours, minutes, seconds,
	                      skyvane_log_priority_text[level], tag ? tag : "");
	size_t len = n < 0 ? 0 : (static_cast<size_t>(n) < sizeof(g_line) ? static_cast<size_t>(n) : sizeof(g_line) - 1);
	if (format && len < sizeof(g_line) - 1) {
		int m = std::vsnprintf(g_line + len, sizeof(g_line) - len, format, args);
		if (m > 0)
			len += static_cast<size_t>(m) < sizeof(g_line) - len ? static_cast<size_t>(m) : sizeof(g_line) - len - 1;
		else
			g_line[len] = 0;
	}

	// Exactly one trailing newline; the terminator's byte is kept, as for any C string.
	if (len == 0 || g_line[len - 1] != '\n') {
		if (len < sizeof(g_line) - 1)
			g_line[len++] = '\n';
		else
			g_line[len - 1] = '\n';
	}
	skyvane_log_write_raw_internal(g_line, g_line + len);
}

void skyvane_log_write(int level, const char* tag, const char* format, ...)
{
	va_list args;
	va_start(args, format);
	skyvane_log_write_va(level, tag, format, args);
	va_end(args);
}

void skyvane_log_flush()
{
	UTL_cs_guard guard(&gDebugLogLock);
	for (int i = 0; i < log_chunk_count; ++i)
		write_unwritten(chunk_at(i));
	xer.flush();
}

void skyvane_dump_log_to_disk() { skyvane_log_flush(); }

bool skyvane_log_open(const std::string& path)
{
	UTL_cs_guard guard(&gDebugLogLock);
	if (xer.is_open())
		xer.close();
	xer.clear();
	xer.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
	return xer.is_open();
}

void skyvane_log_close()
{
	UTL_cs_guard guard(&gDebugLogLock);
	if (xer.is_open())
		xer.close();
}

void skyvane_log_reset_for_tests()
{
	UTL_cs_guard guard(&gDebugLogLock);
	empty_ring();
	if (xer.is_open())
		xer.close();
	xer.clear();
}
