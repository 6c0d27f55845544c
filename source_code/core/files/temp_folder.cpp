#include "core/files/temp_folder.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/ui/log.h"

namespace {

// A real folder (opened without following a link), owned by uid and closed to everyone else.
bool is_private_folder(const std::string& path, uid_t uid)
{
	int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
	if (fd < 0)
		return false;
	struct stat st;
	bool ok = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid && (st.st_mode & 077) == 0 &&
	          (st.st_mode & 0700) == 0700;
	close(fd);
	return ok;
}

}  // namespace

err_code_t temp_folder_make(const std::string& base_in, uid_t uid, std::string& out)
{
	out.clear();
	std::string base = base_in.empty() || base_in[0] != '/' ? std::string("/tmp") : base_in;
	while (base.size() > 1 && base.back() == '/')
		base.pop_back();
	if (base == "/")
		base.clear();
	std::string name = base + "/skyvane-installer-" + std::to_string(uid);

	if (mkdir(name.c_str(), 0700) == 0) {
		chmod(name.c_str(), 0700);  // whatever the umask left
	} else if (errno != EEXIST) {
		return err_from_errno(errno);
	}
	if (is_private_folder(name, uid)) {
		out = name + "/";
		return 0;
	}
	// Someone else's, a link, or open to others: never used. A fresh one of our own instead.
	skyvane_log_write(log_warn, "SYS", "The temporary folder %s is not private; using a new one.", name.c_str());
	std::string templ = name + "-XXXXXX";
	std::vector<char> buf(templ.begin(), templ.end());
	buf.push_back('\0');
	if (!mkdtemp(buf.data()))
		return err_from_errno(errno);
	out = std::string(buf.data()) + "/";
	return 0;
}

std::string temp_folder_path()
{
	static std::once_flag once;
	static std::string folder;
	std::call_once(once, [] {
		const char* env = getenv("TMPDIR");
		err_code_t err = temp_folder_make(env ? env : "", getuid(), folder);
		if (err && env && env[0] == '/')  // a $TMPDIR that cannot be used: the system's own
			err = temp_folder_make("/tmp", getuid(), folder);
		if (err)
			skyvane_log_write(log_error, "SYS", "No temporary folder could be made: %s", error_str(err).c_str());
	});
	return folder;
}

err_code_t temp_folder_create_file(const std::string& folder, const std::string& name, int& fd)
{
	std::string path = folder;
	if (!path.empty() && path.back() != '/')
		path += '/';
	path += name;
	fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
	return fd < 0 ? err_from_errno(errno) : 0;
}
