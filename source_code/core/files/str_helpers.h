#pragma once
// String helpers that go with paths.
#include <cstdarg>
#include <ostream>
#include <string>
#include <vector>

void str_replace_all(std::string& str, const std::string& from, const std::string& to);
bool str_starts_with(const std::string& str, const std::string& prefix);
std::string str_escape(const std::string& str);    // CR -> "\r", LF -> "\n" (as two characters)
std::string str_unescape(const std::string& str);  // the reverse
// The non-empty runs between any of the delimiter characters.
std::vector<std::string> str_tokenize(const std::string& str, const std::string& delimiters);
std::string join_strings(const std::vector<std::string>& parts, const std::string& separator);
// Lines ended by LF, CR LF or CR; the terminators are dropped and a final terminator adds no line.
std::vector<std::string> str_split_lines(const std::string& text);
std::string to_uppercase(const std::string& str);  // ASCII letters only
std::string int_to_str(long long value);
int ouf_printf(std::ostream& stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

bool is_a_dir_char(char c);                            // "/"
bool contains_a_dir_char(const std::string& str);      // "/"
bool contains_a_bad_dir_char(const std::string& str);  // ":" or "\"
std::string strip_to_file(const std::string& path);    // the part after the last "/"
// "dir/name.txt" -> "dir/name" + ".txt"; no extension (or a leading-dot name) -> whole + "".
void split_extension(const std::string& path, std::string& base, std::string& ext);
// Removes every "folder/../" pair: "a/b/../c" -> "a/c".
void crunch_path(std::string& path);
