#pragma once
// A read-only memory-mapped view of a file with a cursor and the token readers the
// program's text formats are parsed with. The cursor never moves past the mapped bytes.
//
// Character classes (bytes, no locale): blank = space, tab; end-of-line = NUL, LF, CR;
// token end = NUL, tab, LF, CR, space.
#include <cstddef>
#include <string>

enum { xmap_kind_binary = 10000, xmap_kind_text = 10001 };

class xmap_class {
public:
	// Maps length bytes from offset (0 = up to the end of the file). A relative path is made
	// full first, "RESOURCE:" names the resource folder. On failure the reader is empty.
	xmap_class(const std::string& path, size_t offset = 0, size_t length = 0);
	virtual ~xmap_class();
	xmap_class(const xmap_class&) = delete;
	xmap_class& operator=(const xmap_class&) = delete;

	// Mappings that start at an offset are widened down to a multiple of this (the page size,
	// set once at start-up); 0 leaves the offset as given.
	static void set_granularity(int granularity);

	// Header check of the program's own files. kind 10001: optional UTF-8 mark, a first line
	// beginning "A" or "I", a line whose first number must be one of versions (0-terminated),
	// then the keyword when one is given. Returns the version, or 0. rest_of_version_line may be null.
	int check_file(int kind, const int* versions, const char* keyword, std::string* rest_of_version_line);

	void TXT_str_scan_eoln(std::string* out);   // rest of line (trailing blanks kept), then onto the next non-blank line
	void TXT_str_scan_space(std::string* out);  // one word; the cursor stays on the token end
	int BIN_chr_scan();                          // the byte at the cursor; past the end: an alert and 0
	void close();

	bool is_open() const { return open_; }  // the file was opened (an empty file has no bytes)
	size_t size() const { return static_cast<size_t>(end_ - begin_); }
	const char* data() const { return reinterpret_cast<const char*>(begin_); }
	size_t tell() const { return static_cast<size_t>(cur_ - begin_); }
	void seek(size_t pos) { cur_ = begin_ + (pos < size() ? pos : size()); }
	bool at_end() const { return cur_ >= end_; }
	int peek() const { return cur_ < end_ ? *cur_ : -1; }  // -1 at the end

	// General readers the formats are built from.
	void skip_blanks();
	// After blanks, the keyword then a blank (or, with any_token_end, any token end or the end of
	// the data). A miss puts the cursor back at the start of the word.
	bool scan_keyword(const char* keyword, bool any_token_end = false);
	// After blanks: an optional "-", an optional "+", then every byte up to a token end folded in
	// as a digit (byte - '0'), wrapping at 32 bits rather than overflowing.
	int scan_int();
	// After blanks, up to a token end: "+" and "-" set the sign, "." starts the fraction, any
	// other byte is folded in as a digit. value / divisor * sign, rounded to single precision.
	float scan_real();
	// The rest of the line without skipping leading blanks, then onto the next non-blank line.
	void TXT_str_scan_to_eoln(std::string* out);
	// Past this line and every following NUL, tab, LF, CR and space.
	void skip_line();

	static bool is_blank(int c) { return c == ' ' || c == '\t'; }
	static bool is_eol(int c) { return c == 0 || c == '\n' || c == '\r'; }
	static bool is_token_end(int c) { return is_eol(c) || is_blank(c); }

protected:
	const unsigned char* begin_ = nullptr;  // first requested byte
	const unsigned char* end_ = nullptr;
	const unsigned char* cur_ = nullptr;

private:
	void skip_eol_and_blanks();

	void* map_ = nullptr;  // start of the mapping (page aligned)
	size_t map_len_ = 0;
	bool open_ = false;
	std::string path_;
};
