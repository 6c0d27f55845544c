#pragma once
// An archive held in memory, read by minizip through its file-function table:
//   zip_mem_file mf(bytes, n); unzFile z = unzOpen2("", &mf);
// The buffer is not owned and must outlive the reader; one reader at a time.
#include <cstddef>
#include <cstdint>
#include <ioapi.h>

struct zip_mem_file : zlib_filefunc_def {
	zip_mem_file(const void* data, size_t size);

	const unsigned char* buffer;
	uint64_t size;
	uint64_t position;
};
