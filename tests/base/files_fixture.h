#pragma once
// A fresh real folder per test, removed afterwards (links inside are removed, not followed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

class files_test : public ::testing::Test {
protected:
	std::string dir;  // ends with "/"

	void SetUp() override
	{
		char templ[] = "/tmp/files_test_XXXXXX";
		ASSERT_NE(mkdtemp(templ), nullptr);
		dir = std::string(templ) + "/";
	}
	void TearDown() override
	{
		std::error_code ec;
		std::filesystem::remove_all(dir, ec);
	}

	std::string path(const std::string& rel) const { return dir + rel; }

	void write(const std::string& rel, const std::string& bytes) const
	{
		std::ofstream out(path(rel), std::ios::binary | std::ios::trunc);
		ASSERT_TRUE(out.is_open()) << rel;
		out << bytes;
	}
	std::string read(const std::string& rel) const
	{
		std::ifstream in(path(rel), std::ios::binary);
		return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	}
	void mkdirs(const std::string& rel) const { std::filesystem::create_directories(path(rel)); }
	void link(const std::string& target, const std::string& rel) const
	{
		ASSERT_EQ(symlink(target.c_str(), path(rel).c_str()), 0) << rel;
	}
	bool exists_nofollow(const std::string& rel) const
	{
		struct stat st;
		return lstat(path(rel).c_str(), &st) == 0;
	}
};
