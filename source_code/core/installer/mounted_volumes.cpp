#include "core/installer/mounted_volumes.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace {

bool is_octal(char c) { return c >= '0' && c <= '7'; }

std::vector<std::string> split_fields(const std::string& line)
{
	std::vector<std::string> fields;
	std::istringstream in(line);
	std::string f;
	while (in >> f)
		fields.push_back(f);
	return fields;
}

bool parse_dev(const std::string& text, unsigned& major, unsigned& minor)
{
	char tail = 0;
	return std::sscanf(text.c_str(), "%u:%u%c", &major, &minor, &tail) == 2;
}

}  // namespace

std::string mountinfo_unescape(const std::string& field)
{
	std::string out;
	out.reserve(field.size());
	for (size_t i = 0; i < field.size(); ++i) {
		if (field[i] == '\\' && i + 3 < field.size() && is_octal(field[i + 1]) && is_octal(field[i + 2]) &&
		    is_octal(field[i + 3])) {
			out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
			i += 3;
		} else {
			out += field[i];
		}
	}
	return out;
}

std::vector<mounted_volume> mounted_volumes_parse(const std::string& mountinfo_text)
{
	std::vector<mounted_volume> out;
	std::istringstream lines(mountinfo_text);
	std::string line;
	while (std::getline(lines, line)) {
		// id parent major:minor root mount-point options [optional fields...] - type source super-options
		const std::vector<std::string> f = split_fields(line);
		size_t sep = 6;
		while (sep < f.size() && f[sep] != "-")
			++sep;
		if (sep + 2 >= f.size())
			continue;
		mounted_volume v;
		if (!parse_dev(f[2], v.dev_major, v.dev_minor))
			continue;
		v.mount_path = mountinfo_unescape(f[4]);
		if (v.mount_path.empty() || v.mount_path[0] != '/')
			continue;
		v.fs_type = mountinfo_unescape(f[sep + 1]);
		v.source = mountinfo_unescape(f[sep + 2]);
		v.name = v.mount_path.substr(v.mount_path.rfind('/') + 1);
		out.push_back(v);
	}
	return out;
}

bool mounted_volumes_list(std::vector<mounted_volume>& out, const std::string& mountinfo_path)
{
	out.clear();
	const int fd = ::open(mountinfo_path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	std::string text;
	char buf[8192];
	ssize_t n;
	while ((n = read(fd, buf, sizeof(buf))) > 0 || (n < 0 && errno == EINTR))
		if (n > 0)
			text.append(buf, static_cast<size_t>(n));
	::close(fd);
	if (n < 0)
		return false;
	out = mounted_volumes_parse(text);
	return true;
}
