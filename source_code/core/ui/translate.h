#pragma once
// Translation of the English source texts and placeholder substitution. Placeholders are
// "%" + number + ":" + name + "%"; "%%" right after one is a literal percent sign.
// Main thread only: the tables have no lock.
#include <string>
#include <unordered_map>
#include <vector>

enum { translate_table_main = 0, translate_table_genitive = 1 };

// The translation of key from the table (0 main, 1 genitive) when one is loaded and holds it,
// otherwise key itself.
std::string UTL_translate_string(const std::string& key, int table = translate_table_main);

// The translated singular or plural form for n, by the current plural rule.
std::string UTL_translate_plural(int n, const std::string& singular, const std::string& plural);

// Replacements r1..rc go into placeholders 1..c; other placeholders and plain "%" stay as they
// are, and inserted text is never scanned again.
std::string UTL_string_sub_x(const std::string& templ, int count, const std::string* replacements);
std::string UTL_string_sub(const std::string& templ, const std::string& r1);
std::string UTL_string_sub(const std::string& templ, const std::string& r1, const std::string& r2);
std::string UTL_string_sub(const std::string& templ, const std::string& r1, const std::string& r2,
                           const std::string& r3);
std::string UTL_string_sub(const std::string& templ, const std::string& r1, const std::string& r2,
                           const std::string& r3, const std::string& r4);
std::string UTL_string_sub(const std::string& templ, const std::string& r1, const std::string& r2,
                           const std::string& r3, const std::string& r4, const std::string& r5,
                           const std::string& r6);

// Appends the number of every placeholder of text, in order (numbers below 1 are skipped).
void UTL_string_check(const std::string& text, std::vector<int>& numbers);

// Loader hook: the translation-file reader hands over what it read. Plural rules: 0 (n < 2 is
// singular), 1 (n = 1 is singular), 2 (with the genitive plural table).
typedef std::unordered_map<std::string, std::string> translate_table_t;
void translate_set_tables(translate_table_t main_table, translate_table_t genitive_table, int plural_rule);
// Back to English: both tables emptied, no translation loaded, plural rule 1.
void translate_clear_tables();
bool translate_has_translation();
int translate_plural_rule();
void translate_set_plural_rule(int rule);

// Test mode ("--translate_test"): every text comes back as X's with its placeholders kept.
void translate_set_debug(bool on);
bool translate_debug();

// Untranslated keys of a loaded language are written once each to file_path ("" stops it);
// the file is truncated at the first key written.
void translate_set_dump(bool on, const std::string& file_path);

// The ISO 639 code of a language index: 0 "en", 1 "fr", 2 "de", 3 "ru", 4 "it", 5 "es", 6 "pt",
// 7 "ja"; "en" for an index outside the table.
const char* UTL_get_iso_639_language_code(int lang_index);
