#include "core/installer/install_registry.h"

#include "core/files/file_ops.h"
#include "core/files/paths.h"
#include "core/ui/log.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string prefs_folder()
{
	std::string folder;
	get_OS_abs_path(os_dir_prefs, folder);
	return folder;
}

// A folder or an unreadable file reads as nothing.
bool read_whole_file(const std::string& file, std::string& text)
{
	const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	char buf[8192];
	ssize_t n;
	while ((n = read(fd, buf, sizeof(buf))) > 0 || (n < 0 && errno == EINTR))
		if (n > 0)
			text.append(buf, static_cast<size_t>(n));
	::close(fd);
	return n == 0;
}

// Lines end at CR or LF (a hand-edited file may use either); text after a NUL is ignored.
// Lines are taken whole: cutting a long one would name some other folder, its parent.
std::vector<std::string> read_lines(const std::string& file)
{
	std::vector<std::string> lines;
	std::string text;
	if (!read_whole_file(file, text))
		return lines;
	size_t start = 0;
	while (start < text.size()) {
		size_t end = text.find_first_of("\r\n", start);
		if (end == std::string::npos)
			end = text.size();
		std::string line = text.substr(start, end - start);
		line = line.substr(0, line.find('\0'));
		if (!line.empty())
			lines.push_back(line);
		start = end + 1;
	}
	return lines;
}

bool ends_mid_line(int fd)
{
	const off_t size = lseek(fd, 0, SEEK_END);
	if (size <= 0)
		return false;
	char last = 0;
	return pread(fd, &last, 1, size - 1) == 1 && last != '\n' && last != '\r';
}

bool write_all(int fd, const std::string& bytes)
{
	size_t done = 0;
	while (done < bytes.size()) {
		const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
		if (n < 0 && errno == EINTR)
			continue;
		if (n <= 0)
			return false;
		done += static_cast<size_t>(n);
	}
	return true;
}

void warn(const std::string& text)
{
	std::fputs(text.c_str(), stdout);
	std::fflush(stdout);
	skyvane_log_write(log_warn, "INS", "%s", text.c_str());
}

}  // namespace

registry_folder_fn_t registry_folder_fn = prefs_folder;

std::string registry_file_path()
{
	const std::string folder = registry_folder_fn ? registry_folder_fn() : std::string();
	return folder.empty() ? std::string() : folder + INS_REGISTRY_FILE;
}

void UTL_register_skyvane(const std::string& path)
{
	const std::string file = registry_file_path();
	if (file.empty()) {
		warn("WARNING: The installer was unable to register this copy of Skyvane; the Skyvane updater may not be able "
		     "to find and update Skyvane! (The installer could not locate the user's preferences folder.)\n");
		return;
	}
	if (path.empty() || path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
		skyvane_log_write(log_error, "INS", "Not registering an installation folder that holds a line break: %s",
		                  path.c_str());
		return;
	}
	for (const std::string& line : read_lines(file))
		if (line == path)
			return;

	// A fresh account may not have its preferences folder yet.
	const std::string folder = file.substr(0, file.size() - (sizeof(INS_REGISTRY_FILE) - 1));
	if (!dir_exists(folder))
		make_folder(folder);
	const int fd = ::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
	bool ok = fd >= 0;
	if (ok) {
		// Without this a last line lacking its break would be glued to the new one.
		const std::string text = (ends_mid_line(fd) ? "\n" : "") + path + "\n";
		ok = write_all(fd, text);
		ok = ::close(fd) == 0 && ok;
	}
	if (!ok)
		warn("WARNING: The installer could not write to the file " + file +
		     " to register this copy of Skyvane for the Skyvane updater.\n");
}

void UTL_locate_all_skyvanes(std::vector<std::string>& out)
{
	out.clear();
	const std::string file = registry_file_path();
	if (file.empty()) {
		warn("WARNING: registration of this skysuite folder failed!\n");
		return;
	}
	// A relative line would be looked up beside the executable.
	for (const std::string& line : read_lines(file))
		if (line[0] == '/' && dir_exists(line))
			out.push_back(line);
}
