#pragma once
// UTF-8 stepping over whole sequences. A malformed byte decodes as U+FFFD and steps one byte,
// so iteration always moves forward and never leaves the range.

// Decodes the code point at p (p < end) and moves p past it.
unsigned OGL_utf8_next(const char*& p, const char* end);
// The start of the sequence that ends just before p (p > begin).
const char* OGL_utf8_prev(const char* begin, const char* p);
