#include "core/files/file_ops.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "core/files/paths.h"
#include "core/files/str_helpers.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

namespace {

constexpr err_code_t err_exists = 0x40000011u;      // EEXIST
constexpr err_code_t err_dup_name = 0x3FFFFFD0u;    // classic "duplicate file name" (-48)
constexpr err_code_t err_no_entry = 0x40000002u;    // ENOENT
constexpr size_t copy_block = size_t(1) << 20;

std::string full(std::string p)
{
	set_path_to_full(p);
	return p;
}

std::string without_slash(std::string p)
{
	while (p.size() > 1 && p.back() == '/')
		p.pop_back();
	return p;
}

err_code_t last_error() { return err_from_errno(errno); }

// The entries of an open folder, "." and ".." left out; types from the entry itself, so a
// link is never a folder.
struct dir_entry {
	std::string name;
	bool is_dir;
};

bool read_entries(int dfd, std::vector<dir_entry>& out)
{
	int own = dup(dfd);
	if (own < 0)
		return false;
	DIR* d = fdopendir(own);
	if (!d) {
		close(own);
		return false;
	}
	errno = 0;
	while (dirent* e = readdir(d)) {
		if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
			continue;
		bool is_dir = e->d_type == DT_DIR;
		if (e->d_type == DT_UNKNOWN) {
			struct stat st;
			is_dir = fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
		}
		out.push_back({e->d_name, is_dir});
		errno = 0;
	}
	int saved = errno;
	closedir(d);
	errno = saved;
	return saved == 0;
}

// Removes the entry `name` of the folder dfd and everything below it. The folder is opened
// without following a link: a link (or any non-folder) is unlinked itself.
err_code_t remove_tree_at(int dfd, const char* name)
{
	int fd = openat(dfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
	if (fd < 0) {
		if (errno == ENOTDIR || errno == ELOOP)
			return unlinkat(dfd, name, 0) == 0 ? 0 : last_error();
		return last_error();
	}
	std::vector<dir_entry> entries;
	err_code_t err = read_entries(fd, entries) ? 0 : last_error();
	for (size_t i = 0; !err && i < entries.size(); ++i) {
		if (entries[i].is_dir)
			err = remove_tree_at(fd, entries[i].name.c_str());
		else if (unlinkat(fd, entries[i].name.c_str(), 0) != 0)
			err = errno == EISDIR ? remove_tree_at(fd, entries[i].name.c_str()) : last_error();
	}
	close(fd);
	if (err)
		return err;
	return unlinkat(dfd, name, AT_REMOVEDIR) == 0 ? 0 : last_error();
}

err_code_t copy_link(const std::string& from, const std::string& to)
{
	std::vector<char> buf(4096);
	ssize_t n = readlink(from.c_str(), buf.data(), buf.size() - 1);
	if (n < 0)
		return last_error();
	buf[static_cast<size_t>(n)] = '\0';
	struct stat st;
	if (lstat(to.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && unlink(to.c_str()) != 0)
		return last_error();
	return symlink(buf.data(), to.c_str()) == 0 ? 0 : last_error();
}

}  // namespace

bool file_exists(const std::string& path)
{
	struct stat st;
	return stat(full(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool dir_exists(const std::string& path)
{
	struct stat st;
	return stat(without_slash(full(path)).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_sim_link(const std::string& path, std::string* target)
{
	std::string p = without_slash(full(path));
	struct stat st;
	if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
		return false;
	if (target) {
		char buf[500];
		ssize_t n = readlink(p.c_str(), buf, 499);
		target->assign(buf, n > 0 ? static_cast<size_t>(n) : 0);
	}
	return true;
}

err_code_t make_folder(const std::string& path)
{
	return mkdir(without_slash(full(path)).c_str(), 0755) == 0 ? 0 : last_error();
}

bool show_make_dir_err(err_code_t code) { return code != 0 && code != err_exists && code != err_dup_name; }

err_code_t delete_file(const std::string& path)
{
	if (path.empty())
		return err_no_entry;
	std::string p = full(path);
	if (p.back() != '/')
		return unlink(p.c_str()) == 0 ? 0 : last_error();
	p = without_slash(p);
	// A link named as a folder goes as a link, never the folder it points to.
	struct stat st;
	if (lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
		return unlink(p.c_str()) == 0 ? 0 : last_error();
	return rmdir(p.c_str()) == 0 ? 0 : last_error();
}

bool show_del_err(err_code_t) { return false; }

err_code_t recursive_delete_folder(const std::string& path)
{
	if (path.empty())
		return err_no_entry;
	std::string p = without_slash(full(path));
	size_t slash = p.rfind('/');
	std::string parent = slash == 0 ? std::string("/") : p.substr(0, slash);
	std::string name = p.substr(slash + 1);
	if (slash == std::string::npos || name.empty())
		return err_from_errno(EINVAL);  // never the root
	struct stat st;
	if (lstat(p.c_str(), &st) != 0)
		return last_error();
	if (S_ISLNK(st.st_mode))  // the link goes, not what it points to
		return unlink(p.c_str()) == 0 ? 0 : last_error();
	if (!S_ISDIR(st.st_mode))
		return err_from_errno(ENOTDIR);
	int dfd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (dfd < 0)
		return last_error();
	err_code_t err = remove_tree_at(dfd, name.c_str());
	close(dfd);
	return err;
}

err_code_t rename_file(const std::string& folder, const std::string& old_name, const std::string& new_name)
{
	std::string from = full(folder + old_name), to = full(folder + new_name);
	return rename(from.c_str(), to.c_str()) == 0 ? 0 : last_error();
}

err_code_t copy_file(const std::string& from, const std::string& to)
{
	std::string src = full(from), dst = full(to);
	int in = open(src.c_str(), O_RDONLY | O_CLOEXEC);
	if (in < 0)
		return last_error();
	struct stat st;
	if (fstat(in, &st) != 0) {
		err_code_t err = last_error();
		close(in);
		return err;
	}
	if (S_ISDIR(st.st_mode)) {
		close(in);
		return err_from_errno(EISDIR);
	}
	// Never written through a link planted at the target.
	int out = open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
	if (out < 0) {
		err_code_t err = last_error();
		close(in);
		return err;
	}
	std::vector<char> buf(copy_block);
	err_code_t err = 0;
	for (;;) {
		ssize_t n = read(in, buf.data(), buf.size());
		if (n < 0) {
			if (errno == EINTR)
				continue;
			err = last_error();
			break;
		}
		if (n == 0)
			break;
		for (ssize_t done = 0; done < n && !err;) {
			ssize_t w = write(out, buf.data() + done, static_cast<size_t>(n - done));
			if (w < 0 && errno == EINTR)
				continue;
			if (w <= 0)
				err = w < 0 ? last_error() : err_from_errno(EIO);
			else
				done += w;
		}
		if (err)
			break;
	}
	close(in);
	if (!err && fchmod(out, st.st_mode & 0777) != 0)
		err = last_error();
	if (close(out) != 0 && !err)
		err = last_error();
	return err;
}

err_code_t copy_file_recursive(const std::string& from, const std::string& to)
{
	std::string src = without_slash(full(from)), dst = without_slash(full(to));
	struct stat st;
	if (lstat(src.c_str(), &st) != 0)
		return last_error();
	// A link is copied as a link: following it could copy a folder into itself without end.
	if (S_ISLNK(st.st_mode))
		return copy_link(src, dst);
	if (!S_ISDIR(st.st_mode))
		return copy_file(src, dst);
	// An existing folder is filled, so copying over an earlier copy works.
	err_code_t err = make_folder(dst + "/");
	if (show_make_dir_err(err))
		return err;
	std::vector<std::string> names;
	std::vector<file_type_t> types;
	opensave_getitems(src + "/", list_filter_all, names, types);
	for (const std::string& n : names) {
		err = copy_file_recursive(src + "/" + n, dst + "/" + n);
		if (err)
			return err;
	}
	return 0;
}

int opensave_getitems(const std::string& folder, int filter, std::vector<std::string>& names,
                      std::vector<file_type_t>& types, const std::string& extra)
{
	names.clear();
	types.clear();
	if (folder.empty() || folder.back() != '/') {
		RADAVI_alert("Working path does not appear to be a directory!",
		             "This is not consistent with my labelling practices!",
		             "I need to end all paths with the directory indicator!", folder, alert_mode_fatal);
		return 0;
	}
	std::string p = full(folder);
	int dfd = open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (dfd < 0)
		return 0;
	std::vector<dir_entry> entries;
	bool ok = read_entries(dfd, entries);
	close(dfd);
	if (!ok)
		return 0;
	std::vector<dir_entry> kept;
	for (auto& e : entries) {
		if (filter != list_filter_all && e.name[0] == '.')
			continue;
		if (contains_a_bad_dir_char(e.name) || contains_a_dir_char(e.name)) {
			skyvane_log_write(log_warn, "SYS",
			                  "Found file or folder with a dirchar in filename: %s. I'm ignoring this file or "
			                  "folder and wont list it in the file listing",
			                  e.name.c_str());
			continue;
		}
		kept.push_back(std::move(e));
	}
	std::sort(kept.begin(), kept.end(), [](const dir_entry& a, const dir_entry& b) {
		int c = strcasecmp(a.name.c_str(), b.name.c_str());
		return c != 0 ? c < 0 : a.name < b.name;
	});
	for (auto& e : kept) {
		names.push_back(e.name);
		types.push_back(e.is_dir ? file_type_folder : file_type_other);
	}
	return static_cast<int>(names.size());
}

err_code_t get_free_space(const std::string& path, uint64_t* total_bytes, uint64_t* free_bytes)
{
	std::string folder = full(path);
	if (folder.empty() || folder.back() != '/')
		get_path_with_path(folder, std::string(folder));
	if (folder.empty())
		folder = "/";
	struct statvfs vs;
	// The volume a new folder will land on is the one of its nearest existing parent.
	while (statvfs(folder.c_str(), &vs) != 0) {
		if ((errno != ENOENT && errno != ENOTDIR) || folder == "/")
			return last_error();
		std::string parent;
		get_path_with_path(parent, folder);
		folder = parent.empty() ? "/" : parent;
	}
	uint64_t block = vs.f_frsize ? vs.f_frsize : vs.f_bsize;
	if (total_bytes)
		*total_bytes = block * static_cast<uint64_t>(vs.f_blocks);
	if (free_bytes)
		*free_bytes = block * static_cast<uint64_t>(vs.f_bavail);
	return 0;
}
