// The decompressor on single downloads: stored files, per-file and folder zips, verification,
// failed fetches, damaged and hostile archives.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "app/Installer-f/engine/ins_decompressor.h"
#include <unzip.h>

#include "core/files/zip/zip_err.h"
#include "decomp_fixture.h"

namespace {

using decoded_ptr = std::unique_ptr<ins_decoded_file>;

class decomp_unpack : public decomp_fixture {
protected:
	decoded_ptr run(std::vector<int> slots, std::vector<char> data)
	{
		return decoded_ptr(decompress_download(encoded(std::move(slots), std::move(data))));
	}
};

uint32_t get32(const std::vector<char>& z, size_t at)
{
	uint32_t v = 0;
	for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(z[at + i]);
	return v;
}
void put32(std::vector<char>& z, size_t at, uint32_t v)
{
	for (int i = 0; i < 4; ++i) z[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
size_t find_sig(const std::vector<char>& z, uint32_t sig)
{
	for (size_t i = 0; i + 4 <= z.size(); ++i)
		if (get32(z, i) == sig) return i;
	ADD_FAILURE() << "signature not found";
	return 0;
}
// A one-entry archive whose announced uncompressed size (local and central headers) is changed.
void set_announced_size(std::vector<char>& z, uint32_t size)
{
	put32(z, find_sig(z, 0x04034b50) + 22, size);
	put32(z, find_sig(z, 0x02014b50) + 24, size);
}
// Text that does not compress to nothing, so its deflate stream has room to be damaged.
std::string varied_text(size_t n)
{
	std::string s;
	uint32_t x = 12345;
	while (s.size() < n) {
		x = x * 1103515245u + 12345u;
		s += static_cast<char>('a' + (x >> 16) % 26);
	}
	return s;
}

TEST_F(decomp_unpack, stored_file_is_moved_with_mode_0644_and_the_current_date)
{
	int i = add("Resources/plain.txt", "stored bytes", ins_comp_stored);
	ins_encoded_file* in = encoded({i}, bytes("stored bytes"));
	const char* buffer = in->data.data();
	time_t before = time(nullptr);
	decoded_ptr out(decompress_download(in));
	time_t after = time(nullptr);

	ASSERT_EQ(out->files.size(), 1u);
	const one_decoded_file& f = out->files[0];
	EXPECT_EQ(f.err.code, 0u);
	EXPECT_EQ(f.index, i);
	EXPECT_EQ(f.data.data(), buffer) << "a stored download is moved, not copied";
	EXPECT_EQ(text(f.data), "stored bytes");
	EXPECT_EQ(f.mode, 0644);
	struct tm t = {};
	t.tm_sec = f.tm_sec, t.tm_min = f.tm_min, t.tm_hour = f.tm_hour;
	t.tm_mday = f.tm_mday, t.tm_mon = f.tm_mon, t.tm_year = f.tm_year - 1900, t.tm_isdst = -1;
	time_t when = mktime(&t);
	EXPECT_GE(when, before - 1);
	EXPECT_LE(when, after + 1);
}

TEST_F(decomp_unpack, per_file_zip_gives_the_entry_mode_and_date)
{
	int i = add("Aircraft/plane.acf", "engine data");
	zip_test_entry e{"plane.acf", "engine data", zip_unix_attr(S_IFREG | 0751), {8, 7, 6, 5, 2, 2019}};
	decoded_ptr out = run({i}, make_zip({e}));

	EXPECT_EQ(out->err.code, 0u);
	ASSERT_EQ(out->files.size(), 1u);
	const one_decoded_file& f = out->files[0];
	EXPECT_EQ(f.err.code, 0u);
	EXPECT_EQ(text(f.data), "engine data");
	EXPECT_EQ(f.mode, S_IFREG | 0751);
	EXPECT_EQ((std::vector<int>{f.tm_sec, f.tm_min, f.tm_hour, f.tm_mday, f.tm_mon, f.tm_year}),
	          (std::vector<int>{8, 7, 6, 5, 2, 2019}));
}

TEST_F(decomp_unpack, folder_archive_takes_only_the_files_it_serves)
{
	int a = add("Scenery/x/a.txt", "first");
	int b = add("Scenery/x/b.txt", "second");
	decoded_ptr out = run({a, b}, make_zip({{"__MACOSX/._a.txt", "junk"},
	                                        {"b.txt", "second"},
	                                        {"c.txt", "not asked for"},
	                                        {"sub/a.txt", "wrong folder"},
	                                        {"a.txt", "first"},
	                                        {"a.txt", "a second copy is ignored"}}));

	EXPECT_EQ(out->err.code, 0u);
	EXPECT_EQ(out->slots, (std::vector<int>{a, b}));
	ASSERT_EQ(out->files.size(), 2u);
	EXPECT_EQ(out->files[0].index, b);
	EXPECT_EQ(text(out->files[0].data), "second");
	EXPECT_EQ(out->files[1].index, a);
	EXPECT_EQ(text(out->files[1].data), "first");
	for (const auto& f : out->files) EXPECT_EQ(f.err.code, 0u);
}

TEST_F(decomp_unpack, content_that_does_not_match_is_refused_with_path_and_md5)
{
	struct row { int compression; bool zipped; };
	for (row r : {row{ins_comp_stored, false}, row{ins_comp_zip, true}, row{ins_comp_folder_zip, true}}) {
		SCOPED_TRACE(r.compression);
		sim_info.clear();
		int i = add("Resources/f.dat", "what the manifest says", r.compression);
		std::vector<char> data = r.zipped ? make_zip({{"f.dat", "what arrived"}}) : bytes("what arrived");
		decoded_ptr out = run({i}, data);

		EXPECT_EQ(out->err.code, 0u);
		ASSERT_EQ(out->files.size(), 1u);
		EXPECT_EQ(out->files[0].err.code, corrupt_contents);
		EXPECT_EQ(out->files[0].err.what, "Resources/f.dat-" + md5_text(std::string("what arrived")));
		EXPECT_EQ(out->files[0].err.stage, ins_stage_decompress);
		EXPECT_TRUE(out->files[0].data.empty());
	}
}

TEST_F(decomp_unpack, failed_fetch_gives_every_slot_its_error)
{
	int a = add("x/a.txt", "a", ins_comp_folder_zip);
	int b = add("x/b.txt", "b", ins_comp_folder_zip);
	ins_encoded_file* in = encoded({a, b}, {});
	INS_ERR_SET(in->err, 0x20000194u, "http://127.0.0.1/x.zip", ins_stage_download);
	decoded_ptr out(decompress_download(in));

	EXPECT_EQ(out->err.code, 0x20000194u);
	ASSERT_EQ(out->files.size(), 2u);
	for (size_t k = 0; k < 2; ++k) {
		EXPECT_EQ(out->files[k].index, k == 0 ? a : b);
		EXPECT_EQ(out->files[k].err.code, 0x20000194u);
		EXPECT_EQ(out->files[k].err.stage, ins_stage_download);
		EXPECT_TRUE(out->files[k].data.empty());
	}
}

TEST_F(decomp_unpack, file_missing_from_its_archive_is_reported_not_skipped)
{
	int a = add("x/a.txt", "a", ins_comp_folder_zip);
	int b = add("x/b.txt", "b", ins_comp_folder_zip);
	decoded_ptr out = run({a, b}, make_zip({{"a.txt", "a"}}));

	EXPECT_EQ(out->err.code, 0u);
	ASSERT_EQ(out->files.size(), 2u);
	EXPECT_EQ(out->files[0].err.code, 0u);
	EXPECT_EQ(out->files[1].index, b);
	EXPECT_EQ(out->files[1].err.code, corrupt_contents);
	EXPECT_EQ(out->files[1].err.what, "x/b.txt");
	EXPECT_NE(log.text().find("does not hold x/b.txt"), std::string::npos);
}

TEST_F(decomp_unpack, unreadable_archive_is_an_archive_error)
{
	std::vector<char> whole = make_zip({{"f.dat", "content"}});
	struct row { const char* name; std::vector<char> data; };
	const std::vector<row> rows = {
	    {"empty", {}},
	    {"not a zip", bytes("<html>404 page from a proxy</html>")},
	    {"truncated", std::vector<char>(whole.begin(), whole.begin() + whole.size() / 2)},
	    {"7-Zip", bytes(std::string("7z\xBC\xAF\x27\x1C", 6) + "rest of an archive")},
	};
	for (const row& r : rows) {
		SCOPED_TRACE(r.name);
		sim_info.clear();
		int i = add("f.dat", "content", ins_comp_7z);
		log_capture lines;
		decoded_ptr out = run({i}, r.data);

		EXPECT_EQ(out->err.code, zip_err_open);
		EXPECT_EQ(out->err.what, "http://127.0.0.1/dl.zip");
		EXPECT_EQ(out->err.stage, ins_stage_decompress);
		ASSERT_EQ(out->files.size(), 1u);
		EXPECT_EQ(out->files[0].err.code, zip_err_open);
		EXPECT_TRUE(out->files[0].data.empty());
		std::string logged = lines.text();
		EXPECT_NE(logged.find("http://127.0.0.1/dl.zip: Original DL blob size: " + std::to_string(r.data.size())),
		          std::string::npos);
		EXPECT_EQ(logged.find("Raw file checksum: " + md5_text(r.data)) != std::string::npos, !r.data.empty());
	}
}

TEST_F(decomp_unpack, hostile_entry_names_are_refused)
{
	for (const char* name : {"../f.dat", "/f.dat", "x/../f.dat", "./f.dat", "x//f.dat", "..\\f.dat"}) {
		SCOPED_TRACE(name);
		sim_info.clear();
		int i = add("f.dat", "content");
		decoded_ptr out = run({i}, make_zip({{name, "content"}, {"f.dat", "content"}}));

		EXPECT_EQ(out->err.code, zip_err_bad_zip);
		ASSERT_EQ(out->files.size(), 1u);
		EXPECT_EQ(out->files[0].err.code, zip_err_bad_zip) << "nothing after the refused entry is taken";
	}
}

TEST_F(decomp_unpack, entry_larger_than_the_installed_size_is_refused_before_inflating)
{
	struct row { size_t content; size_t announced; double disk_kb; bool refused; };
	const row rows[] = {
	    {4096, 4096, 4, false},
	    {4097, 4097, 4, true},
	    {0, 0, 0, false},
	    {1, 1, 0, true},
	    {300, 9u << 20, 8, true},  // the header lies: a 9 MB claim is refused unread
	};
	for (const row& r : rows) {
		SCOPED_TRACE(r.announced);
		sim_info.clear();
		std::string content = varied_text(r.content);
		int i = add("big.bin", content);
		v(i).disk_kb = r.disk_kb;
		std::vector<char> z = make_zip({{"big.bin", content}});
		if (r.announced != r.content) set_announced_size(z, static_cast<uint32_t>(r.announced));
		decoded_ptr out = run({i}, z);

		EXPECT_EQ(out->err.code, 0u);
		ASSERT_EQ(out->files.size(), 1u);
		EXPECT_EQ(out->files[0].err.code, r.refused ? corrupt_contents : 0u);
		EXPECT_EQ(out->files[0].err.what, r.refused ? "big.bin" : "");
		EXPECT_EQ(out->files[0].data.size(), r.refused ? 0u : r.content);
	}
}

TEST_F(decomp_unpack, refused_entry_is_never_inflated)
{
	std::string content = varied_text(20000);
	std::vector<char> z = make_zip({{"big.bin", content}});
	size_t local = find_sig(z, 0x04034b50);
	auto get16 = [&](size_t at) { return static_cast<size_t>(static_cast<unsigned char>(z[at])) |
	                                     static_cast<size_t>(static_cast<unsigned char>(z[at + 1])) << 8; };
	size_t data_at = local + 30 + get16(local + 26) + get16(local + 28);
	for (size_t k = 10; k < 400; ++k) z[data_at + k] ^= 0x5A;

	int i = add("big.bin", content);
	v(i).disk_kb = 40;
	decoded_ptr inflated = run({i}, z);
	EXPECT_EQ(err_domain(inflated->err.code), err_dom_zip) << "damage found by inflating";

	v(i).disk_kb = 16;
	decoded_ptr refused = run({i}, z);
	EXPECT_EQ(refused->err.code, 0u) << "damage never seen: the entry was not inflated";
	ASSERT_EQ(refused->files.size(), 1u);
	EXPECT_EQ(refused->files[0].err.code, corrupt_contents);
}

TEST_F(decomp_unpack, entry_giving_other_than_its_announced_size_is_an_archive_error)
{
	std::string content = varied_text(3000);
	struct row { int delta; err_code_t code; };
	for (row r : {row{+100, 0x70004E22u}, row{-1, zip_err(UNZ_CRCERROR)}}) {
		SCOPED_TRACE(r.delta);
		sim_info.clear();
		int a = add("x/a.txt", "a", ins_comp_folder_zip);
		int b = add("x/b.txt", content, ins_comp_folder_zip);
		std::vector<char> z = make_zip({{"b.txt", content}});
		set_announced_size(z, static_cast<uint32_t>(content.size() + r.delta));
		decoded_ptr out = run({a, b}, z);

		EXPECT_EQ(out->err.code, r.code);
		EXPECT_EQ(out->err.what, "http://127.0.0.1/dl.zip");
		ASSERT_EQ(out->files.size(), 2u);
		for (const auto& f : out->files) {
			EXPECT_EQ(f.err.code, r.code);
			EXPECT_TRUE(f.data.empty());
		}
	}
}

TEST_F(decomp_unpack, link_entry_carries_its_target_text_and_link_mode)
{
	int i = add("Resources/current", "../data_v2");
	decoded_ptr out = run({i}, make_zip({{"current", "../data_v2", zip_link_attr()}}));

	ASSERT_EQ(out->files.size(), 1u);
	EXPECT_EQ(out->files[0].err.code, 0u);
	EXPECT_EQ(text(out->files[0].data), "../data_v2");
	EXPECT_EQ(out->files[0].mode & S_IFMT, S_IFLNK);
}

}  // namespace
