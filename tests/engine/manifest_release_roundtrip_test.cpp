// A tiny release made by the project's release builder reads back exactly: every file's
// flags, tile box, checksum, sizes and download, the history and GONE lines of an update,
// the zipped manifest through the DVD path, and the server list.
#include "core/installer/dvd_directory_reader.h"
#include "core/installer/manifest_reader.h"
#include "core/installer/server_list_reader.h"
#include "engine/manifest_fixture.h"

#include <openssl/evp.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <map>

namespace {

const std::string k_tool = SKY_SOURCE_DIR "/tools/make_release.py";

std::string md5_hex(const std::string& bytes)
{
	unsigned char md[EVP_MAX_MD_SIZE];
	unsigned int n = 0;
	EXPECT_EQ(EVP_Digest(bytes.data(), bytes.size(), md, &n, EVP_md5(), nullptr), 1);
	std::string hex;
	char two[3];
	for (unsigned int i = 0; i < n; ++i) {
		std::snprintf(two, sizeof(two), "%02x", md[i]);
		hex += two;
	}
	return hex;
}

std::string quoted(const std::string& arg)
{
	std::string out = "'";
	for (char c : arg)
		out += c == '\'' ? std::string("'\\''") : std::string(1, c);
	return out + "'";
}

struct product_file {
	std::string path;
	std::string content;
	mode_t mode;
	int flags;
	int box[4];
};

std::string text_of(size_t n, char seed)
{
	std::string s;
	for (size_t i = 0; s.size() < n; ++i)
		s += "line " + std::to_string(i) + " " + seed + "\n";
	return s.substr(0, n);
}

const int k_none[4] = {0, 0, 0, 0};

// Sizes keep clear of 4 KB block edges, so the rounding is not at stake here.
std::vector<product_file> release_one()
{
	std::vector<product_file> f = {
		{"Skyvane.app", "#!/bin/sh\necho fly\n", 0755, 0x40, {}},
		{"empty.txt", "", 0644, 0x40, {}},
		{"Docs/Guide.html", "<p>guide</p>\n", 0644, 0x00, {}},
		{"Res/big.txt", text_of(10000, 'a'), 0644, 0x40, {}},
		{"Res/tex/a.png", "\x89PNG a", 0644, 0xC0, {}},
		{"Res/tex/b b.png", "\x89PNG b b", 0644, 0xC0, {}},
		{"Plugins/lin/p.so", "elf", 0644, 0x43, {}},
		{"Extras/both.dat", "rg", 0644, 0x70, {}},
		{"Global Scenery/Pack A/Earth nav data/+30-090/+35-085.dsf", text_of(5000, 't'), 0644, 0x48, {9, 12, 9, 12}},
		{"Global Scenery/Pack A/Earth nav data/-10+020/-05+025.dsf", "tile 2", 0644, 0x48, {20, 8, 20, 8}},
		{"Global Scenery/Pack A/readme.txt", "pack a", 0644, 0x48, {9, 8, 20, 12}},
		{"Global Scenery/top.txt", "all scenery", 0644, 0x48, {0, 0, 35, 17}},
	};
	for (product_file& p : f)
		if (!(p.flags & 0x08))
			std::copy(k_none, k_none + 4, p.box);
	return f;
}

class release_roundtrip : public reader_test {
protected:
	void SetUp() override
	{
		if (std::system("command -v python3 >/dev/null 2>&1") != 0)
			GTEST_SKIP() << "python3 is not installed";
		struct stat st;
		if (stat(k_tool.c_str(), &st) != 0)
			GTEST_SKIP() << k_tool << " is missing";
	}

	void write_product(const std::vector<product_file>& files)
	{
		std::filesystem::remove_all(dir / "product");
		for (const product_file& p : files) {
			dir.mkdirs("product/" + p.path.substr(0, p.path.rfind('/') + 1));
			dir.write("product/" + p.path, p.content);
			ASSERT_EQ(chmod((dir / ("product/" + p.path)).c_str(), p.mode), 0);
		}
	}

