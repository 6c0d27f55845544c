#pragma once
// Whole-file reads and writes that keep the system file cache out of the way, so installing
// gigabytes does not evict everything else. Files of 2 GB and more move in several calls.
#include <cstddef>
#include <new>
#include <string>
#include <vector>
#include "core/ui/err_code.h"

// data = the whole file; emptied on failure.
err_code_t FILE_disk_to_buffer_uncached(const std::string& path, std::vector<char>& data);
err_code_t FILE_disk_to_buffer_uncached(const std::string& path, std::string& data);
// Creates or truncates (0660), never writing through a symbolic link.
err_code_t FILE_buffer_to_disk_uncached(const std::string& path, const std::vector<char>& data);
err_code_t FILE_buffer_to_disk_uncached(const std::string& path, const std::string& data);
err_code_t FILE_buffer_to_disk_uncached(const std::string& path, const void* data, size_t size);

// The same with the largest size moved by one system call given (tests use small ones).
constexpr size_t file_uncached_default_chunk = size_t(1) << 30;
err_code_t file_uncached_read(const std::string& path, std::vector<char>& data, size_t chunk);
err_code_t file_uncached_write(const std::string& path, const void* data, size_t size, size_t chunk);

// The read every whole-file read above shares. room(ctx, size) is asked once, for size > 0, to
// make the caller's buffer size bytes long and say where they start (null: out of memory).
// got = the bytes read, fewer than asked for when the file shrank meanwhile.
typedef char* (*file_read_room_fn)(void* ctx, size_t size);
err_code_t file_uncached_read_into(const std::string& path, size_t chunk, file_read_room_fn room, void* ctx,
                                   size_t& got);

// Any vector-like byte buffer: its block is kept when the file fits; a larger one is taken in
// whole grow_step units, the old block freed first. data = the whole file; emptied on failure,
// and its block given back unless keep_block.
template <class Buffer>
err_code_t file_uncached_read_sized(const std::string& path, Buffer& data, size_t chunk, size_t grow_step,
                                    bool keep_block)
{
	struct target {
		Buffer* buf;
		size_t step;
	} dest{&data, grow_step ? grow_step : 1};
	data.clear();
	size_t got = 0;
	const err_code_t err = file_uncached_read_into(
	    path, chunk,
	    [](void* ctx, size_t size) -> char* {
		    target& t = *static_cast<target*>(ctx);
		    try {
			    if (t.buf->capacity() < size) {
				    Buffer().swap(*t.buf);
				    t.buf->reserve((size + t.step - 1) / t.step * t.step);
			    }
			    t.buf->resize(size);
		    } catch (const std::bad_alloc&) {
			    return nullptr;
		    }
		    return t.buf->data();
	    },
	    &dest, got);
	if (err) {
		data.clear();
		if (!keep_block)
			data.shrink_to_fit();
		return err;
	}
	data.resize(got);
	return 0;
}

// A whole-file read into a buffer that goes from file to file: files a little larger than the
// last one still fit, and a failure keeps the block for the next file.
constexpr size_t file_uncached_grow_step = size_t(4) << 20;
template <class Buffer>
err_code_t file_uncached_read_reused(const std::string& path, Buffer& data, size_t chunk = file_uncached_default_chunk)
{
	return file_uncached_read_sized(path, data, chunk, file_uncached_grow_step, true);
}
