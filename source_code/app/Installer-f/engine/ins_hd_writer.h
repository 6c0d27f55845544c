#pragma once
// "HDD Writer", 1 thread: puts verified files into the installation folder with their modes and
// dates, makes symbolic links, and records in the model that the local copy now matches.
// Every file is replaced atomically and never through a link (ins_atomic_write.h).
#include "app/Installer-f/engine/UTL_fifo_processor.h"
#include "app/Installer-f/engine/ins_atomic_write.h"
#include "app/Installer-f/engine/ins_records.h"

class ins_hd_writer final : public UTL_fifo_processor<ins_decoded_file*, ins_file_result*> {
public:
	ins_hd_writer(UTL_atomic_fifo<ins_decoded_file*>* in, UTL_atomic_fifo<ins_file_result*>* out);
	~ins_hd_writer() override;
	float process(ins_decoded_file* const& in, ins_file_result*& out) override;
};

// One decoded download into dest_dir_path. Takes and deletes in. Entries that carry an error
// are not written; their error is reported as it came.
ins_file_result* write_decoded_files(ins_decoded_file* in);

// The entry's date (full year, month 0-11) read as local time.
time_t decoded_file_time(const one_decoded_file& f);
