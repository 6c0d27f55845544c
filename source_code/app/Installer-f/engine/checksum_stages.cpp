#include "app/Installer-f/engine/checksum_stages.h"

#include <algorithm>
#include <unistd.h>

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/md5_text.h"
#include "core/files/file_ops.h"
#include "core/files/file_uncached.h"
#include "core/files/paths.h"
#include "core/installer/sim_info.h"

namespace {

constexpr err_code_t err_no_such_file = 0x40000002u;  // ENOENT
constexpr err_code_t err_invalid_arg = 0x40000016u;   // EINVAL

// The whole target text, however long (the manifest hashes all of it).
std::vector<char> link_text(const std::string& path)
{
	std::string p = path;
	set_path_to_full(p);
	std::vector<char> buf(512);
	for (;;) {
		ssize_t n = readlink(p.c_str(), buf.data(), buf.size());
		if (n < 0)
			return {};
		if (static_cast<size_t>(n) < buf.size()) {
			buf.resize(static_cast<size_t>(n));
			return buf;
		}
		buf.resize(buf.size() * 2);
	}
}

void check_permissions(ins_checksum_data& out, const std::string& target)
{
	err_code_t denied = 0;
	if (!double_check_path_permissions(target, &denied))
		INS_ERR_SET(out.err, denied, target, ins_stage_disk);
}

}  // namespace

int checksum_calc_thread_count() { return std::clamp(UTL_count_processors(), 1, 8); }

ins_checksum_reader::ins_checksum_reader(UTL_atomic_fifo<ins_checksum_req*>* in,
                                         UTL_atomic_fifo<ins_checksum_data*>* out)
    : UTL_fifo_processor(1, in, out, nullptr, "Checksum Reader")
{
	start();
}

ins_checksum_reader::~ins_checksum_reader() { stop(); }

void ins_checksum_reader::cancel()
{
	cancelled_.store(true);
	end_pauses();
}

float ins_checksum_reader::process(ins_checksum_req* const& req, ins_checksum_data*& out)
{
	out = new ins_checksum_data;
	out->index = req->index;
	out->quick = req->quick;
	const std::string target = dest_dir_path + sim_info.files[req->index].cur().path;
	delete req;

	if (cancelled_.load()) {
		INS_ERR_SET(out->err, err_cancelled, target, ins_stage_disk);
		return 0;
	}
	if (out->quick) {
		out->exists = file_exists(target);
		return 0;
	}
	if (is_sim_link(target)) {
		out->data = link_text(target);
		out->exists = 1;
		check_permissions(*out, target);
		return 0;
	}
	err_code_t code = FILE_disk_to_buffer_uncached(target, out->data);
	if (code == err_no_such_file || code == err_invalid_arg)
		return 0;
	if (code) {
		INS_ERR_SET(out->err, code, target, ins_stage_disk);
		out->data.clear();
	} else {
		out->exists = 1;
	}
	check_permissions(*out, target);
	return 0;
}

ins_checksum_calc::ins_checksum_calc(UTL_atomic_fifo<ins_checksum_data*>* in,
                                     UTL_atomic_fifo<ins_checksum_result*>* out)
    : UTL_fifo_processor(checksum_calc_thread_count(), in, out, nullptr, "Checksum calc")
{
	start();
}

ins_checksum_calc::~ins_checksum_calc() { stop(); }

float ins_checksum_calc::process(ins_checksum_data* const& data, ins_checksum_result*& out)
{
	out = new ins_checksum_result;
	out->index = data->index;
	out->err = data->err;
	if (!data->err.code) {
		file_version_struct& v = sim_info.files[data->index].cur();
		v.sig_have = "NONE";
		if (data->exists)
			v.sig_have = data->quick ? v.sig_want : md5_text(data->data);
		v.local_ok = v.sig_want == v.sig_have;
	}
	delete data;
	return 0;
}
