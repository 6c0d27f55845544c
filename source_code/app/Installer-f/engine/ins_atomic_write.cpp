#include "app/Installer-f/engine/ins_atomic_write.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "core/files/paths.h"
#include "core/files/zip/zip_entry_name.h"
#include "core/ui/log.h"

namespace {

constexpr size_t k_write_chunk = size_t(1) << 30;
constexpr int k_temp_tries = 16;
constexpr int k_max_clean_depth = 256;
const char k_temp_mark[] = ".skytmp-";

struct fd_holder {
	int fd = -1;
	fd_holder() = default;
	explicit fd_holder(int f) : fd(f) {}
	~fd_holder() { if (fd >= 0) close(fd); }
	fd_holder(const fd_holder&) = delete;
	fd_holder& operator=(const fd_holder&) = delete;
	fd_holder& operator=(fd_holder&& o) noexcept { std::swap(fd, o.fd); return *this; }
	int release() { int f = fd; fd = -1; return f; }
};

// The folder that will hold rel's last component, reached from dest without following links.
err_code_t open_parent(const std::string& dest, const std::string& rel, fd_holder& parent, std::string& leaf)
{
	if (!zip_entry_name_is_safe(rel) || rel.back() == '/') {
		skyvane_log_write(log_error, "INS", "Refusing to write %s%s: not a plain relative file path\n", dest.c_str(),
		                  rel.c_str());
		return err_from_errno(EINVAL);
	}
	std::string root = dest;
	set_path_to_full(root);
	fd_holder cur(open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
	if (cur.fd < 0) return err_from_errno(errno);
	size_t start = 0;
	for (size_t slash; (slash = rel.find('/', start)) != std::string::npos; start = slash + 1) {
		std::string comp = rel.substr(start, slash - start);
		fd_holder next(openat(cur.fd, comp.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
		if (next.fd < 0) {
			int e = errno;
			struct stat st;
			if (fstatat(cur.fd, comp.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
				skyvane_log_write(log_error, "INS", "Refusing to write %s%s: its folder %s is a symbolic link\n",
				                  dest.c_str(), rel.c_str(), rel.substr(0, slash).c_str());
				e = ELOOP;
			}
			return err_from_errno(e);
		}
		cur = std::move(next);
	}
	leaf = rel.substr(start);
	parent = std::move(cur);
	return 0;
}

err_code_t write_all(int fd, const char* p, size_t n)
{
	while (n > 0) {
		ssize_t w = write(fd, p, std::min(n, k_write_chunk));
		if (w < 0 && errno == EINTR) continue;
		if (w < 0) return err_from_errno(errno);
		if (w == 0) return err_from_errno(EIO);
		p += w;
		n -= static_cast<size_t>(w);
	}
	return 0;
}

// Makes a temporary entry beside leaf with make(name); a name already taken moves the counter on.
template <class Make>
err_code_t make_temp(const std::string& leaf, std::string& tmp, Make make)
{
	for (int i = 0; i < k_temp_tries; ++i) {
		tmp = ins_temp_name(leaf);
		if (make(tmp)) return 0;
		if (errno != EEXIST) return err_from_errno(errno);
	}
	return err_from_errno(EEXIST);
}

bool all_digits(const std::string& s, size_t from, size_t to)
{
	if (from >= to) return false;
	for (size_t i = from; i < to; ++i)
		if (s[i] < '0' || s[i] > '9') return false;
	return true;
}

void clean_folder(int dir_fd, const std::string& path, int depth, int& removed)
{
	int list_fd = dup(dir_fd);
	DIR* d = list_fd >= 0 ? fdopendir(list_fd) : nullptr;
	if (!d) {
		if (list_fd >= 0) close(list_fd);
		return;
	}
	std::vector<std::string> folders, temps;
	while (dirent* ent = readdir(d)) {
		std::string name = ent->d_name;
		if (name == "." || name == "..") continue;
		unsigned char type = ent->d_type;
		if (type == DT_UNKNOWN) {
			struct stat st;
			if (fstatat(dir_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
			type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
		}
		if (type == DT_DIR) folders.push_back(name);
		else if (ins_is_temp_name(name)) temps.push_back(name);
	}
	closedir(d);
	for (const std::string& name : temps) {
		if (unlinkat(dir_fd, name.c_str(), 0) == 0) {
			++removed;
			skyvane_log_write(log_info, "INS", "Removed the stray temporary file %s%s\n", path.c_str(), name.c_str());
		} else {
			skyvane_log_write(log_warn, "INS", "Could not remove the stray temporary file %s%s: %s\n", path.c_str(),
			                  name.c_str(), strerror(errno));
		}
	}
	if (depth >= k_max_clean_depth) return;
	for (const std::string& name : folders) {
		// O_NOFOLLOW: a link that replaced the folder since the listing is not entered.
		fd_holder sub(openat(dir_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
		if (sub.fd >= 0) clean_folder(sub.fd, path + name + "/", depth + 1, removed);
	}
}

}  // namespace

std::string ins_temp_name(const std::string& leaf)
{
	static std::atomic<unsigned> counter{0};
	// Cut long names so the temporary one still fits in a file name.
	return "." + leaf.substr(0, 200) + k_temp_mark + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

bool ins_is_temp_name(const std::string& name)
{
	size_t mark = name.rfind(k_temp_mark);
	if (name.size() < 2 || name[0] != '.' || mark == std::string::npos || mark < 2) return false;
	size_t from = mark + sizeof(k_temp_mark) - 1;
	size_t dash = name.find('-', from);
	return dash != std::string::npos && all_digits(name, from, dash) && all_digits(name, dash + 1, name.size());
}

err_code_t ins_replace_file(const std::string& dest, const std::string& rel, const void* data, size_t size,
                            int mode, time_t when)
{
	fd_holder parent;
	std::string leaf, tmp;
	err_code_t e = open_parent(dest, rel, parent, leaf);
	if (e) return e;
	fd_holder out;
	e = make_temp(leaf, tmp, [&](const std::string& name) {
		out.fd = openat(parent.fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0660);
		return out.fd >= 0;
	});
	if (e) return e;

	e = write_all(out.fd, static_cast<const char*>(data), size);
	if (!e) {
		bool set_mode = mode >= 0;
		mode_t bits = static_cast<mode_t>(mode) & 0777;
		struct stat old;
		if (!set_mode && fstatat(parent.fd, leaf.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode)) {
			set_mode = true;
			bits = old.st_mode & 0777;
		}
		if (set_mode && fchmod(out.fd, bits) != 0) e = err_from_errno(errno);
	}
	timespec times[2] = {{when, 0}, {when, 0}};
	if (!e && futimens(out.fd, times) != 0) e = err_from_errno(errno);
	if (!e && fsync(out.fd) != 0) e = err_from_errno(errno);
	if (!e) posix_fadvise(out.fd, 0, 0, POSIX_FADV_DONTNEED);  // clean now, so the pages can go
	if (close(out.release()) != 0 && !e) e = err_from_errno(errno);
	if (!e && renameat(parent.fd, tmp.c_str(), parent.fd, leaf.c_str()) != 0) e = err_from_errno(errno);
	if (e) unlinkat(parent.fd, tmp.c_str(), 0);
	return e;
}

err_code_t ins_replace_with_link(const std::string& dest, const std::string& rel, const std::string& link_to,
                                 time_t when)
{
	if (link_to.empty() || link_to.find('\0') != std::string::npos || !zip_link_target_is_contained(rel, link_to)) {
		skyvane_log_write(log_error, "INS", "Refusing the link %s%s: its target %s lies outside the folder\n",
		                  dest.c_str(), rel.c_str(), link_to.c_str());
		return err_from_errno(EPERM);
	}
	fd_holder parent;
	std::string leaf, tmp;
	err_code_t e = open_parent(dest, rel, parent, leaf);
	if (e) return e;
	e = make_temp(leaf, tmp, [&](const std::string& name) {
		return symlinkat(link_to.c_str(), parent.fd, name.c_str()) == 0;
	});
	if (e) return e;
	timespec times[2] = {{when, 0}, {when, 0}};
	if (utimensat(parent.fd, tmp.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) e = err_from_errno(errno);
	if (!e && renameat(parent.fd, tmp.c_str(), parent.fd, leaf.c_str()) != 0) e = err_from_errno(errno);
	if (e) unlinkat(parent.fd, tmp.c_str(), 0);
	return e;
}

int clean_stray_temp_files(const std::string& dest_dir_path)
{
	std::string root = dest_dir_path;
	set_path_to_full(root);
	if (root.empty() || root.back() != '/') root += "/";
	fd_holder top(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
	int removed = 0;
	if (top.fd >= 0) clean_folder(top.fd, root, 0, removed);
	return removed;
}
