#pragma once
// A small install model over a scratch installation folder, for the decompressor and writer tests.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/md5_text.h"
#include "core/installer/sim_info.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"
#include "support/zip_maker.h"

constexpr err_code_t corrupt_contents = 0x70004E30u;

class decomp_fixture : public ::testing::Test {
protected:
	void SetUp() override
	{
		saved_dest_ = dest_dir_path;
		dest_dir_path = dest.path();
		sim_info.clear();
	}
	void TearDown() override
	{
		sim_info.clear();
		dest_dir_path = saved_dest_;
	}

	// A manifest file whose current content is `content`; installed size as the manifest gives it.
	int add(const std::string& path, const std::string& content, int compression = ins_comp_zip)
	{
		file_version_struct v;
		v.path = path;
		v.sig_want = md5_text(content);
		v.compression = compression;
		v.disk_kb = std::ceil(content.size() / 4096.0) * 4;
		v.sig_have = "NONE";
		file_history_struct h;
		h.versions.push_back(v);
		sim_info.files.push_back(h);
		return static_cast<int>(sim_info.files.size()) - 1;
	}
	file_version_struct& v(int i) { return sim_info.files[i].cur(); }

	static ins_encoded_file* encoded(std::vector<int> slots, std::vector<char> data,
	                                 const std::string& source = "http://127.0.0.1/dl.zip")
	{
		auto* e = new ins_encoded_file;
		e->slots = std::move(slots);
		e->data = std::move(data);
		e->source = source;
		return e;
	}
	static std::vector<char> bytes(const std::string& s) { return std::vector<char>(s.begin(), s.end()); }
	static std::string text(const std::vector<char>& d) { return std::string(d.begin(), d.end()); }

	static mode_t perms(const std::string& path)
	{
		struct stat st;
		return lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
	}
	static time_t mtime(const std::string& path)
	{
		struct stat st;
		return lstat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
	}
	static mode_t current_umask()
	{
		mode_t m = umask(0);
		umask(m);
		return m;
	}

	scratch_dir dest;
	log_capture log;

private:
	std::string saved_dest_;
};
