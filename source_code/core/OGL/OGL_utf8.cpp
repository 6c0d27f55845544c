#include "core/OGL/OGL_utf8.h"

namespace {
bool is_cont(unsigned char c) { return (c & 0xC0) == 0x80; }
}

unsigned OGL_utf8_next(const char*& p, const char* end)
{
	const unsigned char c = static_cast<unsigned char>(*p);
	int n;
	unsigned cp;
	if (c < 0x80) {
		++p;
		return c;
	} else if ((c & 0xE0) == 0xC0) {
		n = 1, cp = c & 0x1F;
	} else if ((c & 0xF0) == 0xE0) {
		n = 2, cp = c & 0x0F;
	} else if ((c & 0xF8) == 0xF0) {
		n = 3, cp = c & 0x07;
	} else {
		++p;
		return 0xFFFD;
	}
	if (end - p <= n) {
		++p;
		return 0xFFFD;
	}
	for (int i = 1; i <= n; ++i) {
		const unsigned char d = static_cast<unsigned char>(p[i]);
		if (!is_cont(d)) {
			++p;
			return 0xFFFD;
		}
		cp = (cp << 6) | (d & 0x3F);
	}
	p += n + 1;
	return cp;
}

const char* OGL_utf8_prev(const char* begin, const char* p)
{
	// Step back over at most three continuation bytes to a lead byte; check that the lead
	// really spans to p, else the last byte stands alone (as OGL_utf8_next would read it).
	const char* q = p - 1;
	int back = 0;
	while (q > begin && back < 3 && is_cont(static_cast<unsigned char>(*q))) {
		--q;
		++back;
	}
	const char* r = q;
	OGL_utf8_next(r, p);
	return r == p ? q : p - 1;
}
