#pragma once
// MD5 (RFC 1321) of a byte buffer as 32 lower-case hexadecimal digits.
#include <cstddef>
#include <string>
#include <vector>

std::string md5_text(const void* data, size_t size);
inline std::string md5_text(const std::vector<char>& data) { return md5_text(data.data(), data.size()); }
inline std::string md5_text(const std::string& data) { return md5_text(data.data(), data.size()); }

// The same, fed to the digest at most `step` bytes at a time (tests use small steps; the
// default keeps every update well inside a signed 32-bit length).
constexpr size_t md5_default_step = size_t(1) << 30;
std::string md5_text_in_steps(const void* data, size_t size, size_t step);
