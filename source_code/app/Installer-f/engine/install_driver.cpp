#include "app/Installer-f/engine/install_driver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <list>

#include "app/Installer-f/engine/UTL_atomic_fifo.h"
#include "app/Installer-f/engine/ins_atomic_write.h"
#include "app/Installer-f/engine/ins_decompressor.h"
#include "app/Installer-f/engine/ins_dvd_reader.h"
#include "app/Installer-f/engine/ins_hd_writer.h"
#include "app/Installer-f/engine/ins_records.h"
#include "app/Installer-f/engine/ins_url_reader.h"
#include "app/Installer-f/engine/install_dest.h"
#include "core/installer/sim_info.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/app_clock.h"
#include "core/ui/log.h"

// Index of this file:
//   state of the run; requests and retries; judging one result; install_files;
//   statistics and rates; tear-down and cancel.

namespace {

constexpr int k_request_capacity = 400;
constexpr int k_encoded_capacity = 400;
constexpr int k_decoded_capacity = 32;
constexpr int k_result_capacity = 32;

// Every record in the pipeline holds a whole download and then its unpacked files. With deep
// queues and large files the readers could pull in most of a release before it is written; the
// manifest's sizes of the downloads under way (fetched plus unpacked) are kept below this, but
// one download is always allowed, however large.
constexpr double k_in_flight_budget_kb = 256.0 * 1000.0;

constexpr err_code_t err_corrupt_download = 0x70004E30u;
constexpr err_code_t err_no_server = 0x70004E2Bu;

// ---- state of the run (main thread only) ----

UTL_atomic_fifo<ins_req_file*>* s_in_fifo = nullptr;
UTL_atomic_fifo<ins_encoded_file*>* s_encode_fifo = nullptr;
UTL_atomic_fifo<ins_decoded_file*>* s_decode_fifo = nullptr;
UTL_atomic_fifo<ins_file_result*>* s_out_fifo = nullptr;
std::vector<ins_url_reader*> s_net_readers;
std::vector<std::string> s_net_names;  // server names, as the servers were when the readers were made
ins_dvd_reader* s_dvd_reader = nullptr;
ins_decompressor* s_decompressor = nullptr;
ins_hd_writer* s_hd_writer = nullptr;
std::list<ins_req_file*> s_retry_list;

int s_tickets_in = 0;
int s_tickets_out = 0;
int s_installed_files = 0;
int s_bad_dl = 0;
int s_bad_net = 0;
float s_down_tot = 0;
float s_down_now = 0;
float s_start_time = 0;
double s_in_flight_kb = 0;  // announced download + installed kilobytes of the requests under way
dl_stats s_last_stats;

err_code_t install_err_num = 0;
std::string install_err_msg;

// A network failure was retried while some reader still worked; once every reader rests the
// caller hears of it (4), even when no further result comes in to show it.
err_code_t s_pending_rest_err = 0;

bool is_net_source() { return sim_info.source != ins_src_dvd; }

bool valid_index(int i)
{
	return i >= 0 && static_cast<size_t>(i) < sim_info.files.size() && !sim_info.files[i].versions.empty();
}

const file_version_struct& cur(int i) { return sim_info.files[static_cast<size_t>(i)].cur(); }

bool wanted(int i) { return valid_index(i) && cur(i).want_install != 0; }

int path_count() { return static_cast<int>(sim_info.files.size()); }

void advance_past_unwanted(int& index)
{
	while (index < path_count() && !wanted(index))
		++index;
}

bool every_reader_rests()
{
	if (s_net_readers.empty())
		return true;
	for (ins_url_reader* r : s_net_readers)
		if (r->sleeping.load() != 1)
			return false;
	return true;
}

void fill_stats(dl_stats& s)
{
	s.files_installed = s_installed_files;
	s.tickets_done = s_tickets_out;
	s.kb_done = s_down_now;
	s.seconds = static_cast<float>(xtim.real_time) - s_start_time;
	double sum_n = 0, sum_n_mean = 0, sum_m2 = 0, sum_n1 = 0;
	for (ins_url_reader* r : s_net_readers) {
		float n = 0, mean = 0, m2 = 0;
		r->meter.get_stats(n, mean, m2);
		sum_n += n;
		sum_n_mean += static_cast<double>(n) * mean;
		sum_m2 += m2;
		sum_n1 += n - 1;
	}
	s.rate_mean = sum_n > 0 ? static_cast<float>(sum_n_mean / sum_n) : 0.0f;
	// A reader with one interval or none has no spread to give; rounding can make m2 a hair below 0.
	s.rate_stddev = sum_n1 > 0 && sum_m2 > 0 ? static_cast<float>(std::sqrt(sum_m2 / sum_n1)) : 0.0f;
	s.error_count = s_bad_net + s_bad_dl;
}

// ---- requests and retries ----

std::string request_url(int index)
{
	const std::string name = sim_info.install_name + "/" + suffix_for_file(cur(index).path, index);
	return is_net_source() ? name : sim_info.dvd_root + name;
}

double slots_cost_kb(const std::vector<int>& slots)
{
	double kb = 0;
	for (int i : slots)
		if (valid_index(i))
			kb += std::max(0.0, cur(i).download_kb) + std::max(0.0, cur(i).disk_kb);
	return kb;
}

// Without waiting; false (and the request untouched) when the queue is full.
bool send_request(ins_req_file* req)
{
	// Once queued the request belongs to a reader, which may delete it at once.
	double cost = slots_cost_kb(req->slots);
	if (!s_in_fifo->write(req, 0))
		return false;
	++s_tickets_in;
	s_in_flight_kb += cost;
	return true;
}

void send_retry_list()
{
	while (!s_retry_list.empty() && send_request(s_retry_list.front()))
		s_retry_list.pop_front();
}

void issue_new_requests(int& next_index, int disk)
{
	// Retries waiting for room go first; new requests would only take the room they need.
	if (!s_retry_list.empty())
		return;
	while (next_index < path_count()) {
		if (!wanted(next_index)) {
			++next_index;
			continue;
		}
		if (cur(next_index).disk != disk)
			break;
		auto* req = new ins_req_file;
		int after = get_slot_set(next_index, req->slots);
		if (s_tickets_in > s_tickets_out && s_in_flight_kb + slots_cost_kb(req->slots) > k_in_flight_budget_kb) {
			delete req;
			break;
		}
		req->url = request_url(next_index);
		if (!send_request(req)) {
			delete req;
			break;
		}
		next_index = after;
	}
}

void retry(const ins_file_result& r)
{
	auto* req = new ins_req_file;
	req->slots = r.slots;
	if (req->slots.empty() || !valid_index(*std::min_element(req->slots.begin(), req->slots.end()))) {
		delete req;  // nothing a request could name; the record came from nowhere we sent
		return;
	}
	req->url = request_url(*std::min_element(req->slots.begin(), req->slots.end()));
	if (!send_request(req))
		s_retry_list.push_back(req);
}

// ---- judging one result ----

bool is_corrupt_code(err_code_t c) { return c == err_corrupt_download || err_domain(c) == err_dom_zip; }

bool is_corrupt(const ins_file_result& r)
{
	if (r.err.code)
		return is_corrupt_code(r.err.code);
	for (const one_file_result& f : r.results)
		if (is_corrupt_code(f.err.code))
			return true;
	return false;
}

const ins_err* first_error(const ins_file_result& r)
{
	if (r.err.code)
		return &r.err;
	for (const one_file_result& f : r.results)
		if (f.err.code)
			return &f.err;
	return nullptr;
}

void log_errors(const ins_file_result& r)
{
	log_err(r.err);
	for (const one_file_result& f : r.results)
		log_err(f.err);
}

void set_error(err_code_t code)
{
	install_err_num = code;
	install_err_msg = error_str(code);
}

// The files of a result that were written: counted as installed.
void count_written(const ins_file_result& r, int& done_index)
{
	for (const one_file_result& f : r.results) {
		if (f.err.code || !wanted(f.index))
			continue;
		s_down_now += static_cast<float>(cur(f.index).download_kb);
		done_index = std::max(done_index, f.index + 1);
		++s_installed_files;
	}
}

enum class verdict { go_on, failed, resting };

// Step 4 of a call, for one result; the caller deletes it.
verdict judge(ins_file_result& r, int& done_index)
{
	const int n = s_tickets_out;
	++s_tickets_out;
	s_in_flight_kb = std::max(0.0, s_in_flight_kb - slots_cost_kb(r.slots));

	bool halting = false;
	bool network = false;
	if (UTL_http_is_error_bad_net(r.err.code)) {
		log_err(r.err);
		++s_bad_net;
		network = true;
	} else if (is_corrupt(r)) {
		if (s_bad_dl > 4 && n < 50 * s_bad_dl) {
			halting = true;
		} else {
			log_errors(r);
			skyvane_log_write(log_error, "INS", "We will retry the file to see if we can get a clean download.\n");
			++s_bad_dl;
		}
	}

	if (!halting && (network || is_corrupt(r))) {
		retry(r);
		const ins_err* e = first_error(r);
		const err_code_t code = e ? e->code : err_corrupt_download;
		if (every_reader_rests()) {
			s_pending_rest_err = 0;
			set_error(code);
			return verdict::resting;
		}
		if (network)
			s_pending_rest_err = code;
		return verdict::go_on;
	}

	log_errors(r);
	// Files of the download that did get written are installed, whatever happened to the others.
	count_written(r, done_index);
	if (const ins_err* e = first_error(r)) {
		if (halting)
			skyvane_log_write(log_error, "INS", "Halting on our %d bad DL of %d tickets.\n", s_bad_dl, s_tickets_out);
		set_error(e->code);
		return verdict::failed;
	}
	s_pending_rest_err = 0;
	return verdict::go_on;
}

// ---- building the pipeline ----

void build_pipeline()
{
	printf("Start time: %f\n", xtim.real_time);
	fflush(stdout);
	// What a killed run left half written goes before anything new is written.
	if (!dest_dir_path.empty()) {
		int n = clean_stray_temp_files(dest_dir_path);
		if (n > 0)
			skyvane_log_write(log_info, "INS", "Removed %d temporary files left by an earlier run in %s\n", n,
			                  dest_dir_path.c_str());
	}
	s_in_fifo = new UTL_atomic_fifo<ins_req_file*>(k_request_capacity);
	s_encode_fifo = new UTL_atomic_fifo<ins_encoded_file*>(k_encoded_capacity);
	s_decode_fifo = new UTL_atomic_fifo<ins_decoded_file*>(k_decoded_capacity);
	s_out_fifo = new UTL_atomic_fifo<ins_file_result*>(k_result_capacity);
	if (is_net_source()) {
		for (const UTL_server_info& s : server_list.servers) {
			s_net_readers.push_back(new ins_url_reader(s_in_fifo, s_encode_fifo, "http://" + s.host + s.path));
			s_net_names.push_back(s.name);
		}
	} else {
		s_dvd_reader = new ins_dvd_reader(s_in_fifo, s_encode_fifo);
	}
	s_decompressor = new ins_decompressor(s_encode_fifo, s_decode_fifo);
	s_hd_writer = new ins_hd_writer(s_decode_fifo, s_out_fifo);

	s_tickets_in = s_tickets_out = 0;
	s_installed_files = 0;
	s_bad_dl = s_bad_net = 0;
	s_down_now = 0;
	s_in_flight_kb = 0;
	s_pending_rest_err = 0;
	double total = 0;
	for (int i = 0; i < path_count(); ++i)
		if (wanted(i))
			total += cur(i).download_kb;
	s_down_tot = static_cast<float>(total);
	s_start_time = static_cast<float>(xtim.real_time);
}

// Reads every result still owed, waiting; their errors are logged, nothing is counted.
void drain_results()
{
	while (s_tickets_out < s_tickets_in) {
		ins_file_result* r = nullptr;
		s_out_fifo->read(r, -1);
		++s_tickets_out;
		log_errors(*r);
		delete r;
	}
}

void cancel_readers()
{
	for (ins_url_reader* r : s_net_readers)
		r->cancel();
	if (s_dvd_reader)
		s_dvd_reader->cancel();
}

void delete_retry_list()
{
	for (ins_req_file* r : s_retry_list)
		delete r;
	s_retry_list.clear();
}

}  // namespace

