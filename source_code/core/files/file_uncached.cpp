#include "core/files/file_uncached.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/paths.h"

namespace {

// Below this size waiting for the write-back costs more than the cache it would save.
constexpr size_t wait_writeback_from = size_t(1) << 20;

// The file's size exactly, and nothing kept after a failure.
template <class Buffer>
err_code_t read_whole(const std::string& path, Buffer& data, size_t chunk)
{
	return file_uncached_read_sized(path, data, chunk, 1, false);
}

}  // namespace

err_code_t file_uncached_read_into(const std::string& path, size_t chunk, file_read_room_fn room, void* ctx,
                                   size_t& got)
{
	got = 0;
	if (chunk == 0)
		chunk = file_uncached_default_chunk;
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
	char* at = nullptr;
	if (size > 0 && !(at = room(ctx, size)))
		err = err_from_errno(ENOMEM);
	size_t done = 0;
	while (!err && done < size) {
		ssize_t n = read(fd, at + done, std::min(chunk, size - done));
		if (n < 0 && errno == EINTR)
			continue;
		if (n < 0)
			err = err_from_errno(errno);
		else if (n == 0)
			break;  // the file shrank while we read it: keep what it holds now
		else
			done += static_cast<size_t>(n);
	}
	// Drop the pages this read brought in.
	posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
	close(fd);
	if (!err)
		got = done;
	return err;
}

err_code_t file_uncached_read(const std::string& path, std::vector<char>& data, size_t chunk)
{
	return read_whole(path, data, chunk);
}

err_code_t file_uncached_write(const std::string& path, const void* data, size_t size, size_t chunk)
{
	if (chunk == 0)
		chunk = file_uncached_default_chunk;
	std::string p = path;
	set_path_to_full(p);
	// O_NOFOLLOW: nothing is ever written through a symbolic link.
	int fd = open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0660);
	if (fd < 0)
		return err_from_errno(errno);
	const char* bytes = static_cast<const char*>(data);
	err_code_t err = 0;
	for (size_t done = 0; !err && done < size;) {
		ssize_t n = write(fd, bytes + done, std::min(chunk, size - done));
		if (n < 0 && errno == EINTR)
			continue;
		if (n < 0)
			err = err_from_errno(errno);
		else if (n == 0)
			err = err_from_errno(EIO);
		else
			done += static_cast<size_t>(n);
	}
	if (!err) {
		// Dirty pages cannot be dropped: have them written first, then let them go.
		unsigned flags = SYNC_FILE_RANGE_WRITE;
		if (size >= wait_writeback_from)
			flags |= SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WAIT_AFTER;
		sync_file_range(fd, 0, 0, flags);
		posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
	}
	if (close(fd) != 0 && !err)
		err = err_from_errno(errno);
	return err;
}

err_code_t FILE_disk_to_buffer_uncached(const std::string& path, std::vector<char>& data)
{
	return read_whole(path, data, file_uncached_default_chunk);
}

err_code_t FILE_disk_to_buffer_uncached(const std::string& path, std::string& data)
{
	return read_whole(path, data, file_uncached_default_chunk);
}

err_code_t FILE_buffer_to_disk_uncached(const std::string& path, const void* data, size_t size)
{
	return file_uncached_write(path, data, size, file_uncached_default_chunk);
}

err_code_t FILE_buffer_to_disk_uncached(const std::string& path, const std::vector<char>& data)
{
	return file_uncached_write(path, data.data(), data.size(), file_uncached_default_chunk);
}

err_code_t FILE_buffer_to_disk_uncached(const std::string& path, const std::string& data)
{
	return file_uncached_write(path, data.data(), data.size(), file_uncached_default_chunk);
}
