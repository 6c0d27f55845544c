#include "core/installer/dvd_locate.h"

#include "core/installer/mounted_volumes.h"
#include "core/ui/log.h"

#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <memory>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::chrono::seconds k_eject_bound(10);

bool under(const std::string& mount_point, const std::string& path)
{
	if (mount_point == "/")
		return true;
	return path.compare(0, mount_point.size(), mount_point) == 0 &&
	       (path.size() == mount_point.size() || path[mount_point.size()] == '/');
}

// The system's own folders, and the kernel's: never a disc.
bool is_system_mount(const std::string& m)
{
	static const char* const k_exact[] = {"/", "/bin", "/boot", "/etc", "/run", "/sbin", "/usr", "/Applications"};
	for (const char* e : k_exact)
		if (m == e)
			return true;
	if (m.compare(0, 4, "/lib") == 0 && m.find('/', 1) == std::string::npos)
		return true;
	static const char* const k_trees[] = {"/dev", "/proc", "/sys"};
	for (const char* t : k_trees)
		if (under(t, m))
			return true;
	return false;
}

std::string real_path(const std::string& path)
{
	char buf[PATH_MAX];
	if (!realpath(path.c_str(), buf))
		return path;
	return buf;
}

void report(const char* what, const std::string& subject, int err)
{
	const std::string why = error_str(err_from_errno(err));
	std::printf("%s\n%s: %s\n", what, subject.c_str(), why.c_str());
	std::fflush(stdout);
	skyvane_log_write(log_warn, "INS", "%s %s: %s", what, subject.c_str(), why.c_str());
}

void unmount_and_eject(const std::vector<std::string>& mount_points, const std::string& device)
{
	for (const std::string& m : mount_points) {
		if (umount2(m.c_str(), 0) != 0) {
			report("Unmount failed.", m, errno);
			return;
		}
	}
	// A file system without a device (tmpfs, a network share) has nothing to eject.
	if (device.compare(0, 5, "/dev/") != 0)
		return;
	const int fd = open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0 || ioctl(fd, CDROMEJECT, 0) != 0)
		report("Eject failed.", device, errno);
	if (fd >= 0)
		close(fd);
}

}  // namespace

bool dvd_run_bounded(std::function<void()> job, std::chrono::milliseconds bound)
{
	struct state {
		std::mutex m;
		std::condition_variable cv;
		bool done = false;
	};
	auto s = std::make_shared<state>();
	try {
		std::thread([s, job = std::move(job)] {
			job();
			std::lock_guard<std::mutex> g(s->m);
			s->done = true;
			s->cv.notify_all();
		}).detach();
	} catch (const std::system_error&) {
		skyvane_log_write(log_error, "INS", "No thread for a disc operation");
		return false;
	}
	std::unique_lock<std::mutex> lk(s->m);
	return s->cv.wait_for(lk, bound, [&] { return s->done; });
}

err_code_t eject_dvd(const std::string& path)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0)
		return err_from_errno(errno);
	std::vector<mounted_volume> volumes;
	if (!mounted_volumes_list(volumes))
		return err_from_errno(ENOENT);

	// The file system holding path: the deepest mount point above it on its device; of equal
	// ones the later is on top. Without a device match (a file system whose files report another
	// device number), the deepest mount point above it.
	const std::string where = real_path(path);
	const mounted_volume* holder = nullptr;
	for (int pass = 0; pass < 2 && !holder; ++pass)
		for (const mounted_volume& v : volumes)
			if ((pass == 1 || makedev(v.dev_major, v.dev_minor) == st.st_dev) && under(v.mount_path, where) &&
			    (!holder || v.mount_path.size() >= holder->mount_path.size()))
				holder = &v;
	if (!holder)
		return err_from_errno(ENODEV);

	// The whole file system goes, wherever else it is mounted too; the last mounted first.
	std::vector<std::string> points;
	for (auto it = volumes.rbegin(); it != volumes.rend(); ++it)
		if (it->dev_major == holder->dev_major && it->dev_minor == holder->dev_minor)
			points.push_back(it->mount_path);
	for (const std::string& m : points) {
		if (is_system_mount(m)) {
			skyvane_log_write(log_error, "INS", "Not ejecting %s: it holds the system folder %s", path.c_str(), m.c_str());
			return err_from_errno(EPERM);
		}
	}
	const std::string device = holder->source;
	skyvane_log_write(log_info, "INS", "Ejecting %s (%s)", holder->mount_path.c_str(), device.c_str());
	if (!dvd_run_bounded([points, device] { unmount_and_eject(points, device); },
	                     std::chrono::duration_cast<std::chrono::milliseconds>(k_eject_bound)))
		skyvane_log_write(log_warn, "INS", "Eject of %s still busy after %d seconds", device.c_str(),
		                  static_cast<int>(k_eject_bound.count()));
	return 0;
}