	void make_release(const std::string& name, const std::vector<std::string>& extra)
	{
		std::string cmd = "python3 " + quoted(k_tool) + " " + quoted(dir / "product") + " " + quoted(dir / "out") +
		                  " --install-name " + quoted(name) +
		                  " --stored 'Docs/*' --per-folder 'Res/tex/*' --os 'LIN=Plugins/lin/*'"
		                  " --regional 'Extras/both.dat' --global 'Extras/both.dat'"
		                  " --mirror 127.0.0.1:18081/ --mirror-label One"
		                  " --mirror 'localhost:18082/mirror two/' --mirror-label Two --beta-name 'B 2'";
		for (const std::string& e : extra)
			cmd += " " + quoted(e);
		cmd += " >" + quoted(dir / "tool.log") + " 2>&1";
		const int status = std::system(cmd.c_str());
		ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << dir.read("tool.log");
	}

	static std::string download_name(const file_version_struct& v)
	{
		if (v.compression == ins_comp_stored)
			return v.path;
		if (v.compression == ins_comp_folder_zip)
			return v.path.substr(0, v.path.rfind('/')) + ".zip";
		return v.path + ".zip";
	}

	std::map<std::string, const file_history_struct*> by_path(const sim_info_struct& info)
	{
		std::map<std::string, const file_history_struct*> out;
		for (const file_history_struct& h : info.files)
			EXPECT_TRUE(out.emplace(h.cur().path, &h).second) << "two histories for " << h.cur().path;
		return out;
	}

	// The current versions of info are the product files, with their downloads in release.
	void expect_current(const sim_info_struct& info, const std::vector<product_file>& files, const std::string& release)
	{
		auto histories = by_path(info);
		ASSERT_EQ(histories.size(), files.size() + gone_expected);
		std::map<std::string, std::pair<double, int>> folder_zip_shares;  // kilobytes * 1000, members
		for (const product_file& p : files) {
			SCOPED_TRACE(p.path);
			ASSERT_TRUE(histories.count(p.path));
			const file_version_struct& v = histories[p.path]->versions.back();
			EXPECT_EQ(v.os, p.flags & 3);
			EXPECT_EQ(v.package_bits, p.flags & 0x30);
			EXPECT_EQ(v.is_scenery, (p.flags >> 3) & 1);
			EXPECT_EQ(v.compression, p.flags & 0xC0);
			EXPECT_EQ(v.aux_value, 0);
			EXPECT_EQ(std::vector<int>({v.tile_lon_min, v.tile_lat_min, v.tile_lon_max, v.tile_lat_max}),
			          std::vector<int>(p.box, p.box + 4));
			EXPECT_EQ(v.sig_want, md5_hex(p.content));
			EXPECT_EQ(v.disk_kb, std::ceil(std::ceil(p.content.size() * 1.024) / 4096.0) * 4.0);
			const std::string dl = release + download_name(v);
			struct stat st;
			ASSERT_EQ(stat(dl.c_str(), &st), 0) << dl;
			if (v.compression == ins_comp_folder_zip) {
				folder_zip_shares[dl].first += v.download_kb * 1000;
				folder_zip_shares[dl].second += 1;
			} else {
				EXPECT_GE(v.download_kb * 1000, st.st_size - 1e-3);
				EXPECT_LT(v.download_kb * 1000, st.st_size + 2.0);  // rounded up to cover the single-precision read
			}
			if (v.compression == ins_comp_stored) {
				EXPECT_EQ(scratch_dir::read_file(dl), p.content);
			}
		}
		for (const auto& [zip, share] : folder_zip_shares) {
			struct stat st;
			ASSERT_EQ(stat(zip.c_str(), &st), 0);
			EXPECT_GE(share.first, st.st_size - 1e-3) << zip;
			EXPECT_LT(share.first, st.st_size + 2.0 * share.second) << zip;
		}
	}

