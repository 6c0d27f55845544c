#include "app/Installer-f/engine/checksum_file_read.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/paths.h"

namespace {
constexpr size_t read_step = size_t(1) << 30;   // per system call
constexpr size_t grow_step = size_t(4) << 20;   // files a little larger reuse the same buffer
}

err_code_t checksum_read_file(const std::string& path, ins_byte_vector& data)
{
	data.clear();
	std::string p = path;
	set_path_to_full(p);
	int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return err_from_errno(errno);
	struct stat st;
	if (fstat(fd, &st) != 0) {
		err_code_t err = err_from_errno(errno);
		close(fd);
		return err;
	}
	posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
	const size_t size = static_cast<size_t>(st.st_size);
	err_code_t err = 0;
	try {
		if (data.capacity() < size) {
			ins_byte_vector().swap(data);  // free the old block before taking a larger one
			data.reserve((size + grow_step - 1) / grow_step * grow_step);
		}
		data.resize(size);
	} catch (const std::bad_alloc&) {
		err = err_from_errno(ENOMEM);
	}
	size_t done = 0;
	while (!err && done < size) {
		ssize_t n = read(fd, data.data() + done, std::min(read_step, size - done));
		if (n < 0 && errno == EINTR)
			continue;
		if (n < 0)
			err = err_from_errno(errno);
		else if (n == 0)
			break;  // the file shrank while we read it: keep what it holds now
		else
			done += static_cast<size_t>(n);
	}
	posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
	close(fd);
	if (err) {
		data.clear();
		return err;
	}
	data.resize(done);
	return 0;
}
