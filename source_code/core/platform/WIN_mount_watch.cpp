#include "core/platform/WIN_mount_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

std::set<std::string> WIN_mountinfo_keys(const std::string& text)
{
	std::set<std::string> keys;
	std::istringstream in(text);
	std::string line;
	while (std::getline(in, line)) {
		std::istringstream fields(line);
		std::string f[5];
		bool whole = true;
		for (std::string& s : f)
			if (!(fields >> s)) whole = false;
		if (!whole) continue;
		keys.insert(f[0] + ' ' + f[1] + ' ' + f[2] + ' ' + f[3] + ' ' + f[4]);
	}
	return keys;
}

WIN_mount_watch::WIN_mount_watch(const std::string& path)
{
	fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd_ >= 0) mounts_ = WIN_mountinfo_keys(read_all());
}

WIN_mount_watch::~WIN_mount_watch()
{
	if (fd_ >= 0) ::close(fd_);
}

std::string WIN_mount_watch::read_all()
{
	std::string text;
	if (::lseek(fd_, 0, SEEK_SET) < 0) return text;
	char buf[8192];
	for (;;) {
		ssize_t n = ::read(fd_, buf, sizeof buf);
		if (n < 0 && errno == EINTR) continue;
		if (n <= 0) break;
		text.append(buf, static_cast<size_t>(n));
	}
	return text;
}

bool WIN_mount_watch::poll_new_mount()
{
	if (fd_ < 0) return false;
	pollfd p{fd_, POLLPRI, 0};
	int r;
	do r = ::poll(&p, 1, 0);
	while (r < 0 && errno == EINTR);
	if (r <= 0 || !(p.revents & (POLLPRI | POLLERR))) return false;
	// Reading the table again is what clears the kernel's change flag.
	std::set<std::string> now = WIN_mountinfo_keys(read_all());
	bool added = false;
	for (const std::string& m : now)
		if (!mounts_.count(m)) {
			added = true;
			break;
		}
	mounts_ = std::move(now);
	return added;
}
