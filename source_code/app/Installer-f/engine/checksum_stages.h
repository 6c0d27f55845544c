#pragma once
// The two stages of the folder scan: one thread reads local files, several hash them.
#include <atomic>
#include "app/Installer-f/engine/UTL_fifo_processor.h"
#include "app/Installer-f/engine/ins_records.h"

// "Checksum Reader", 1 thread: reads dest_dir_path + the file's path (a link: its target text)
// and checks that its owner may write it.
class ins_checksum_reader final : public UTL_fifo_processor<ins_checksum_req*, ins_checksum_data*> {
public:
	ins_checksum_reader(UTL_atomic_fifo<ins_checksum_req*>* in, UTL_atomic_fifo<ins_checksum_data*>* out);
	~ins_checksum_reader() override;
	float process(ins_checksum_req* const& req, ins_checksum_data*& out) override;
	// Requests still queued are answered at once with the cancelled code, without reading.
	void cancel();

private:
	std::atomic<bool> cancelled_{false};
};

// "Checksum calc", one thread per logical processor (1 to 8): writes sig_have and local_ok
// of the file's current version.
class ins_checksum_calc final : public UTL_fifo_processor<ins_checksum_data*, ins_checksum_result*> {
public:
	ins_checksum_calc(UTL_atomic_fifo<ins_checksum_data*>* in, UTL_atomic_fifo<ins_checksum_result*>* out);
	~ins_checksum_calc() override;
	float process(ins_checksum_data* const& data, ins_checksum_result*& out) override;
};

int checksum_calc_thread_count();  // logical processors, at least 1, at most 8
