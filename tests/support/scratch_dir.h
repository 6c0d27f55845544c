#pragma once
// A private real folder per test, removed afterwards (links inside are removed, not followed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

class scratch_dir {
public:
	scratch_dir()
	{
		char templ[] = "/tmp/sky_scratch_XXXXXX";
		if (mkdtemp(templ)) dir_ = std::string(templ) + "/";
		EXPECT_FALSE(dir_.empty()) << "mkdtemp failed";
	}
	~scratch_dir()
	{
		std::error_code ec;
		if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
	}
	scratch_dir(const scratch_dir&) = delete;
	scratch_dir& operator=(const scratch_dir&) = delete;

	const std::string& path() const { return dir_; }  // ends with "/"
	std::string operator/(const std::string& rel) const { return dir_ + rel; }

	void write(const std::string& rel, const std::string& bytes) const
	{
		std::ofstream out(dir_ + rel, std::ios::binary | std::ios::trunc);
		ASSERT_TRUE(out.is_open()) << rel;
		out << bytes;
	}
	std::string read(const std::string& rel) const { return read_file(dir_ + rel); }
	void mkdirs(const std::string& rel) const { std::filesystem::create_directories(dir_ + rel); }
	void link(const std::string& target, const std::string& rel) const
	{
		ASSERT_EQ(symlink(target.c_str(), (dir_ + rel).c_str()), 0) << rel;
	}
	bool exists(const std::string& rel) const
	{
		struct stat st;
		return lstat((dir_ + rel).c_str(), &st) == 0;
	}
	bool is_link(const std::string& rel) const
	{
		struct stat st;
		return lstat((dir_ + rel).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
	}
	// Names directly inside rel (a folder), unsorted; hidden ones included.
	std::vector<std::string> names(const std::string& rel = "") const
	{
		std::vector<std::string> out;
		std::error_code ec;
		for (const auto& e : std::filesystem::directory_iterator(dir_ + rel, ec))
			out.push_back(e.path().filename().string());
		return out;
	}

	static std::string read_file(const std::string& path)
	{
		std::ifstream in(path, std::ios::binary);
		return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	}

private:
	std::string dir_;
};
