#include "core/files/xmap_class.h"

#include "core/files/paths.h"
#include "core/files/resource_path.h"
#include "core/files/str_helpers.h"
#include "core/ui/alert.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

size_t s_granularity = 0;

const char* const k_support_email = "support@skyvane.example";

}  // namespace

void xmap_class::set_granularity(int granularity) { s_granularity = granularity > 0 ? static_cast<size_t>(granularity) : 0; }

xmap_class::xmap_class(const std::string& path, size_t offset, size_t length) : path_(path)
{
	if (!is_path_full(path_)) {
		if (!is_resource_path(path_) && contains_a_bad_dir_char(path_)) {
			RADAVI_alert("Skyvane received a bad directory character. Skyvane only uses '/'!",
			             "The path in question is:", path_, "", alert_mode_fatal);
			return;
		}
		set_path_to_full(path_);
	}
	int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0) {
		if (errno != ENOENT)
			std::printf("Mem file error.  Err=%d, file=%s\n", errno, path_.c_str());
		return;
	}
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		::close(fd);
		return;
	}
	size_t file_size = static_cast<size_t>(st.st_size);
	if (offset > file_size) {
		std::printf("Warning: remaining file space is %zu and offset is %zu for file %s\n",
		            file_size, offset, path_.c_str());
		::close(fd);
		return;
	}
	// Bytes past the end of the file cannot be touched through a mapping: clamp the request.
	size_t avail = file_size - offset;
	if (length == 0 || length > avail)
		length = avail;
	if (length == 0) {
		::close(fd);
		open_ = true;  // an empty file or an empty tail: open, nothing to read
		return;
	}
	size_t lead = s_granularity ? offset % s_granularity : 0;
	void* m = mmap(nullptr, length + lead, PROT_READ, MAP_PRIVATE, fd, static_cast<off_t>(offset - lead));
	int map_errno = errno;
	::close(fd);
	if (m == MAP_FAILED) {
		std::printf("Mem file error.  Err=%d, file=%s\n", map_errno, path_.c_str());
		return;
	}
	map_ = m;
	map_len_ = length + lead;
	begin_ = static_cast<const unsigned char*>(m) + lead;
	end_ = begin_ + length;
	cur_ = begin_;
	open_ = true;
}

xmap_class::~xmap_class() { close(); }

void xmap_class::close()
{
	if (map_)
		munmap(map_, map_len_);
	map_ = nullptr;
	map_len_ = 0;
	begin_ = end_ = cur_ = nullptr;
	open_ = false;
}

void xmap_class::skip_blanks()
{
	while (cur_ < end_ && is_blank(*cur_))
		++cur_;
}

void xmap_class::skip_eol_and_blanks()
{
	while (cur_ < end_ && is_token_end(*cur_))
		++cur_;
}

bool xmap_class::scan_keyword(const char* keyword, bool any_token_end)
{
	skip_blanks();
	const unsigned char* start = cur_;
	const unsigned char* p = cur_;
	for (const char* k = keyword; *k; ++k, ++p) {
		if (p >= end_ || *p != static_cast<unsigned char>(*k)) {
			cur_ = start;
			return false;
		}
	}
	bool ended = any_token_end ? (p >= end_ || is_token_end(*p)) : (p < end_ && is_blank(*p));
	cur_ = ended ? p : start;
	return ended;
}

int xmap_class::scan_int()
{
	skip_blanks();
	bool negative = false;
	if (cur_ < end_ && *cur_ == '-') {
		negative = true;
		++cur_;
	}
	if (cur_ < end_ && *cur_ == '+')
		++cur_;
	uint32_t value = 0;
	while (cur_ < end_ && !is_token_end(*cur_)) {
		value = value * 10u + static_cast<uint32_t>(static_cast<int>(*cur_) - '0');
		++cur_;
	}
	if (negative)
		value = 0u - value;
	return static_cast<int32_t>(value);
}

float xmap_class::scan_real()
{
	skip_blanks();
	double sign = 1.0, value = 0.0, divisor = 1.0;
	bool fraction = false;
	while (cur_ < end_ && !is_token_end(*cur_)) {
		const int c = *cur_++;
		if (c == '+')
			sign = 1.0;
		else if (c == '-')
			sign = -1.0;
		else if (c == '.')
			fraction = true;
		else {
			value = value * 10.0 + (c - '0');
			if (fraction)
				divisor *= 10.0;
		}
	}
	return static_cast<float>(value / divisor * sign);
}

void xmap_class::TXT_str_scan_to_eoln(std::string* out)
{
	const unsigned char* start = cur_;
	while (cur_ < end_ && !is_eol(*cur_))
		++cur_;
	if (out)
		out->assign(reinterpret_cast<const char*>(start), static_cast<size_t>(cur_ - start));
	skip_eol_and_blanks();
}

void xmap_class::TXT_str_scan_eoln(std::string* out)
{
	skip_blanks();
	TXT_str_scan_to_eoln(out);
}

void xmap_class::TXT_str_scan_space(std::string* out)
{
	skip_blanks();
	const unsigned char* start = cur_;
	while (cur_ < end_ && !is_token_end(*cur_))
		++cur_;
	if (out)
		out->assign(reinterpret_cast<const char*>(start), static_cast<size_t>(cur_ - start));
}

void xmap_class::skip_line() { TXT_str_scan_eoln(nullptr); }

int xmap_class::BIN_chr_scan()
{
	if (cur_ >= end_) {
		RADAVI_alert("Trying to scan beyond the end of the file!",
		             std::string("Please report this to Skyvane technical support at ") + k_support_email + ".",
		             "Be sure to include the file you were trying to read.", "", alert_mode_warning);
		return 0;
	}
	return *cur_++;
}

int xmap_class::check_file(int kind, const int* versions, const char* keyword, std::string* rest_of_version_line)
{
	if (kind != xmap_kind_text && kind != xmap_kind_binary) {
		RADAVI_alert("Bad check_file type!", path_, "", "", alert_mode_warning);
		return 0;
	}
	if (begin_ == end_)
		return 0;
	cur_ = begin_;
	auto accepted = [versions](int v) {
		for (const int* p = versions; p && *p; ++p)
			if (*p == v)
				return true;
		return false;
	};

	if (kind == xmap_kind_binary) {
		if (size() < 5 || (*cur_ != 'i' && *cur_ != 'a'))
			return 0;
		uint32_t v = static_cast<uint32_t>(cur_[1]) | static_cast<uint32_t>(cur_[2]) << 8 |
		             static_cast<uint32_t>(cur_[3]) << 16 | static_cast<uint32_t>(cur_[4]) << 24;
		cur_ += 5;
		int version = static_cast<int32_t>(v);
		return accepted(version) ? version : 0;
	}

	if (size() > 3 && cur_[0] == 0xEF && cur_[1] == 0xBB && cur_[2] == 0xBF)
		cur_ += 3;
	if (cur_ >= end_ || (*cur_ != 'A' && *cur_ != 'I'))
		return 0;
	skip_line();
	int version = scan_int();
	TXT_str_scan_eoln(rest_of_version_line);
	if (!accepted(version))
		return 0;
	if (keyword) {
		if (!scan_keyword(keyword, true))
			return 0;
		skip_line();
	}
	return version;
}
