#pragma once
// A fresh log ring writing to a log file in a private temporary folder.
#include "core/ui/app_clock.h"
#include "core/ui/log.h"
#include "core/ui/log_testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string read_whole_file(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream ss;
	ss << in.rdbuf();
	return ss.str();
}

class log_file_test : public ::testing::Test {
protected:
	void SetUp() override
	{
		char tmpl[] = "/tmp/skylog_test.XXXXXX";
		ASSERT_NE(mkdtemp(tmpl), nullptr);
		dir_ = tmpl;
		path_ = dir_ + "/Skyvane Installer Log.txt";
		skyvane_log_reset_for_tests();
		skyvane_log_start();
		app_clock_set(0.0);
		ASSERT_TRUE(skyvane_log_open(path_));
	}
	void TearDown() override
	{
		skyvane_log_reset_for_tests();
		std::filesystem::remove_all(dir_);
	}
	std::string file() const { return read_whole_file(path_); }

	std::string dir_, path_;
};
