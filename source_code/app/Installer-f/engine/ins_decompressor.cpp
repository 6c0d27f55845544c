#include "app/Installer-f/engine/ins_decompressor.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <map>
#include <new>
#include <set>
#include <unzip.h>

#include "app/Installer-f/engine/md5_text.h"
#include "core/files/zip/zip_entry_name.h"
#include "core/files/zip/zip_err.h"
#include "core/files/zip/zip_mem_file.h"
#include "core/installer/sim_info.h"
#include "core/thread/UTL_threads.h"
#include "core/ui/log.h"

namespace {

constexpr err_code_t err_corrupt_contents = 0x70004E30u;
constexpr err_code_t err_entry_short = 0x70004E22u;  // an entry gave fewer bytes than it announced
constexpr uLong k_name_buffer = 256;
constexpr size_t k_read_chunk = size_t(1) << 20;

const file_version_struct& file_of(int index) { return sim_info.files[static_cast<size_t>(index)].cur(); }

std::string last_component(const std::string& path)
{
	size_t slash = path.rfind('/');
	return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the manifest lets a file take: its installed size, whole 4 KB blocks of 1024 bytes.
uint64_t size_cap(const file_version_struct& v)
{
	return v.disk_kb > 0 ? static_cast<uint64_t>(std::ceil(v.disk_kb)) * 1024u : 0;
}

void set_date_now(one_decoded_file& f)
{
	time_t now = time(nullptr);
	struct tm t;
	localtime_r(&now, &t);
	f.tm_sec = t.tm_sec;
	f.tm_min = t.tm_min;
	f.tm_hour = t.tm_hour;
	f.tm_mday = t.tm_mday;
	f.tm_mon = t.tm_mon;
	f.tm_year = t.tm_year + 1900;
}

one_decoded_file failed_entry(int index, err_code_t code, const std::string& what)
{
	one_decoded_file f;
	f.index = index;
	INS_ERR_SET(f.err, code, what, ins_stage_decompress);
	return f;
}

// The current entry, exactly its announced size; 0 or the error.
err_code_t read_entry(unzFile zf, uint64_t size, std::vector<char>& data)
{
	int r = unzOpenCurrentFile(zf);
	if (r != UNZ_OK) return zip_err(r);
	err_code_t e = 0;
	try {
		data.resize(static_cast<size_t>(size));
	} catch (const std::bad_alloc&) {
		e = err_from_errno(ENOMEM);
	}
	for (size_t done = 0; !e && done < data.size();) {
		unsigned want = static_cast<unsigned>(std::min(data.size() - done, k_read_chunk));
		int got = unzReadCurrentFile(zf, data.data() + done, want);
		if (got < 0) e = zip_err(got);
		else if (got == 0) e = err_entry_short;
		else done += static_cast<size_t>(got);
	}
	r = unzCloseCurrentFile(zf);  // checks the CRC once every byte was read
	if (!e && r != UNZ_OK) e = zip_err(r);
	if (e) {
		data.clear();
		data.shrink_to_fit();
	}
	return e;
}

void archive_failed(ins_decoded_file* out, const ins_encoded_file* in, err_code_t code)
{
	INS_ERR_SET(out->err, code, in->source, ins_stage_decompress);
	log_raw_zip_err(in->source, in->data);
}

void unpack_archive(ins_encoded_file* in, const std::vector<int>& slots, ins_decoded_file* out)
{
	std::map<std::string, int> wanted;  // entry name -> file index
	for (int index : slots)
		wanted.emplace(last_component(file_of(index).path), index);
	std::set<int> found;

	zip_mem_file mem(in->data.data(), in->data.size());
	unzFile zf = unzOpen2("", &mem);
	if (!zf) {
		archive_failed(out, in, zip_err_open);
	} else {
		int r = unzGoToFirstFile(zf);
		while (r == UNZ_OK) {
			unz_file_info info;
			char name_buf[k_name_buffer + 1] = {};
			r = unzGetCurrentFileInfo(zf, &info, name_buf, k_name_buffer, nullptr, 0, nullptr, 0);
			if (r != UNZ_OK) {
				archive_failed(out, in, zip_err(r));
				break;
			}
			std::string name(name_buf);
			// A cut name, or one with a NUL inside, is nothing we asked for.
			bool whole = info.size_filename < k_name_buffer && name.size() == info.size_filename;
			if (whole && !zip_entry_name_is_safe(name)) {
				skyvane_log_write(log_error, "INS", "%s: zip entry name refused (absolute, empty, . or ..): %s\n",
				                  in->source.c_str(), name.c_str());
				archive_failed(out, in, zip_err_bad_zip);
				break;
			}
			auto it = whole ? wanted.find(name) : wanted.end();
			if (it != wanted.end()) {
				int index = it->second;
				wanted.erase(it);  // a second entry of the same name is ignored
				found.insert(index);
				const file_version_struct& v = file_of(index);
				if (info.uncompressed_size > size_cap(v)) {
					skyvane_log_write(log_error, "INS",
					                  "%s: entry %s announces %llu bytes, more than the %llu its installed size allows\n",
					                  in->source.c_str(), name.c_str(),
					                  static_cast<unsigned long long>(info.uncompressed_size),
					                  static_cast<unsigned long long>(size_cap(v)));
					out->files.push_back(failed_entry(index, err_corrupt_contents, v.path));
				} else {
					one_decoded_file f;
					f.index = index;
					if (err_code_t e = read_entry(zf, info.uncompressed_size, f.data)) {
						found.erase(index);
						archive_failed(out, in, e);
						break;
					}
					f.tm_sec = static_cast<int>(info.tmu_date.tm_sec);
					f.tm_min = static_cast<int>(info.tmu_date.tm_min);
					f.tm_hour = static_cast<int>(info.tmu_date.tm_hour);
					f.tm_mday = static_cast<int>(info.tmu_date.tm_mday);
					f.tm_mon = static_cast<int>(info.tmu_date.tm_mon);
					f.tm_year = static_cast<int>(info.tmu_date.tm_year);
					f.mode = static_cast<uint16_t>(info.external_fa >> 16);
					out->files.push_back(std::move(f));
				}
			}
			r = unzGoToNextFile(zf);
		}
		if (!out->err.code && r != UNZ_OK && r != UNZ_END_OF_LIST_OF_FILE) archive_failed(out, in, zip_err(r));
		unzClose(zf);
	}

	// Left to itself a missing file would pass unnoticed and the run would end as if it were installed.
	for (int index : slots) {
		if (!found.insert(index).second) continue;
		if (out->err.code) {
			one_decoded_file f;
			f.index = index;
			f.err = out->err;
			out->files.push_back(std::move(f));
		} else {
			skyvane_log_write(log_error, "INS", "%s: the archive does not hold %s\n", in->source.c_str(),
			                  file_of(index).path.c_str());
			out->files.push_back(failed_entry(index, err_corrupt_contents, file_of(index).path));
		}
	}
}

void verify(ins_decoded_file* out)
{
	for (one_decoded_file& f : out->files) {
		if (f.err.code) continue;
		const file_version_struct& v = file_of(f.index);
		std::string have = md5_text(f.data);
		if (have != v.sig_want) {
			f.data.clear();
			f.data.shrink_to_fit();
			INS_ERR_SET(f.err, err_corrupt_contents, v.path + "-" + have, ins_stage_decompress);
		}
	}
}

}  // namespace

int decompressor_thread_count() { return std::clamp(UTL_count_processors(), 1, 8); }

void log_raw_zip_err(const std::string& source, const std::vector<char>& data)
{
	skyvane_log_write(log_error, "INS", "%s: Original DL blob size: %zd\n", source.c_str(),
	                  static_cast<ssize_t>(data.size()));
	if (!data.empty()) skyvane_log_write(log_error, "INS", "Raw file checksum: %s\n", md5_text(data).c_str());
}

ins_decoded_file* decompress_download(ins_encoded_file* in)
{
	auto* out = new ins_decoded_file;
	out->err = in->err;
	out->slots = in->slots;
	std::vector<int> slots;  // the slots that name a file of the model
	for (int index : in->slots)
		if (index >= 0 && static_cast<size_t>(index) < sim_info.files.size() && !sim_info.files[index].versions.empty())
			slots.push_back(index);

	if (in->err.code) {
		for (int index : slots) {
			one_decoded_file f;
			f.index = index;
			f.err = in->err;
			out->files.push_back(std::move(f));
		}
	} else if (!slots.empty()) {
		bool stored = std::any_of(slots.begin(), slots.end(),
		                          [](int index) { return file_of(index).compression == ins_comp_stored; });
		if (stored) {
			one_decoded_file f;
			f.index = slots.front();
			f.data = std::move(in->data);
			f.mode = 0644;
			set_date_now(f);
			out->files.push_back(std::move(f));
		} else {
			unpack_archive(in, slots, out);
		}
		verify(out);
	}
	delete in;
	return out;
}

ins_decompressor::ins_decompressor(UTL_atomic_fifo<ins_encoded_file*>* in, UTL_atomic_fifo<ins_decoded_file*>* out)
    : UTL_fifo_processor(decompressor_thread_count(), in, out, nullptr, "Decompress")
{
	start();
}

ins_decompressor::~ins_decompressor() { stop(); }

float ins_decompressor::process(ins_encoded_file* const& in, ins_decoded_file*& out)
{
	out = decompress_download(in);
	return 0;
}
