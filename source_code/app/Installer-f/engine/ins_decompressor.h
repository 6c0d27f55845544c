#pragma once
// "Decompress", one thread per logical processor (1 to 8): unpacks a download (the stored file
// itself, or a zip holding one file or a whole folder's files) into memory and checks every
// file against its manifest MD5.
#include <string>
#include <vector>
#include "app/Installer-f/engine/UTL_fifo_processor.h"
#include "app/Installer-f/engine/ins_records.h"

class ins_decompressor final : public UTL_fifo_processor<ins_encoded_file*, ins_decoded_file*> {
public:
	ins_decompressor(UTL_atomic_fifo<ins_encoded_file*>* in, UTL_atomic_fifo<ins_decoded_file*>* out);
	~ins_decompressor() override;
	float process(ins_encoded_file* const& in, ins_decoded_file*& out) override;
};

int decompressor_thread_count();  // logical processors, at least 1, at most 8

// One download. Takes and deletes in. Every slot of a download that arrived gets exactly one
// entry: its content, or why it has none (a file missing from its archive, refused or
// corrupt). An archive that cannot be read sets the record's own err.
ins_decoded_file* decompress_download(ins_encoded_file* in);

// The log lines about a download that could not be unpacked.
void log_raw_zip_err(const std::string& source, const std::vector<char>& data);
