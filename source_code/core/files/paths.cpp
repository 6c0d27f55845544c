#include "core/files/paths.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iconv.h>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/files/resource_path.h"
#include "core/files/temp_folder.h"

namespace {

std::mutex s_app_lock;
bool s_bundle_known = false;
std::string s_bundle;       // the executable
std::string s_this_app;     // its folder, ending with "/"
bool s_base_set = false;
std::string s_base;         // prefix of relative paths
std::atomic<bool> s_resolve_case{true};

void set_bundle_locked(const std::string& exe)
{
	s_bundle = exe;
	size_t slash = exe.rfind('/');
	s_this_app = slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
	s_bundle_known = true;
}

void ensure_bundle_locked()
{
	if (s_bundle_known)
		return;
	std::vector<char> buf(4096);
	ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
	set_bundle_locked(n > 0 ? std::string(buf.data(), static_cast<size_t>(n)) : std::string());
}

std::string home_folder()
{
	const char* home = getenv("HOME");
	if (home && home[0] == '/')
		return home;
	struct passwd pw, *found = nullptr;
	std::vector<char> buf(16384);
	if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir &&
	    found->pw_dir[0] == '/')
		return found->pw_dir;
	return std::string();
}

std::string with_slash(std::string s)
{
	if (!s.empty() && s.back() != '/')
		s += '/';
	return s;
}

std::string config_folder()
{
	const char* xdg = getenv("XDG_CONFIG_HOME");
	if (xdg && xdg[0] == '/')
		return with_slash(xdg);
	std::string home = home_folder();
	return home.empty() ? std::string() : with_slash(home) + ".config/";
}

// XDG_DESKTOP_DIR of user-dirs.dirs: "$HOME/..." or an absolute path, in double quotes.
std::string xdg_desktop(const std::string& home)
{
	std::string conf = config_folder();
	if (conf.empty())
		return std::string();
	std::ifstream in(conf + "user-dirs.dirs");
	std::string line, found;
	while (std::getline(in, line)) {
		size_t p = line.find_first_not_of(" \t");
		if (p == std::string::npos || line.compare(p, 16, "XDG_DESKTOP_DIR=") != 0)
			continue;
		p += 16;
		std::string value;
		bool quoted = p < line.size() && line[p] == '"';
		for (size_t i = p + (quoted ? 1 : 0); i < line.size(); ++i) {
			char c = line[i];
			if (quoted && c == '"')
				break;
			if (c == '\\' && i + 1 < line.size())
				c = line[++i];
			value += c;
		}
		if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
			if (home.empty())
				continue;
			value = home + value.substr(5);
		}
		if (!value.empty() && value[0] == '/')
			found = value;  // the last assignment wins, as in a shell
	}
	return found;
}

void finish_os_folder(std::string& out)
{
	if (out.empty())
		return;
	out = with_slash(out);
	set_path_to_right_dirchars(out);
}

// Each missing component is replaced by the one entry of its parent that matches it
// without regard to (ASCII) case; the first component with no such entry ends the walk.
void resolve_case(std::string& path)
{
	struct stat st;
	if (lstat(path.c_str(), &st) == 0)
		return;
	size_t pos = 1;  // path starts with "/"
	while (pos < path.size()) {
		size_t end = path.find('/', pos);
		if (end == std::string::npos)
			end = path.size();
		if (end == pos) {  // "//"
			++pos;
			continue;
		}
		std::string prefix = path.substr(0, end);
		if (lstat(prefix.c_str(), &st) != 0) {
			if (errno != ENOENT)
				return;
			std::string parent = path.substr(0, pos);
			std::string name = path.substr(pos, end - pos);
			DIR* dir = opendir(parent.c_str());
			if (!dir)
				return;
			std::string match;
			int matches = 0;
			while (dirent* e = readdir(dir)) {
				if (strcasecmp(e->d_name, name.c_str()) == 0 && strlen(e->d_name) == name.size()) {
					match = e->d_name;
					++matches;
				}
			}
			closedir(dir);
			if (matches != 1)  // none, or no single actual case
				return;
			path.replace(pos, name.size(), match);
		}
		pos = end + 1;
	}
}

}  // namespace

