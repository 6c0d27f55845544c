#include "app/Installer-f/engine/ins_hd_writer.h"

#include <cerrno>
#include <ctime>

#include "app/Installer-f/engine/install_dest.h"
#include "core/installer/sim_info.h"

namespace {

bool is_link_mode(uint16_t mode) { return (mode & 0xA000) == 0xA000; }

void write_one(one_decoded_file& f, ins_err& err)
{
	if (f.index < 0 || static_cast<size_t>(f.index) >= sim_info.files.size() ||
	    sim_info.files[f.index].versions.empty()) {
		INS_ERR_SET(err, err_from_errno(EINVAL), dest_dir_path, ins_stage_disk);
		return;
	}
	file_version_struct& v = sim_info.files[f.index].cur();
	time_t when = decoded_file_time(f);
	err_code_t e = is_link_mode(f.mode)
	                   ? ins_replace_with_link(dest_dir_path, v.path, std::string(f.data.begin(), f.data.end()), when)
	                   : ins_replace_file(dest_dir_path, v.path, f.data.data(), f.data.size(),
	                                      f.mode ? (f.mode & 0x1FF) : -1, when);
	f.data.clear();
	f.data.shrink_to_fit();
	if (e) {
		INS_ERR_SET(err, e, dest_dir_path + v.path, ins_stage_disk);
		return;
	}
	v.sig_have = v.sig_want;
	v.local_ok = 1;
}

}  // namespace

time_t decoded_file_time(const one_decoded_file& f)
{
	time_t now = time(nullptr);
	struct tm t;
	localtime_r(&now, &t);  // the fields the entry does not give
	t.tm_sec = f.tm_sec;
	t.tm_min = f.tm_min;
	t.tm_hour = f.tm_hour;
	t.tm_mday = f.tm_mday;
	t.tm_mon = f.tm_mon;
	t.tm_year = f.tm_year - 1900;
	t.tm_isdst = -1;
	time_t when = mktime(&t);
	return when == static_cast<time_t>(-1) ? now : when;
}

ins_file_result* write_decoded_files(ins_decoded_file* in)
{
	auto* out = new ins_file_result;
	out->results.reserve(in->files.size());
	out->err = in->err;
	out->slots = in->slots;
	for (one_decoded_file& f : in->files) {
		one_file_result r;
		r.index = f.index;
		r.err = f.err;
		if (!f.err.code) write_one(f, r.err);
		out->results.push_back(std::move(r));
	}
	delete in;
	return out;
}

ins_hd_writer::ins_hd_writer(UTL_atomic_fifo<ins_decoded_file*>* in, UTL_atomic_fifo<ins_file_result*>* out)
    : UTL_fifo_processor(1, in, out, nullptr, "HDD Writer")
{
	start();
}

ins_hd_writer::~ins_hd_writer() { stop(); }

float ins_hd_writer::process(ins_decoded_file* const& in, ins_file_result*& out)
{
	out = write_decoded_files(in);
	return 0;
}
