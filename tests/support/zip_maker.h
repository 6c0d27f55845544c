#pragma once
// Small zip archives made in the test with minizip's writer.
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <zip.h>

#include "support/scratch_dir.h"

struct zip_test_entry {
	std::string name;
	std::string content;
	uint32_t external_fa = 0;  // high 16 bits: Unix mode
	tm_zip date{0, 0, 12, 1, 0, 2020};
};

inline uint32_t zip_unix_attr(mode_t mode) { return static_cast<uint32_t>(mode) << 16; }
inline uint32_t zip_link_attr() { return zip_unix_attr(S_IFLNK | 0777); }

inline bool write_zip_file(const std::string& path, const std::vector<zip_test_entry>& entries)
{
	zipFile zf = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
	if (!zf) return false;
	bool ok = true;
	for (const zip_test_entry& e : entries) {
		zip_fileinfo info{};
		info.tmz_date = e.date;
		info.external_fa = e.external_fa;
		ok = ok && zipOpenNewFileInZip(zf, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
		                               Z_DEFAULT_COMPRESSION) == ZIP_OK;
		ok = ok && zipWriteInFileInZip(zf, e.content.data(), static_cast<unsigned>(e.content.size())) == ZIP_OK;
		ok = ok && zipCloseFileInZip(zf) == ZIP_OK;
	}
	return zipClose(zf, nullptr) == ZIP_OK && ok;
}

inline std::vector<char> make_zip(const std::vector<zip_test_entry>& entries)
{
	scratch_dir tmp;
	if (!write_zip_file(tmp / "made.zip", entries)) {
		ADD_FAILURE() << "could not write the zip";
		return {};
	}
	std::string bytes = tmp.read("made.zip");
	return std::vector<char>(bytes.begin(), bytes.end());
}
