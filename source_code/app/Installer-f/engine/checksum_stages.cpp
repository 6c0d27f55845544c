#include "app/Installer-f/engine/checksum_stages.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
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
ins_byte_vector link_text(const std::string& path)
{
	std::string p = path;
	set_path_to_full(p);
	ins_byte_vector buf(512);
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

// Buffers the hashing threads hand back for the reader to fill again. A fresh buffer per file
// costs a page fault for every page, more than reading the file. At most a few are kept.
class buffer_pool {
public:
	buffer_pool() { UTL_critical_section_create(&lock_); }

	ins_byte_vector take()
	{
		ins_byte_vector b;
		UTL_cs_guard g(&lock_);
		// The largest one: the file it is for is read without growing it more often.
		auto it = std::max_element(free_.begin(), free_.end(),
		                           [](const auto& x, const auto& y) { return x.capacity() < y.capacity(); });
		if (it != free_.end()) {
			b = std::move(*it);
			free_.erase(it);
			retained_ -= b.capacity();
		}
		return b;
	}

	void give(ins_byte_vector&& b)
	{
		ins_byte_vector dropped;
		{
			UTL_cs_guard g(&lock_);
			if (b.capacity() >= min_kept && free_.size() < max_buffers && retained_ + b.capacity() <= max_bytes) {
				retained_ += b.capacity();
				free_.push_back(std::move(b));
				return;
			}
			dropped = std::move(b);
		}
		// dropped is freed here, outside the lock.
	}

	void clear()
	{
		std::vector<ins_byte_vector> all;
		{
			UTL_cs_guard g(&lock_);
			all.swap(free_);
			retained_ = 0;
		}
	}

private:
	static constexpr size_t min_kept = size_t(1) << 20;  // smaller ones come cheaply from malloc
	static constexpr size_t max_buffers = 8;
	static constexpr size_t max_bytes = size_t(256) << 20;
	UTL_critical_section lock_;
	std::vector<ins_byte_vector> free_;
	size_t retained_ = 0;
};

buffer_pool s_buffers;

// Bytes read but not hashed yet. The reader waits while they pass the budget: the data queue
// alone would let 128 whole files wait in memory, however large they are. It also keeps the
// buffers going round through the pool instead of a fresh one for every file.
class read_budget {
public:
	void wait_below(size_t limit)
	{
		std::unique_lock<std::mutex> l(m_);
		cv_.wait(l, [&] { return in_flight_ < limit; });
	}
	void add(size_t n)
	{
		std::lock_guard<std::mutex> l(m_);
		in_flight_ += n;
	}
	void release(size_t n)
	{
		{
			std::lock_guard<std::mutex> l(m_);
			in_flight_ -= std::min(n, in_flight_);
		}
		cv_.notify_all();
	}

private:
	std::mutex m_;
	std::condition_variable cv_;
	size_t in_flight_ = 0;
};

constexpr size_t read_ahead_bytes = size_t(128) << 20;  // one file more may come on top
read_budget s_unhashed;

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

ins_checksum_reader::~ins_checksum_reader()
{
	stop();
	s_buffers.clear();
}

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
		s_unhashed.add(out->data.size());
		out->exists = 1;
		check_permissions(*out, target);
		return 0;
	}
	s_unhashed.wait_below(read_ahead_bytes);
	if (cancelled_.load()) {
		INS_ERR_SET(out->err, err_cancelled, target, ins_stage_disk);
		return 0;
	}
	out->data = s_buffers.take();
	err_code_t code = file_uncached_read_reused(target, out->data);
	s_unhashed.add(out->data.size());
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

ins_checksum_calc::~ins_checksum_calc()
{
	stop();
	s_buffers.clear();
}

float ins_checksum_calc::process(ins_checksum_data* const& data, ins_checksum_result*& out)
{
	out = new ins_checksum_result;
	out->index = data->index;
	out->err = data->err;
	if (!data->err.code) {
		file_version_struct& v = sim_info.files[data->index].cur();
		v.sig_have = "NONE";
		if (data->exists)
			v.sig_have = data->quick ? v.sig_want : md5_text(data->data.data(), data->data.size());
		v.local_ok = v.sig_want == v.sig_have;
	}
	s_unhashed.release(data->data.size());
	s_buffers.give(std::move(data->data));
	delete data;
	return 0;
}
