// The three stages on their own threads: the disc reader reading and cancelled, and the
// decompressor and writer joined by queues as the install driver joins them.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "app/Installer-f/engine/ins_decompressor.h"
#include "app/Installer-f/engine/ins_dvd_reader.h"
#include "app/Installer-f/engine/ins_hd_writer.h"
#include "decomp_fixture.h"

namespace {

class decomp_stages : public decomp_fixture {
protected:
	static ins_req_file* request(std::vector<int> slots, const std::string& url)
	{
		auto* r = new ins_req_file;
		r->slots = std::move(slots);
		r->url = url;
		return r;
	}
	template <class T>
	static std::unique_ptr<T> take(UTL_atomic_fifo<T*>& q)
	{
		T* item = nullptr;
		EXPECT_TRUE(q.read(item, -1));
		return std::unique_ptr<T>(item);
	}
};

TEST_F(decomp_stages, disc_reader_reads_whole_files_and_reports_missing_ones)
{
	scratch_dir disc;
	disc.mkdirs("SKYVANE11/inst");
	disc.write("SKYVANE11/inst/a file.zip", std::string("zip\0bytes", 9));
	UTL_atomic_fifo<ins_req_file*> in(8);
	UTL_atomic_fifo<ins_encoded_file*> out(8);
	ins_dvd_reader reader(&in, &out);
	EXPECT_EQ(reader.name, "DVD Read");
	EXPECT_EQ(reader.get_thread_count(), 1);

	in.write(request({3, 4}, disc / "SKYVANE11/inst/a file.zip"), -1);
	in.write(request({5}, disc / "SKYVANE11/inst/gone.zip"), -1);
	auto got = take(out);
	EXPECT_EQ(got->err.code, 0u);
	EXPECT_EQ(text(got->data), std::string("zip\0bytes", 9));
	EXPECT_EQ(got->source, disc / "SKYVANE11/inst/a file.zip");
	EXPECT_EQ(got->slots, (std::vector<int>{3, 4}));

	auto missing = take(out);
	EXPECT_EQ(missing->err.code, 0x40000002u);
	EXPECT_EQ(missing->err.what, disc / "SKYVANE11/inst/gone.zip");
	EXPECT_EQ(missing->err.stage, ins_stage_dvd);
	EXPECT_TRUE(missing->data.empty());
	EXPECT_TRUE(missing->source.empty());
	EXPECT_EQ(missing->slots, std::vector<int>{5});
}

TEST_F(decomp_stages, cancelled_disc_reader_answers_every_request_without_reading)
{
	dest.write("there.zip", "bytes");
	UTL_atomic_fifo<ins_req_file*> in(8);
	UTL_atomic_fifo<ins_encoded_file*> out(8);
	ins_dvd_reader reader(&in, &out);
	reader.cancel();
	for (int k = 0; k < 3; ++k) in.write(request({k}, dest / "there.zip"), -1);
	for (int k = 0; k < 3; ++k) {
		auto got = take(out);
		EXPECT_EQ(got->err.code, err_cancelled);
		EXPECT_EQ(got->err.what, dest / "there.zip");
		EXPECT_EQ(got->err.stage, ins_stage_dvd);
		EXPECT_TRUE(got->data.empty());
		EXPECT_EQ(got->slots, std::vector<int>{k});
	}
}

TEST_F(decomp_stages, decompressor_and_writer_install_many_downloads_together)
{
	const int count = 40;  // more than the decoded and result queues hold
	dest.mkdirs("Resources/folder");
	std::map<int, std::string> want;  // file index -> content
	std::vector<ins_encoded_file*> downloads;
	for (int k = 0; k < count; ++k) {
		std::string content = "file number " + std::to_string(k) + std::string(k * 100, 'z');
		std::string name = "f" + std::to_string(k) + ".txt";
		int i = add("Resources/" + name, content, k % 3 == 0 ? ins_comp_stored : ins_comp_zip);
		want[i] = content;
		downloads.push_back(encoded({i}, k % 3 == 0 ? bytes(content) : make_zip({{name, content}})));
	}
	int a = add("Resources/folder/a.txt", "A", ins_comp_folder_zip);
	int b = add("Resources/folder/b.txt", "B", ins_comp_folder_zip);
	want[a] = "A";
	want[b] = "B";
	downloads.push_back(encoded({a, b}, make_zip({{"a.txt", "A"}, {"b.txt", "B"}})));

	UTL_atomic_fifo<ins_encoded_file*> enc(400);
	UTL_atomic_fifo<ins_decoded_file*> dec(32);
	UTL_atomic_fifo<ins_file_result*> res(32);
	{
		ins_decompressor unzip(&enc, &dec);
		ins_hd_writer writer(&dec, &res);
		EXPECT_EQ(unzip.get_thread_count(), decompressor_thread_count());
		EXPECT_GE(decompressor_thread_count(), 1);
		EXPECT_LE(decompressor_thread_count(), 8);
		for (ins_encoded_file* d : downloads) enc.write(d, -1);
		size_t files = 0;
		for (size_t n = 0; n < downloads.size(); ++n) {
			auto r = take(res);
			EXPECT_EQ(r->err.code, 0u);
			for (const one_file_result& f : r->results) {
				EXPECT_EQ(f.err.code, 0u) << f.err.what;
				++files;
			}
		}
		EXPECT_EQ(files, want.size());
	}
	for (const auto& [i, content] : want) {
		EXPECT_EQ(dest.read(v(i).path), content) << v(i).path;
		EXPECT_EQ(v(i).local_ok, 1);
	}
}

}  // namespace
