#include "core/files/str_helpers.h"

#include <cstdio>

void str_replace_all(std::string& str, const std::string& from, const std::string& to)
{
	if (from.empty())
		return;
	std::string out;
	size_t pos = 0;
	for (size_t hit; (hit = str.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
		out.append(str, pos, hit - pos);
		out += to;
	}
	if (pos == 0)
		return;
	out.append(str, pos, std::string::npos);
	str.swap(out);
}

bool str_starts_with(const std::string& str, const std::string& prefix)
{
	return str.compare(0, prefix.size(), prefix) == 0;
}

std::string str_escape(const std::string& str)
{
	std::string out;
	out.reserve(str.size());
	for (char c : str) {
		if (c == '\r')
			out += "\\r";
		else if (c == '\n')
			out += "\\n";
		else
			out += c;
	}
	return out;
}

std::string str_unescape(const std::string& str)
{
	std::string out;
	out.reserve(str.size());
	for (size_t i = 0; i < str.size(); ++i) {
		if (str[i] == '\\' && i + 1 < str.size() && (str[i + 1] == 'r' || str[i + 1] == 'n')) {
			out += str[i + 1] == 'r' ? '\r' : '\n';
			++i;
		} else {
			out += str[i];
		}
	}
	return out;
}

std::vector<std::string> str_tokenize(const std::string& str, const std::string& delimiters)
{
	std::vector<std::string> out;
	size_t pos = 0;
	while ((pos = str.find_first_not_of(delimiters, pos)) != std::string::npos) {
		size_t end = str.find_first_of(delimiters, pos);
		out.push_back(str.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
		if (end == std::string::npos)
			break;
		pos = end;
	}
	return out;
}

std::string join_strings(const std::vector<std::string>& parts, const std::string& separator)
{
	std::string out;
	for (size_t i = 0; i < parts.size(); ++i) {
		if (i)
			out += separator;
		out += parts[i];
	}
	return out;
}

std::vector<std::string> str_split_lines(const std::string& text)
{
	std::vector<std::string> out;
	size_t start = 0, i = 0;
	while (i < text.size()) {
		char c = text[i];
		if (c == '\n' || c == '\r') {
			out.push_back(text.substr(start, i - start));
			i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
			start = i;
		} else {
			++i;
		}
	}
	if (start < text.size())
		out.push_back(text.substr(start));
	return out;
}

std::string to_uppercase(const std::string& str)
{
	std::string out(str);
	for (char& c : out)
		if (c >= 'a' && c <= 'z')
			c = static_cast<char>(c - 'a' + 'A');
	return out;
}

std::string int_to_str(long long value) { return std::to_string(value); }

int ouf_printf(std::ostream& stream, const char* format, ...)
{
	va_list args, copy;
	va_start(args, format);
	va_copy(copy, args);
	char small[512];
	int n = vsnprintf(small, sizeof small, format, args);
	va_end(args);
	if (n < 0) {
		va_end(copy);
		return n;
	}
	if (static_cast<size_t>(n) < sizeof small) {
		stream.write(small, n);
	} else {
		std::string big(static_cast<size_t>(n) + 1, '\0');
		vsnprintf(big.data(), big.size(), format, copy);
		stream.write(big.data(), n);
	}
	va_end(copy);
	return n;
}

bool is_a_dir_char(char c) { return c == '/'; }

bool contains_a_dir_char(const std::string& str) { return str.find('/') != std::string::npos; }

bool contains_a_bad_dir_char(const std::string& str) { return str.find_first_of(":\\") != std::string::npos; }

std::string strip_to_file(const std::string& path)
{
	size_t slash = path.rfind('/');
	return slash == std::string::npos ? path : path.substr(slash + 1);
}

void split_extension(const std::string& path, std::string& base, std::string& ext)
{
	size_t name = path.rfind('/');
	name = name == std::string::npos ? 0 : name + 1;
	size_t dot = path.rfind('.');
	// A dot that starts the name (".hidden") or lies in a folder name is no extension.
	if (dot == std::string::npos || dot <= name) {
		base = path;
		ext.clear();
		return;
	}
	ext = path.substr(dot);
	base = path.substr(0, dot);
}

void crunch_path(std::string& path)
{
	if (path.find("..") == std::string::npos)
		return;
	// Components with the "/" that ends each one (the last may have none).
	std::vector<std::string> parts;
	size_t pos = 0;
	while (pos < path.size()) {
		size_t slash = path.find('/', pos);
		size_t end = slash == std::string::npos ? path.size() : slash + 1;
		std::string part = path.substr(pos, end - pos);
		// Only a real folder name pairs with "..": not the root, not another "..", not a file.
		bool can_pop = !parts.empty() && parts.back() != "/" && parts.back() != "../" &&
		               parts.back() != "./" && parts.back().back() == '/';
		if (part == "../" && can_pop)
			parts.pop_back();
		else
			parts.push_back(part);
		pos = end;
	}
	std::string out;
	for (auto& p : parts)
		out += p;
	path.swap(out);
}
