#pragma once
// Notices volumes being mounted: the kernel flags /proc/self/mountinfo with POLLPRI whenever
// the mount table of this process's namespace changes; a change that adds a mount counts.
#include <set>
#include <string>

class WIN_mount_watch {
public:
	explicit WIN_mount_watch(const std::string& path = "/proc/self/mountinfo");
	~WIN_mount_watch();
	WIN_mount_watch(const WIN_mount_watch&) = delete;
	WIN_mount_watch& operator=(const WIN_mount_watch&) = delete;

	bool is_open() const { return fd_ >= 0; }
	// Never waits. True once for each change of the table that brought a new mount.
	bool poll_new_mount();

private:
	std::string read_all();

	int fd_ = -1;
	std::set<std::string> mounts_;
};

// One key per mount of a mountinfo text: its id, parent, device, root and mount point, so that a
// new mount is told apart from a remount even when the kernel reuses an id.
std::set<std::string> WIN_mountinfo_keys(const std::string& text);
