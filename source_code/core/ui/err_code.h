#pragma once
// Error codes: one 32-bit value, the domain in the top four bits and a signed
// 28-bit code below it. 0 is success.
#include <cstdint>
#include <string>

typedef uint32_t err_code_t;

enum err_domain_t {
	err_dom_curl = 1,     // libcurl result
	err_dom_http = 2,     // HTTP status other than 200
	err_dom_classic = 3,  // classic file-system result codes (negative)
	err_dom_errno = 4,    // errno, in the reference numbering
	err_dom_zip = 5,      // minizip result codes (negative)
	err_dom_7z = 6,       // 7-Zip archive results
	err_dom_ins = 7,      // the installer's own codes 20001..20016
	err_dom_read = 8      // server-list and manifest reader results
};

inline err_code_t err_make(int domain, int code)
{
	return (static_cast<uint32_t>(code) & 0x0FFFFFFFu) | (static_cast<uint32_t>(domain) << 28);
}
inline int err_domain(err_code_t c) { return static_cast<int>(c >> 28); }
// The low 28 bits read as a signed number (bit 27 is the sign).
inline int err_value(err_code_t c)
{
	int32_t v = static_cast<int32_t>(c & 0x0FFFFFFFu);
	return (v & 0x08000000) ? v - 0x10000000 : v;
}

// Work that was cancelled (ECANCELED in the reference numbering): never shown, never logged as an error.
constexpr err_code_t err_cancelled = 0x40000059u;

// The host's errno translated to the reference numbering, in the errno domain.
int errno_to_reference(int host_errno);
err_code_t err_from_errno(int host_errno);

// The installer's own codes (domain 7).
enum {
	ins_err_zip_open = 20001,
	ins_err_zip_short_read = 20002,
	ins_err_zip_create = 20003,
	ins_err_zip_write = 20004,
	ins_err_zip_fork_2gb = 20005,
	ins_err_open_read = 20006,
	ins_err_net_reconnect = 20007,
	ins_err_net_bad_state = 20008,
	ins_err_net_alloc = 20009,
	ins_err_write_incoming = 20010,
	ins_err_no_server = 20011,
	ins_err_zip_fork_header = 20012,
	ins_err_corrupt = 20016
};

// The error carried by a pipeline item.
struct ins_err {
	err_code_t code = 0;
	std::string what;              // relative path or address
	int stage = 0;                 // 0 DVD read, 1 download, 2 decompress, 3 write / checksum read
	const char* src_file = nullptr;
	int line = 0;
};

enum { ins_stage_dvd = 0, ins_stage_download = 1, ins_stage_decompress = 2, ins_stage_disk = 3 };

#define INS_ERR_SET(e, c, w, st) \
	do { (e).code = (c); (e).what = (w); (e).stage = (st); (e).src_file = __FILE__; (e).line = __LINE__; } while (0)

std::string error_str(err_code_t code);
void log_err(const ins_err& err);
