#pragma once
// "DVD Read", 1 thread: the disc counterpart of the download stage. Reads a download's file
// whole from the mounted disc, bypassing the file cache.
#include <atomic>
#include "app/Installer-f/engine/UTL_fifo_processor.h"
#include "app/Installer-f/engine/ins_records.h"

class ins_dvd_reader final : public UTL_fifo_processor<ins_req_file*, ins_encoded_file*> {
public:
	ins_dvd_reader(UTL_atomic_fifo<ins_req_file*>* in, UTL_atomic_fifo<ins_encoded_file*>* out);
	~ins_dvd_reader() override;
	float process(ins_req_file* const& in, ins_encoded_file*& out) override;
	// Requests still queued are answered with the cancelled code, without reading.
	void cancel();

private:
	std::atomic<int32_t> cancel_{0};
};

// One request: in.url is the file's full path on the disc. Takes and deletes in.
ins_encoded_file* read_disc_file(ins_req_file* in, bool cancelled);