// ---- install_files ----

std::string suffix_for_file(const std::string& path, int index)
{
	file_version_struct v;
	v.path = path;
	v.compression = valid_index(index) ? cur(index).compression : ins_comp_stored;
	return ins_download_name(v);
}

int get_slot_set(int index, std::vector<int>& slots)
{
	slots.clear();
	if (!valid_index(index))
		return index + 1;
	const file_version_struct& first = cur(index);
	slots.push_back(index);
	if (first.compression != ins_comp_folder_zip)
		return index + 1;
	const std::string folder = first.path.substr(0, first.path.rfind('/') + 1);
	int i = index + 1;
	for (; i < path_count(); ++i) {
		if (!wanted(i))
			continue;
		const file_version_struct& v = cur(i);
		// One archive lies on one disc: a file of the folder on another disc is a download of its own.
		if (v.compression != ins_comp_folder_zip || v.disk != first.disk ||
		    v.path.compare(0, folder.size(), folder) != 0 || v.path.find('/', folder.size()) != std::string::npos)
			break;
		slots.push_back(i);
	}
	return i;
}

int install_files(int& next_index, int disk, int& done_index)
{
	if (!s_decompressor) {
		if (is_net_source() && server_list.servers.empty()) {
			skyvane_log_write(log_error, "INS", "No download server to install from.\n");
			set_error(err_no_server);
			return install_files_failed;
		}
		build_pipeline();
	}

	send_retry_list();
	advance_past_unwanted(next_index);
	advance_past_unwanted(done_index);
	issue_new_requests(next_index, disk);

	for (ins_file_result* r = nullptr; s_out_fifo->read(r, 0); r = nullptr) {
		verdict v = judge(*r, done_index);
		delete r;
		if (v == verdict::failed)
			return install_files_failed;
		if (v == verdict::resting)
			return install_files_retrying;
	}
	advance_past_unwanted(done_index);

	const bool all_back = s_tickets_in == s_tickets_out && s_retry_list.empty();
	if (next_index >= path_count() && all_back) {
		printf("end time: %f\n", xtim.real_time);
		fflush(stdout);
		nuke_any_pipeline();
		return install_files_done;
	}
	if (all_back && next_index < path_count() && wanted(next_index) && cur(next_index).disk != disk)
		return install_files_next_disc;
	if (s_pending_rest_err && every_reader_rests()) {
		set_error(s_pending_rest_err);
		s_pending_rest_err = 0;
		return install_files_retrying;
	}
	return install_files_going;
}

