#pragma once
// Sends the log to a file of its own for the life of the object; text() flushes and reads it.
#include "core/ui/log.h"
#include "core/ui/log_testing.h"
#include "support/scratch_dir.h"

class log_capture {
public:
	log_capture()
	{
		skyvane_log_reset_for_tests();
		skyvane_log_start();
		EXPECT_TRUE(skyvane_log_open(dir_ / "log.txt"));
	}
	~log_capture() { skyvane_log_reset_for_tests(); }

	std::string text()
	{
		skyvane_log_flush();
		return dir_.read("log.txt");
	}

private:
	scratch_dir dir_;
};
