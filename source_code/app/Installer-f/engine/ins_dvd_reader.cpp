#include "app/Installer-f/engine/ins_dvd_reader.h"

#include <utility>

#include "core/files/file_uncached.h"

ins_encoded_file* read_disc_file(ins_req_file* in, bool cancelled)
{
	auto* out = new ins_encoded_file;
	if (cancelled) {
		INS_ERR_SET(out->err, err_cancelled, in->url, ins_stage_dvd);
	} else if (err_code_t e = FILE_disk_to_buffer_uncached(in->url, out->data)) {
		INS_ERR_SET(out->err, e, in->url, ins_stage_dvd);
		out->data.clear();
	} else {
		out->source = in->url;
	}
	out->slots = std::move(in->slots);
	delete in;
	return out;
}

ins_dvd_reader::ins_dvd_reader(UTL_atomic_fifo<ins_req_file*>* in, UTL_atomic_fifo<ins_encoded_file*>* out)
    : UTL_fifo_processor(1, in, out, nullptr, "DVD Read")
{
	start();
}

ins_dvd_reader::~ins_dvd_reader() { stop(); }

void ins_dvd_reader::cancel() { cancel_.store(1); }

float ins_dvd_reader::process(ins_req_file* const& in, ins_encoded_file*& out)
{
	out = read_disc_file(in, cancel_.load() != 0);
	return 0;
}
