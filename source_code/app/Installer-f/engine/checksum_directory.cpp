#include "app/Installer-f/engine/checksum_directory.h"

#include "app/Installer-f/engine/UTL_atomic_fifo.h"
#include "app/Installer-f/engine/checksum_stages.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/ins_records.h"
#include "core/files/file_ops.h"
#include "core/installer/sim_info.h"

namespace {

constexpr int scan_queue_capacity = 128;

ins_checksum_reader* s_checksum_reader = nullptr;
ins_checksum_calc* s_checksum_calc = nullptr;
UTL_atomic_fifo<ins_checksum_req*>* s_checksum_req_fifo = nullptr;
UTL_atomic_fifo<ins_checksum_data*>* s_checksum_data_fifo = nullptr;
UTL_atomic_fifo<ins_checksum_result*>* s_checksum_result_fifo = nullptr;
int s_checksum_in = 0;
int s_checksum_out = 0;
int checksum_err_num = 0;
std::string checksum_err_msg;

void tear_down()
{
	delete s_checksum_reader;
	delete s_checksum_calc;
	delete s_checksum_req_fifo;
	delete s_checksum_data_fifo;
	delete s_checksum_result_fifo;
	s_checksum_reader = nullptr;
	s_checksum_calc = nullptr;
	s_checksum_req_fifo = nullptr;
	s_checksum_data_fifo = nullptr;
	s_checksum_result_fifo = nullptr;
}

float fraction(int next_index, size_t count) { return count ? static_cast<float>(next_index) / count : 0.0f; }

}  // namespace

int checksum_directory(int& next_index, int quick, float& progress)
{
	const int count = static_cast<int>(sim_info.files.size());
	// Judged only before a scan starts: once stages run, their records are still on the way
	// and the model fields they write must not be touched from here.
	if (!s_checksum_reader && (dest_dir_path.empty() || !dir_exists(dest_dir_path))) {
		for (file_history_struct& f : sim_info.files) {
			file_version_struct& v = f.cur();
			v.sig_have = "NONE";
			v.local_ok = v.sig_want == "NONE";
		}
		progress = count ? 1.0f : 0.0f;
		return 1;
	}

	if (!s_checksum_reader) {
		s_checksum_req_fifo = new UTL_atomic_fifo<ins_checksum_req*>(scan_queue_capacity);
		s_checksum_data_fifo = new UTL_atomic_fifo<ins_checksum_data*>(scan_queue_capacity);
		s_checksum_result_fifo = new UTL_atomic_fifo<ins_checksum_result*>(scan_queue_capacity);
		s_checksum_reader = new ins_checksum_reader(s_checksum_req_fifo, s_checksum_data_fifo);
		s_checksum_calc = new ins_checksum_calc(s_checksum_data_fifo, s_checksum_result_fifo);
		s_checksum_in = s_checksum_out = 0;
		checksum_err_num = 0;
		checksum_err_msg.clear();
	}

	if (next_index < 0)
		next_index = 0;
	for (; next_index < count; ++next_index) {
		if (!file_passes_filters(sim_info.files[next_index].cur()))
			continue;
		ins_checksum_req* req = new ins_checksum_req;
		req->index = next_index;
		req->quick = quick;
		if (!s_checksum_req_fifo->write(req, 0)) {
			delete req;  // full: this path is tried again next call
			break;
		}
		++s_checksum_in;
	}

	progress = fraction(next_index, sim_info.files.size());

	ins_checksum_result* res = nullptr;
	while (s_checksum_result_fifo->read(res, 0)) {
		++s_checksum_out;
		log_err(res->err);
		if (res->err.code) {
			checksum_err_num = static_cast<int>(res->err.code);
			checksum_err_msg = res->err.what;
			delete res;
			return 2;
		}
		delete res;
	}

	if (next_index >= count && s_checksum_in == s_checksum_out) {
		tear_down();
		return 1;
	}
	return 0;
}

int checksum_get_error(std::string& path)
{
	path = checksum_err_msg;
	return checksum_err_num;
}

void checksum_directory_kill()
{
	if (!s_checksum_reader)
		return;
	s_checksum_reader->cancel();
	while (s_checksum_out < s_checksum_in) {
		ins_checksum_result* res = nullptr;
		s_checksum_result_fifo->read(res, -1);
		++s_checksum_out;
		log_err(res->err);
		delete res;
	}
	tear_down();
}

bool checksum_directory_running() { return s_checksum_reader != nullptr; }