err_code_t install_files_get_error(std::string& text, bool clear)
{
	err_code_t e = install_err_num;
	text = install_err_msg;
	if (clear) {
		install_err_num = 0;
		install_err_msg.clear();
	}
	return e;
}

bool install_files_running() { return s_decompressor != nullptr; }

// ---- statistics and rates ----

void install_get_download_stats(dl_stats& stats)
{
	if (s_decompressor)
		fill_stats(stats);
	else
		stats = s_last_stats;
}

void install_get_download_rates(std::vector<std::pair<std::string, float>>& rates, float& kb_done, float& kb_total)
{
	// Filled afresh: a screen asks every frame with the same list.
	rates.clear();
	for (size_t i = 0; i < s_net_readers.size(); ++i) {
		ins_url_reader* r = s_net_readers[i];
		rates.emplace_back(s_net_names[i], r->sleeping.load() == 1 ? -1.0f : r->get_dl_rate_now());
	}
	kb_done = s_down_now;
	kb_total = s_down_tot;
}

// ---- tear-down and cancel ----

void nuke_any_pipeline()
{
	if (s_decompressor) {
		// Stopping stages while records are still on the way would wait for ever on a full queue.
		if (s_tickets_out < s_tickets_in) {
			cancel_readers();
			drain_results();
		}
		delete_retry_list();
		fill_stats(s_last_stats);
	}
	delete s_dvd_reader;
	s_dvd_reader = nullptr;
	// Every reader takes from the one request queue: all markers first, or one reader may eat
	// another's and that one's stop would wait for ever.
	for (ins_url_reader* r : s_net_readers)
		if (!r->stop_sent)
			r->send_end_markers();
	for (auto it = s_net_readers.rbegin(); it != s_net_readers.rend(); ++it)
		delete *it;
	s_net_readers.clear();
	s_net_names.clear();
	delete s_decompressor;
	s_decompressor = nullptr;
	delete s_hd_writer;
	s_hd_writer = nullptr;
	delete s_in_fifo;
	delete s_encode_fifo;
	delete s_decode_fifo;
	delete s_out_fifo;
	s_in_fifo = nullptr;
	s_encode_fifo = nullptr;
	s_decode_fifo = nullptr;
	s_out_fifo = nullptr;
}

void install_files_kill()
{
	if (!s_decompressor)
		return;
	cancel_readers();
	drain_results();
	delete_retry_list();
	nuke_any_pipeline();
}