	size_t gone_expected = 0;
};

TEST_F(release_roundtrip, a_release_and_its_update_read_back)
{
	std::vector<product_file> one = release_one();
	write_product(one);
	make_release("R1", {});
	sim_info_struct info;
	ASSERT_EQ(UTL_read_directory(dir / "out/R1/directory.txt", info, ins_src_net), 0);
	expect_current(info, one, dir / "out/R1/");
	for (const file_history_struct& h : info.files)
		EXPECT_EQ(h.versions.size(), 1u) << h.cur().path;

	// The update: one file changed, one removed, one added.
	std::vector<product_file> two = one;
	const std::string old_big = md5_hex(two[3].content), old_guide = md5_hex(two[2].content);
	two[3].content = text_of(9000, 'b');
	const std::string new_big = md5_hex(two[3].content);
	two.erase(two.begin() + 2);
	two.push_back({"New/n.txt", "new", 0644, 0x40, {0, 0, 0, 0}});
	write_product(two);
	make_release("R2", {"--previous", dir / "out/R1", "--final-name", "R2", "--full-name", "R2 full"});
	ASSERT_EQ(UTL_read_directory(dir / "out/R2/directory.txt", info, ins_src_net_full), 0);
	gone_expected = 1;
	expect_current(info, two, dir / "out/R2/");
	auto histories = by_path(info);
	const file_history_struct& big = *histories["Res/big.txt"];
	ASSERT_EQ(big.versions.size(), 2u);
	EXPECT_EQ(big.versions[0].sig_want, old_big);
	EXPECT_EQ(big.cur().sig_want, new_big);
	ASSERT_TRUE(histories.count("Docs/Guide.html"));
	const file_history_struct& guide = *histories["Docs/Guide.html"];
	ASSERT_EQ(guide.versions.size(), 2u);
	EXPECT_EQ(guide.versions[0].sig_want, old_guide);
	EXPECT_EQ(guide.cur().sig_want, "GONE");
	EXPECT_EQ(guide.cur().disk_kb, 0);
	EXPECT_EQ(histories["New/n.txt"]->versions.size(), 1u);

	// The same release from a disc: the zipped manifest, every file on disc 0.
	static std::string disc;
	disc = dir / "out/";
	dir.write("out/dvd_version.txt", "I\n1100 version\nDVD\nVERSION R2\n");
	dir.mkdirs("temp/");
	static std::string temp;
	temp = dir / "temp/";
	const dvd_locate_fn_t saved_locate = dvd_locate_fn;
	const dvd_temp_path_fn_t saved_temp = dvd_temp_path_fn;
	dvd_locate_fn = [](const std::string&) { return disc; };
	dvd_temp_path_fn = [] { return temp; };
	sim_info_struct from_disc;
	const int r = UTL_read_dvd_directory(from_disc);
	dvd_locate_fn = saved_locate;
	dvd_temp_path_fn = saved_temp;
	ASSERT_EQ(r, 0);
	EXPECT_EQ(dir.read("temp/directory.txt"), dir.read("out/R2/directory.txt"));
	ASSERT_EQ(from_disc.files.size(), info.files.size());
	for (size_t i = 0; i < info.files.size(); ++i) {
		ASSERT_EQ(from_disc.files[i].versions.size(), info.files[i].versions.size());
		for (size_t j = 0; j < info.files[i].versions.size(); ++j) {
			const file_version_struct &a = from_disc.files[i].versions[j], &b = info.files[i].versions[j];
			EXPECT_EQ(a.path, b.path);
			EXPECT_EQ(a.sig_want, b.sig_want);
			EXPECT_EQ(a.download_kb, b.download_kb);
			EXPECT_EQ(a.disk, 0);
		}
	}

	UTL_server_info_list list;
	ASSERT_EQ(UTL_read_server_list(dir / "out/_lookup_11_/server_list_11.txt", list), 0);
	EXPECT_EQ(list.beta_name, "B 2");
	EXPECT_EQ(list.final_name, "R2");
	EXPECT_EQ(list.full_name, "R2 full");
	EXPECT_EQ(list.servers, (std::vector<UTL_server_info>{{"127.0.0.1:18081", "/", "One"},
	                                                       {"localhost:18082", "/mirror two/", "Two"}}));
}

}  // namespace
