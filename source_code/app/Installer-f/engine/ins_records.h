#pragma once
// The records that travel between pipeline stages. Each is made with new by the stage that
// produces it and deleted by the one that consumes it; each names its files by index into
// sim_info.files and carries an ins_err (code 0: success).
#include <cstdint>
#include <string>
#include <vector>
#include "app/Installer-f/engine/byte_buffer.h"
#include "core/ui/err_code.h"

// A request to fetch one download.
struct ins_req_file {
	std::vector<int> slots;  // the files this download serves: one file, or every file of a folder archive
	std::string url;         // network: relative to the server's base URL, or absolute ("http..."); disc: full path
};

// One fetched download.
struct ins_encoded_file {
	std::vector<int> slots;  // moved from the request
	std::vector<char> data;  // zip, 7-Zip or the stored file itself; empty after any error
	std::string source;      // the URL or path it came from, set on success
	ins_err err;             // stage 0 or 1
};

struct one_decoded_file {
	int index = -1;
	std::vector<char> data;  // the content; for a symbolic link the link's target text
	// Local modification date; month 0-11, full year.
	int tm_sec = 0, tm_min = 0, tm_hour = 0, tm_mday = 0, tm_mon = 0, tm_year = 0;
	uint16_t mode = 0;       // Unix mode bits; 0 keeps the mode the file is created with
	ins_err err;             // stage 2
};

// The files unpacked from one download.
struct ins_decoded_file {
	std::vector<int> slots;  // copied from the encoded file
	std::vector<one_decoded_file> files;
	ins_err err;             // copied from the encoded file, or an archive error of stage 2
};

struct one_file_result {
	int index = -1;
	ins_err err;             // the decode error carried forward, or a write error of stage 3
};

// What the writer reports for one download.
struct ins_file_result {
	std::vector<one_file_result> results;  // one per decoded file, same order
	ins_err err;                           // copied from the decoded file
	std::vector<int> slots;
};

struct ins_checksum_req {
	int index = -1;
	int quick = 0;  // 1: only test whether the file exists
};

struct ins_checksum_data {
	int index = -1;
	int quick = 0;
	int exists = 0;
	ins_byte_vector data;    // the content or a link's target text; empty when quick
	ins_err err;             // stage 3
};

struct ins_checksum_result {
	int index = -1;
	ins_err err;
};
