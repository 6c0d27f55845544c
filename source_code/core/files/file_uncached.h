#pragma once
// Whole-file reads and writes that keep the system file cache out of the way, so installing
// gigabytes does not evict everything else. Files of 2 GB and more move in several calls.
#include <cstddef>
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