bool is_valid_utf8(const std::string& text)
{
	const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
	size_t n = text.size();
	for (size_t i = 0; i < n;) {
		unsigned c = s[i];
		if (c < 0x80) {
			++i;
			continue;
		}
		size_t len;
		unsigned cp;
		if (c >= 0xC2 && c <= 0xDF) {
			len = 2;
			cp = c & 0x1F;
		} else if (c >= 0xE0 && c <= 0xEF) {
			len = 3;
			cp = c & 0x0F;
		} else if (c >= 0xF0 && c <= 0xF4) {
			len = 4;
			cp = c & 0x07;
		} else {
			return false;
		}
		if (i + len > n)
			return false;
		for (size_t k = 1; k < len; ++k) {
			if ((s[i + k] & 0xC0) != 0x80)
				return false;
			cp = (cp << 6) | (s[i + k] & 0x3F);
		}
		if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
		    (cp >= 0xD800 && cp <= 0xDFFF))
			return false;
		i += len;
	}
	return true;
}

void set_path_to_right_dirchars(std::string& path)
{
	if (!is_valid_utf8(path)) {
		iconv_t cd = iconv_open("UTF-8", "MACINTOSH");
		if (cd != reinterpret_cast<iconv_t>(-1)) {
			std::string out(path.size() * 4, '\0');  // at most 3 UTF-8 bytes per Mac Roman byte
			char* in_p = path.data();
			size_t in_left = path.size();
			char* out_p = out.data();
			size_t out_left = out.size();
			if (iconv(cd, &in_p, &in_left, &out_p, &out_left) != static_cast<size_t>(-1)) {
				out.resize(out.size() - out_left);
				path.swap(out);
			}
			iconv_close(cd);
		}
	}
	for (char& c : path)
		if (c == ':' || c == '\\')
			c = '/';
}

void set_path_to_os_native_dirchars(std::string& path) { set_path_to_right_dirchars(path); }

bool is_path_full(const std::string& path) { return !path.empty() && path[0] == '/'; }

void set_path_to_full(std::string& path)
{
	resolve_resource_path(path);
	if (!is_path_full(path))
		path = files_get_app_base_folder() + path;
	if (is_path_full(path) && s_resolve_case.load(std::memory_order_relaxed))
		resolve_case(path);
}

void get_file_with_path(std::string& out, const std::string& path)
{
	size_t slash = path.size() < 2 ? std::string::npos : path.rfind('/', path.size() - 2);
	out = slash == std::string::npos ? path : path.substr(slash + 1);
}

void get_path_with_path(std::string& out, const std::string& path)
{
	size_t slash = path.size() < 2 ? std::string::npos : path.rfind('/', path.size() - 2);
	out = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void get_OS_abs_path(os_dir_type which, std::string& out)
{
	out.clear();
	switch (which) {
	case os_dir_this_app: {
		std::lock_guard<std::mutex> g(s_app_lock);
		ensure_bundle_locked();
		out = s_this_app;
		break;
	}
	case os_dir_app_bundle: {
		// The executable is a file here: no trailing "/".
		std::lock_guard<std::mutex> g(s_app_lock);
		ensure_bundle_locked();
		out = s_bundle;
		set_path_to_right_dirchars(out);
		return;
	}
	case os_dir_desktop:
	case os_dir_default_apps: {
		std::string home = home_folder();
		out = xdg_desktop(home);
		if (out.empty() && !home.empty())
			out = with_slash(home) + "Desktop";
		break;
	}
	case os_dir_temp:
		out = temp_folder_path();
		break;
	case os_dir_prefs:
		out = config_folder();
		break;
	}
	finish_os_folder(out);
}

void files_set_app_base_folder(const std::string& folder)
{
	std::lock_guard<std::mutex> g(s_app_lock);
	s_base = folder;
	s_base_set = true;
}

std::string files_get_app_base_folder()
{
	std::lock_guard<std::mutex> g(s_app_lock);
	if (s_base_set)
		return s_base;
	ensure_bundle_locked();
	return s_this_app;
}

void files_set_app_bundle_path(const std::string& executable)
{
	std::lock_guard<std::mutex> g(s_app_lock);
	set_bundle_locked(executable);
}

void files_set_resolve_case(bool on) { s_resolve_case.store(on, std::memory_order_relaxed); }
