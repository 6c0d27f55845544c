#include "core/files/zip/zip_mem_file.h"

#include <cstring>

namespace {

zip_mem_file* as_mem(voidpf opaque) { return static_cast<zip_mem_file*>(opaque); }

voidpf ZCALLBACK mem_open(voidpf opaque, const char*, int) { return opaque; }

uLong ZCALLBACK mem_read(voidpf opaque, voidpf, void* buf, uLong n)
{
	zip_mem_file* m = as_mem(opaque);
	if (m->position >= m->size) return 0;
	uint64_t avail = m->size - m->position;
	uint64_t take = n < avail ? n : avail;
	memcpy(buf, m->buffer + m->position, take);
	m->position += take;
	return static_cast<uLong>(take);
}

uLong ZCALLBACK mem_write(voidpf, voidpf, const void*, uLong) { return 0; }

long ZCALLBACK mem_tell(voidpf opaque, voidpf) { return static_cast<long>(as_mem(opaque)->position); }

long ZCALLBACK mem_seek(voidpf opaque, voidpf, uLong offset, int origin)
{
	zip_mem_file* m = as_mem(opaque);
	switch (origin) {
	case ZLIB_FILEFUNC_SEEK_SET: m->position = offset; break;
	case ZLIB_FILEFUNC_SEEK_CUR: m->position += offset; break;
	case ZLIB_FILEFUNC_SEEK_END: m->position = m->size + offset; break;
	default: break;
	}
	return 0;
}

int ZCALLBACK mem_close(voidpf, voidpf) { return 0; }
int ZCALLBACK mem_error(voidpf, voidpf) { return 0; }

}  // namespace

zip_mem_file::zip_mem_file(const void* data, size_t n)
	: zlib_filefunc_def{mem_open, mem_read, mem_write, mem_tell, mem_seek, mem_close, mem_error, nullptr},
	  buffer(static_cast<const unsigned char*>(data)), size(data ? n : 0), position(0)
{
	opaque = this;
}
