#include "core/files/zip/zip_extract.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/paths.h"
#include "core/files/zip/zip_entry_name.h"
#include "core/files/zip/zip_err.h"
#include "core/files/zip/zip_mem_file.h"
#include "core/ui/log.h"

namespace {

constexpr size_t k_copy_chunk = 256 * 1024;
constexpr uint64_t k_max_link_target = PATH_MAX - 1;
constexpr uLong k_name_buffer = 256;

struct fd_closer {
	int fd = -1;
	fd_closer() = default;
	explicit fd_closer(int f) : fd(f) {}
	~fd_closer() { if (fd >= 0) close(fd); }
	fd_closer(const fd_closer&) = delete;
	fd_closer& operator=(const fd_closer&) = delete;
	fd_closer& operator=(fd_closer&& o) noexcept { std::swap(fd, o.fd); return *this; }
};

bool is_macosx_junk(const std::string& name) { return name.compare(0, 8, "__MACOSX") == 0; }

// Opens, without following links, the folder below root that holds `rel`'s last component.
err_code_t open_parent(int root, const std::string& rel, fd_closer& parent, std::string& leaf)
{
	std::string path = rel;
	if (!path.empty() && path.back() == '/') path.pop_back();
	fd_closer cur(dup(root));
	if (cur.fd < 0) return err_from_errno(errno);
	size_t start = 0;
	for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
		std::string comp = path.substr(start, slash - start);
		fd_closer next(openat(cur.fd, comp.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
		if (next.fd < 0) {
			int e = errno;
			struct stat st;
			if (fstatat(cur.fd, comp.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
				skyvane_log_write(log_error, "INS", "Zip entry %s refused: its folder %s is a symbolic link\n",
				                  rel.c_str(), comp.c_str());
				e = ELOOP;
			}
			return err_from_errno(e);
		}
		cur = std::move(next);
	}
	leaf = path.substr(start);
	parent = std::move(cur);
	return 0;
}

err_code_t write_all(int fd, const char* p, size_t n)
{
	while (n > 0) {
		ssize_t w = write(fd, p, n);
		if (w < 0) {
			if (errno == EINTR) continue;
			return err_from_errno(errno);
		}
		p += w;
		n -= static_cast<size_t>(w);
	}
	return 0;
}

std::string temp_name_for(const std::string& leaf)
{
	static std::atomic<unsigned> counter{0};
	return "." + leaf.substr(0, 64) + ".unzip-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

// The entry's date as local time; fields the entry lacks come from today.
timespec entry_time(const tm_unz& d)
{
	time_t now = time(nullptr);
	struct tm t;
	localtime_r(&now, &t);
	t.tm_sec = static_cast<int>(d.tm_sec);
	t.tm_min = static_cast<int>(d.tm_min);
	t.tm_hour = static_cast<int>(d.tm_hour);
	t.tm_mday = static_cast<int>(d.tm_mday);
	t.tm_mon = static_cast<int>(d.tm_mon);
	t.tm_year = static_cast<int>(d.tm_year) - 1900;
	t.tm_isdst = -1;
	return timespec{mktime(&t), 0};
}

err_code_t log_file_failure(err_code_t e, const std::string& target, int line)
{
	skyvane_log_write(log_error, "INS", "Zip to file failed with error %u. file = %s line = %d. inFile=%s.\n", e,
	                  __FILE__, line, target.c_str());
	return e;
}

// Streams the current entry into a fresh file beside the target, then renames it over the target.
err_code_t extract_file(unzFile zf, const unz_file_info& info, int parent, const std::string& leaf,
                        const std::string& target)
{
	std::string tmp = temp_name_for(leaf);
	fd_closer out(openat(parent, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
	if (out.fd < 0) return log_file_failure(err_from_errno(errno), target, __LINE__);

	err_code_t e = 0;
	int r = unzOpenCurrentFile(zf);
	if (r != UNZ_OK) {
		e = zip_err(r);
	} else {
		std::vector<char> buf(k_copy_chunk);
		uint64_t left = info.uncompressed_size;
		while (left > 0 && e == 0) {
			unsigned want = static_cast<unsigned>(left < buf.size() ? left : buf.size());
			int got = unzReadCurrentFile(zf, buf.data(), want);
			if (got < 0) e = zip_err(got);
			else if (got == 0) e = zip_err_short_read;
			else {
				e = write_all(out.fd, buf.data(), static_cast<size_t>(got));
				left -= static_cast<uint64_t>(got);
			}
		}
		int c = unzCloseCurrentFile(zf);
		if (e == 0 && c != UNZ_OK) e = zip_err(c);
	}
	if (e == 0 && info.external_fa != 0) {
		// Archives made on DOS-like systems keep no Unix mode in the high bits: keep the default then.
		mode_t mode = static_cast<mode_t>((info.external_fa >> 16) & 0x1FF);
		if (mode != 0 && fchmod(out.fd, mode) != 0) e = err_from_errno(errno);
		timespec ts[2] = {entry_time(info.tmu_date), entry_time(info.tmu_date)};
		if (e == 0 && futimens(out.fd, ts) != 0) e = err_from_errno(errno);
	}
	if (e == 0) {
		int fd = out.fd;
		out.fd = -1;
		if (close(fd) != 0) e = err_from_errno(errno);
	}
	if (e == 0 && renameat(parent, tmp.c_str(), parent, leaf.c_str()) != 0) e = err_from_errno(errno);
	if (e != 0) {
		unlinkat(parent, tmp.c_str(), 0);
		return log_file_failure(e, target, __LINE__);
	}
	return 0;
}

err_code_t extract_link(unzFile zf, const unz_file_info& info, const std::string& name, int parent,
                        const std::string& leaf, const std::string& target)
{
	std::vector<char> bytes;
	err_code_t e = info.uncompressed_size > k_max_link_target
	                   ? zip_err_bad_zip
	                   : zip_read_current_entry(zf, info.uncompressed_size, k_max_link_target, bytes);
	std::string link_to(bytes.begin(), bytes.end());
	if (e == 0 && (link_to.find('\0') != std::string::npos || !zip_link_target_is_contained(name, link_to))) {
		skyvane_log_write(log_error, "INS", "Zip link %s refused: its target %s lies outside the folder\n",
		                  name.c_str(), link_to.c_str());
		e = zip_err_bad_zip;
	}
	if (e == 0) {
		if (unlinkat(parent, leaf.c_str(), 0) != 0 && errno != ENOENT) e = err_from_errno(errno);
		else if (symlinkat(link_to.c_str(), parent, leaf.c_str()) != 0) e = err_from_errno(errno);
	}
	if (e != 0)
		skyvane_log_write(log_error, "INS", "Zip to symlink failed with error %u. inFile=%s.\n", e, target.c_str());
	return e;
}

err_code_t extract_entry(unzFile zf, const unz_file_info& info, const std::string& name, int root,
                         const std::string& out_dir, uint64_t max_entry_size)
{
	std::string target = out_dir + name;
	bool folder = name.back() == '/';
	bool link = (info.external_fa & 0xA0000000u) == 0xA0000000u;
	if (!folder && !link && info.uncompressed_size > max_entry_size) {
		skyvane_log_write(log_error, "INS", "Zip entry %s refused: %llu bytes, more than the %llu allowed\n",
		                  name.c_str(), static_cast<unsigned long long>(info.uncompressed_size),
		                  static_cast<unsigned long long>(max_entry_size));
		return err_make(err_dom_ins, ins_err_corrupt);
	}
	fd_closer parent;
	std::string leaf;
	err_code_t e = open_parent(root, name, parent, leaf);
	if (e != 0) return log_file_failure(e, target, __LINE__);
	if (folder) {
		if (mkdirat(parent.fd, leaf.c_str(), 0755) != 0 && errno != EEXIST) return err_from_errno(errno);
		return 0;
	}
	if (link) return extract_link(zf, info, name, parent.fd, leaf, target);
	return extract_file(zf, info, parent.fd, leaf, target);
}

unzFile open_archive(const std::string& zip_path, zip_mem_file* mem)
{
	return mem ? unzOpen2("", mem) : unzOpen(zip_path.c_str());
}

}  // namespace

err_code_t zip_read_current_entry(unzFile zf, uint64_t size, uint64_t max_size, std::vector<char>& out)
{
	out.clear();
	if (size > max_size) return err_make(err_dom_ins, ins_err_corrupt);
	int r = unzOpenCurrentFile(zf);
	if (r != UNZ_OK) return zip_err(r);
	out.resize(static_cast<size_t>(size));
	err_code_t e = 0;
	size_t done = 0;
	while (done < out.size() && e == 0) {
		size_t want = out.size() - done;
		if (want > k_copy_chunk) want = k_copy_chunk;
		int got = unzReadCurrentFile(zf, out.data() + done, static_cast<unsigned>(want));
		if (got < 0) e = zip_err(got);
		else if (got == 0) e = zip_err_short_read;
		else done += static_cast<size_t>(got);
	}
	int c = unzCloseCurrentFile(zf);
	if (e == 0 && c != UNZ_OK) e = zip_err(c);
	if (e != 0) out.clear();
	return e;
}

err_code_t zip_to_file_common(const std::string& zip_path_in, const void* data, size_t size, bool from_memory,
                              const std::string& out_dir, std::string* first_name, int rename,
                              uint64_t max_entry_size)
{
	std::string zip_path = zip_path_in;
	if (!from_memory) set_path_to_full(zip_path);
	std::string rename_to = (rename && first_name) ? *first_name : std::string();
	zip_mem_file mem(data, size);
	err_code_t err = 0;
	unzFile zf = open_archive(zip_path, from_memory ? &mem : nullptr);
	if (!zf) {
		skyvane_log_write(log_error, "INS",
		                  "Skyvane is about to report that it could not open a zip file for extraction!\n"
		                  "That incoming file is %s\nIn c-form, it is %s\nThe size is %zu\n",
		                  zip_path.c_str(), zip_path.c_str(), zip_path.size());
		err = zip_err_open;
	}
	fd_closer root;
	if (zf && err == 0) {
		root.fd = open(out_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
		if (root.fd < 0) err = err_from_errno(errno);
	}
	int r = (zf && err == 0) ? unzGoToFirstFile(zf) : UNZ_OK;
	if (zf && err == 0 && r != UNZ_OK) err = zip_err(r);
	for (bool first = true; zf && err == 0; first = false) {
		unz_file_info info;
		char name_buf[k_name_buffer + 1] = {};
		r = unzGetCurrentFileInfo(zf, &info, name_buf, k_name_buffer, nullptr, 0, nullptr, 0);
		if (r != UNZ_OK) {
			skyvane_log_write(log_error, "INS", "unzGetCurrentFileInfo err != UNZ_OK! err=%d\n", r);
			err = zip_err(r);
			break;
		}
		std::string name(name_buf);
		if (first && first_name && !rename) *first_name = name;
		if (first && !rename_to.empty()) name = rename_to;
		if (!is_macosx_junk(name)) {
			bool name_whole = info.size_filename < k_name_buffer && strlen(name_buf) == info.size_filename;
			if (!name_whole || !zip_entry_name_is_safe(name)) {
				skyvane_log_write(log_error, "INS",
				                  "Zip entry name refused (absolute, empty, too long or with . or .. parts): %s\n",
				                  name.c_str());
				err = zip_err_bad_zip;
			} else {
				err = extract_entry(zf, info, name, root.fd, out_dir, max_entry_size);
			}
			if (err != 0) {
				skyvane_log_write(log_error, "INS", "UNZIP zip_to_file failed with err=%u\n", err);
				break;
			}
		}
		r = unzGoToNextFile(zf);
		if (r == UNZ_END_OF_LIST_OF_FILE) break;
		if (r != UNZ_OK) err = zip_err(r);
	}
	if (zf) unzClose(zf);
	if (err != 0)
		skyvane_log_write(log_error, "INS", "Zip to file failed with error err = %u. zip_file=%s, out_dir=%s.\n", err,
		                  zip_path.c_str(), out_dir.c_str());
	return err;
}

err_code_t zip_to_file(const std::string& zip_path, const std::string& out_dir, std::string* first_name, int rename,
                       uint64_t max_entry_size)
{
	return zip_to_file_common(zip_path, nullptr, 0, false, out_dir, first_name, rename, max_entry_size);
}

err_code_t mem_to_file(const void* data, size_t size, const std::string& out_dir, std::string* first_name,
                       int rename, uint64_t max_entry_size)
{
	return zip_to_file_common(std::string(), data, size, true, out_dir, first_name, rename, max_entry_size);
}
