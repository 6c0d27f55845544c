#include "core/ui/translate.h"

#include <climits>
#include <cstdio>
#include <unordered_set>

namespace {

translate_table_t s_main;
translate_table_t s_genitive;
bool s_has_translation = false;
int s_plural_rule = 1;
bool s_debug = false;

bool s_dump = false;
std::string s_dump_path;
FILE* s_dump_file = nullptr;
bool s_dump_opened = false;  // one attempt per process: a file that cannot be opened stays silent
std::unordered_set<std::string> s_logged;

// What a placeholder's number reads as: leading spaces and a sign, then digits up to the first
// non-digit (like atoi, but without overflow).
long read_number(const std::string& s, size_t at)
{
	size_t i = at;
	while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
		++i;
	bool neg = false;
	if (i < s.size() && (s[i] == '+' || s[i] == '-'))
		neg = s[i++] == '-';
	long n = 0;
	for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
		if (n < INT_MAX)
			n = n * 10 + (s[i] - '0');
	return neg ? -n : n;
}

// Finds the placeholder opened by the "%" at p: q is its closing "%". False when none can close.
bool placeholder_at(const std::string& s, size_t p, size_t& q)
{
	const size_t colon = s.find(':', p + 1);
	if (colon == std::string::npos)
		return false;
	q = s.find('%', colon + 1);
	return q != std::string::npos;
}

std::string escape_line_breaks(const std::string& key)
{
	std::string out;
	for (char c : key) {
		if (c == '\r')
			out += "\\r";
		else if (c == '\n')
			out += "\\n";
		else
			out += c;
	}
	return out;
}

void dump_untranslated(const std::string& key)
{
	if (!s_dump || s_dump_path.empty() || !s_logged.insert(key).second)
		return;
	if (!s_dump_opened) {
		s_dump_opened = true;
		s_dump_file = std::fopen(s_dump_path.c_str(), "w");
	}
	if (!s_dump_file)
		return;
	const std::string e = escape_line_breaks(key);
	std::fprintf(s_dump_file, "STRING %s====%s\n", e.c_str(), e.c_str());
	std::fflush(s_dump_file);
}

std::string debug_form(const std::string& key)
{
	std::string out = key;
	for (size_t i = 0; i < key.size(); ++i) {
		const char c = key[i];
		const bool keep = c == '%' || c == '-' || c == ':' || c == '|' || c == '{' || c == '}' || c == ' ' ||
		                  (i > 0 && key[i - 1] == '%');
		if (!keep)
			out[i] = 'X';
	}
	return out;
}

}  // namespace

std::string UTL_translate_string(const std::string& key, int table)
{
	if (s_debug)
		return debug_form(key);
	if (!s_has_translation)
		return key;
	const translate_table_t& t = table == translate_table_genitive ? s_genitive : s_main;
	const auto it = t.find(key);
	if (it != t.end())
		return it->second;
	dump_untranslated(key);
	return key;
}

std::string UTL_translate_plural(int n, const std::string& singular, const std::string& plural)
{
	switch (s_plural_rule) {
	case 0:
		return UTL_translate_string(n < 2 ? singular : plural);
	case 2: {
		if (n == 1)
			return UTL_translate_string(singular);
		const int m10 = ((n % 10) + 10) % 10;
		const int m100 = ((n % 100) + 100) % 100;
		if (m10 >= 2 && m10 <= 4 && !(m100 >= 10 && m100 <= 20) && s_has_translation && !s_debug &&
		    s_genitive.count(plural))
			return UTL_translate_string(plural, translate_table_genitive);
		return UTL_translate_string(plural);
	}
	default:
		return UTL_translate_string(n == 1 ? singular : plural);
	}
}

std::string UTL_string_sub_x(const std::string& templ, int count, const std::string* replacements)
{
	std::string s = templ;
	size_t pos = 0;
	for (;;) {
		const size_t p = s.find('%', pos);
		size_t q = 0;
		if (p == std::string::npos || !placeholder_at(s, p, q))
			return s;
		const long n = read_number(s, p + 1);
		if (n < 1 || n > count) {
			pos = p + 1;
			continue;
		}
		const std::string& r = replacements[n - 1];
		s.replace(p, q - p + 1, r);
		pos = p + r.size();
	}
}

std::string UTL_string_sub(const std::string& templ, const std::string& r1)
{
	return UTL_string_sub_x(templ, 1, &r1);
}

std::string UTL_string_sub(const std::string& templ, const std::string& r1, const std::string& r2)
{
	const std::string r[] = {r1, r2};
	return UTL_string_sub_x(templ, 2, r);
}

std::string UTL_string_sub(const std::string& templ, const std::string& r1, const std::string& r2,
                           const std::string& r3)
{
	const std::string r[] = {r1, r2, r3};
	return UTL_string_sub_x(templ, 3, r);
}

std::string UTL_string_sub(const std::string& templ, const std::string& r1, const std::string& r2,
                           const std::string& r3, const std::string& r4)
{
	const std::string r[] = {r1, r2, r3, r4};
	return UTL_string_sub_x(templ, 4, r);
}

std::string UTL_string_sub(const std::string& templ, const std::string& r1, const std::string& r2,
                           const std::string& r3, const std::string& r4, const std::string& r5,
                           const std::string& r6)
{
	const std::string r[] = {r1, r2, r3, r4, r5, r6};
	return UTL_string_sub_x(templ, 6, r);
}

void UTL_string_check(const std::string& text, std::vector<int>& numbers)
{
	size_t pos = 0;
	for (;;) {
		const size_t p = text.find('%', pos);
		size_t q = 0;
		if (p == std::string::npos || !placeholder_at(text, p, q))
			return;
		const long n = read_number(text, p + 1);
		if (n < 1) {
			pos = p + 1;
			continue;
		}
		numbers.push_back(static_cast<int>(n));
		pos = q + 1;
	}
}

void translate_set_tables(translate_table_t main_table, translate_table_t genitive_table, int plural_rule)
{
	s_main = std::move(main_table);
	s_genitive = std::move(genitive_table);
	s_plural_rule = plural_rule;
	s_has_translation = true;
	s_logged.clear();
}

void translate_clear_tables()
{
	s_main.clear();
	s_genitive.clear();
	s_logged.clear();
	s_has_translation = false;
	s_plural_rule = 1;
}

bool translate_has_translation() { return s_has_translation; }
int translate_plural_rule() { return s_plural_rule; }
void translate_set_plural_rule(int rule) { s_plural_rule = rule; }
void translate_set_debug(bool on) { s_debug = on; }
bool translate_debug() { return s_debug; }

void translate_set_dump(bool on, const std::string& file_path)
{
	s_dump = on;
	if (file_path != s_dump_path) {
		if (s_dump_file)
			std::fclose(s_dump_file);
		s_dump_file = nullptr;
		s_dump_opened = false;
		s_dump_path = file_path;
	}
}

const char* UTL_get_iso_639_language_code(int lang_index)
{
	static const char* const codes[] = {"en", "fr", "de", "ru", "it", "es", "pt", "ja"};
	if (lang_index < 0 || lang_index >= static_cast<int>(sizeof codes / sizeof codes[0]))
		return codes[0];
	return codes[lang_index];
}
