#include "core/ui/err_code.h"
#include "core/ui/error_str_curl.h"

#include <atomic>
#include <cstdio>

namespace {

struct err_text {
	int code;
	const char* text;
};

const err_text ins_texts[] = {
	{20001, "Unable to open a .zip file. It may be missing or damaged"},
	{20002, "Unable to read from a .zip file (short-read error). It may be missing or damaged"},
	{20003, "Unable to create a .zip file"},
	{20004, "Unable to write to a .zip file. It may be missing or damaged"},
	{20005, "Skyvane cannot compress a .zip file because its source file resource fork is more than 2 GB. The source file is probably damaged"},
	{20006, "Skyvane could not open a file to read from it"},
	{20007, "Unable to connect to the network due to an internal reconnect error"},
	{20008, "Unable to connect to the network due to a bad state error"},
	{20009, "Could not allocate a connection to the network"},
	{20010, "Could not write the incoming file to disk"},
	{20011, "Could not find the server over the network"},
	{20012, "Part of the downloaded .zip file is corrupted. The resource fork header is bad"},
	{20016, "The downloaded file has corrupt contents"},
};

const err_text sevenzip_texts[] = {
	{1, "7-Zip data error"},
	{3, "7-Zip CRC error"},
	{6, "7-Zip archive error"},
	{0x7000E, "7-Zip is out of memory"},
	{0x4001, "7-Zip unimplemented operation"},
	{0x4005, "7-Zip failure"},
	{0x70057, "7-Zip internal invalid argument"},
};

const err_text zip_texts[] = {
	{-100, "End of zip archive"},
	{-102, "zlib Param error"},
	{-103, "Bad zip file"},
	{-104, "zlib internal error"},
	{-105, "zip CRC error"},
};

// Reference errno numbering.
const err_text errno_texts[] = {
	{1, "Operation not permitted. Perhaps you do not have access to a directory or file system"},
	{2, "No such file or directory"},
	{3, "No such process"},
	{4, "Interrupted system call"},
	{5, "Input/output error"},
	{6, "Device not configured"},
	{7, "Argument list too long"},
	{8, "Exec format error"},
	{9, "Bad file descriptor"},
	{10, "No child processes"},
	{11, "Resource deadlock avoided"},
	{12, "Out of memory"},
	{13, "Permission denied. Perhaps you do not have access to a directory or file system"},
	{14, "Bad address"},
	{16, "Device busy"},
	{17, "File exists"},
	{18, "Cross-device link"},
	{19, "Operation not supported by device"},
	{20, "Not a directory"},
	{21, "Is a directory"},
	{22, "Invalid argument"},
	{23, "Too many open files in system"},
	{24, "Too many open files"},
	{25, "Inappropriate ioctl for device"},
	{27, "File too large"},
	{28, "No space left on device. Perhaps your hard drive is full"},
	{29, "Illegal seek"},
	{30, "The destination file system is read-only"},
	{31, "Too many links"},
	{32, "Broken pipe"},
	{33, "Numerical argument out of domain"},
	{34, "Result too large"},
	{35, "Resource temporarily unavailable"},
	{63, "File name too long"},
	{66, "Directory not empty"},
	{77, "No locks available"},
	{78, "Function not implemented"},
	{92, "Wide character encoding error"},
};

const err_text classic_texts[] = {
	{-1, "Queue element not found during deletion"},
	{-33, "Directory is full"},
	{-34, "The disk is full"},
	{-35, "No such volume"},
	{-36, "An internal I/O error occurred"},
	{-37, "Bad name"},
	{-38, "File not open"},
	{-39, "End of file"},
	{-40, "Position error"},
	{-41, "Memory is full"},
	{-42, "Too many files open"},
	{-43, "File not found"},
	{-44, "A disk is write-protected"},
	{-45, "File locked"},
	{-46, "Hard disk is locked"},
	{-47, "A file is in use by another application"},
	{-48, "Duplicate file name"},
	{-49, "File already open with write permissions by another application"},
	{-50, "Param err"},
	{-51, "refnum error"},
	{-52, "get file Position error"},
	{-53, "A needed volume is offline"},
	{-54, "Permissions error - perhaps you do not have access to a directory"},
	{-56, "No such drive"},
	{-57, "Not a Macintosh disk"},
	{-60, "Bad master directory block"},
	{-61, "Write permissions error - perhaps you do not have enough access to a directory"},
	{-108, "Out of memory (memory is full)"},
	{-120, "Directory not found"},
	{-5000, "You have insufficient privileges for this operation"},
};

template <size_t N>
const char* find_text(const err_text (&table)[N], int code)
{
	for (const err_text& e : table)
		if (e.code == code)
			return e.text;
	return nullptr;
}

std::atomic<const char* (*)(int)> g_curl_text{nullptr};

}  // namespace

void error_str_set_curl_text(const char* (*fn)(int)) { g_curl_text.store(fn); }

std::string error_str(err_code_t code)
{
	if (code == 0)
		return std::string();
	int domain = err_domain(code);
	int value = err_value(code);
	const char* text = nullptr;
	switch (domain) {
	case err_dom_curl:
		if (auto fn = g_curl_text.load())
			text = fn(value);
		break;
	case err_dom_classic: text = find_text(classic_texts, value); break;
	case err_dom_errno: text = find_text(errno_texts, value); break;
	case err_dom_zip: text = find_text(zip_texts, value); break;
	case err_dom_7z: text = find_text(sevenzip_texts, value); break;
	case err_dom_ins: text = find_text(ins_texts, value); break;
	default: break;
	}
	if (text && *text)
		return text;
	char buf[32];
	std::snprintf(buf, sizeof(buf), "Error %d:%d", domain, value);
	return buf;
}
