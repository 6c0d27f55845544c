#pragma once
// Extracting every entry of a zip archive into a folder, recreating folders, links,
// permissions and dates. Archives come from untrusted mirrors, so:
//  - entry names that could leave out_dir are refused (zip_err_bad_zip), as are links
//    pointing outside it;
//  - nothing is written through a symbolic link found below out_dir (ELOOP);
//  - an entry whose uncompressed size exceeds max_entry_size is refused before it is
//    inflated (domain 7, ins_err_corrupt);
//  - each file is written under a temporary name and renamed over the target.
// Every failure is logged and returned; entries written before it stay.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include <unzip.h>
#include "core/ui/err_code.h"

// out_dir ends with "/". first_name, when given, receives the first entry's name.
// rename != 0: the first entry is stored under the name passed in *first_name instead
// (that name is checked like an entry name and left unchanged).
err_code_t zip_to_file(const std::string& zip_path, const std::string& out_dir, std::string* first_name,
                       int rename, uint64_t max_entry_size);
err_code_t mem_to_file(const void* data, size_t size, const std::string& out_dir, std::string* first_name,
                       int rename, uint64_t max_entry_size);

// from_memory: the archive is data/size; otherwise the file at zip_path.
err_code_t zip_to_file_common(const std::string& zip_path, const void* data, size_t size, bool from_memory,
                              const std::string& out_dir, std::string* first_name, int rename,
                              uint64_t max_entry_size);

// Reads the current entry (announced size `size`) of an open archive into out, refusing
// sizes above max_size before inflating. Opens and closes the entry; 0 or a zip-domain code.
err_code_t zip_read_current_entry(unzFile zf, uint64_t size, uint64_t max_size, std::vector<char>& out);
