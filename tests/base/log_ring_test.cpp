#include "log_fixture.h"

#include "core/ui/err_code.h"
#include "core/ui/log_lock.h"

#include <cstdio>
#include <latch>
#include <thread>
#include <vector>

namespace {

constexpr size_t k_chunk = 16384;
constexpr size_t k_ring = 4 * k_chunk;
constexpr size_t k_max_line = 8191;  // the 8192-byte buffer less its terminator

struct line_case {
	double t;
	int level;
	const char* tag;
	const char* message;
	const char* expected;
};

class log_line_format : public log_file_test, public ::testing::WithParamInterface<line_case> {};

TEST_P(log_line_format, writes_prefix_message_and_one_newline)
{
	const line_case& c = GetParam();
	app_clock_set(c.t);
	skyvane_log_write(c.level, c.tag, "%s", c.message);
	skyvane_log_flush();
	EXPECT_EQ(file(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
	cases, log_line_format,
	::testing::Values(
		line_case{75.5, log_debug, "WIZ", "hello", "0:01:15.500 D/WIZ: hello\n"},
		line_case{3723.25, log_error, "INS", "ends in newline\n", "1:02:03.250 E/INS: ends in newline\n"},
		line_case{0.0, log_info, "NET", "", "0:00:00.000 I/NET: \n"},
		line_case{12.0, log_warn, "SYS", "inner\nnewline", "0:00:12.000 W/SYS: inner\nnewline\n"},
		line_case{59.9996, log_warn, "SYS", "rounds up", "0:01:00.000 W/SYS: rounds up\n"},
		line_case{36000.0, log_info, "DLG", "ten hours", "10:00:00.000 I/DLG: ten hours\n"},
		line_case{-3.0, log_debug, "SCN", "before start", "0:00:00.000 D/SCN: before start\n"},
		line_case{1.0, 9, "GUI", "level clamped", "0:00:01.000 E/GUI: level clamped\n"},
		line_case{1.0, -1, "OGL", "level clamped", "0:00:01.000 D/OGL: level clamped\n"}));

struct long_case {
	size_t message_len;
	bool message_ends_in_newline;
	size_t kept_message_chars;  // of the message, before the final newline
};

class log_long_line : public log_file_test, public ::testing::WithParamInterface<long_case> {};

TEST_P(log_long_line, is_cut_to_the_buffer_and_ends_in_one_newline)
{
	const long_case& c = GetParam();
	std::string msg(c.message_len, 'x');
	if (c.message_ends_in_newline)
		msg.back() = '\n';
	skyvane_log_write(log_info, "INS", "%s", msg.c_str());
	skyvane_log_flush();

	const std::string prefix = "0:00:00.000 I/INS: ";
	std::string expected = prefix + std::string(c.kept_message_chars, 'x') + "\n";
	std::string got = file();
	EXPECT_LE(got.size(), k_max_line);
	EXPECT_EQ(got, expected);
}

// The prefix is 19 bytes, so a 8171-byte message leaves room for the newline;
// one byte more fills the buffer and its last byte becomes the newline.
INSTANTIATE_TEST_SUITE_P(cases, log_long_line,
                         ::testing::Values(long_case{8171, false, 8171}, long_case{8172, false, 8171},
                                           long_case{8172, true, 8171}, long_case{20000, false, 8171},
                                           long_case{20000, true, 8171}));

// 128-byte lines make the block arithmetic exact.
std::string write_numbered_line(int i)
{
	char msg[128];
	std::snprintf(msg, sizeof(msg), "line %05d %097d", i, 0);
	skyvane_log_write(log_info, "INS", "%s", msg);
	return std::string("0:00:00.000 I/INS: ") + msg + "\n";
}

using log_ring = log_file_test;

TEST_F(log_ring, reaches_the_file_in_blocks_of_the_oldest_chunk)
{
	std::string all;
	for (int i = 0; i < 512; ++i)
		all += write_numbered_line(i);
	ASSERT_EQ(all.size(), k_ring);
	EXPECT_EQ(file().size(), 0u) << "a full ring writes nothing yet";

	all += write_numbered_line(512);
	EXPECT_EQ(file(), all.substr(0, k_chunk));

	for (int i = 513; i < 512 + 128; ++i)
		all += write_numbered_line(i);
	EXPECT_EQ(file(), all.substr(0, k_chunk)) << "the next block is only written when needed";
	all += write_numbered_line(640);
	EXPECT_EQ(file(), all.substr(0, 2 * k_chunk));

	skyvane_log_flush();
	EXPECT_EQ(file(), all);
}

TEST_F(log_ring, flush_then_more_lines_writes_every_byte_once_in_order)
{
	std::string all;
	int n = 0;
	for (int round = 0; round < 3; ++round) {
		for (int i = 0; i < 100; ++i)
			all += write_numbered_line(n++);
		skyvane_log_flush();
		EXPECT_EQ(file(), all);
	}
	// Past the ring's size after partial flushes: recycled chunks must not repeat flushed text.
	for (int i = 0; i < 1200; ++i)
		all += write_numbered_line(n++);
	std::string before_flush = file();
	EXPECT_EQ(before_flush, all.substr(0, before_flush.size()));
	EXPECT_GE(all.size() - before_flush.size(), k_ring - k_chunk);
	EXPECT_LE(all.size() - before_flush.size(), k_ring);
	skyvane_log_flush();
	EXPECT_EQ(file(), all);
}

TEST_F(log_ring, recycling_a_partly_flushed_chunk_writes_only_its_rest_at_once)
{
	std::string all;
	int n = 0;
	for (; n < 121; ++n)
		all += write_numbered_line(n);
	skyvane_log_flush();
	// 391 more lines fill the ring; the next recycles the first chunk, whose unwritten
	// rest (896 bytes) is small enough to wait in the stream's buffer unless flushed.
	for (int i = 0; i < 391; ++i)
		all += write_numbered_line(n++);
	EXPECT_EQ(file().size(), 121u * 128u);
	all += write_numbered_line(n++);
	EXPECT_EQ(file(), all.substr(0, k_chunk));
}

TEST_F(log_ring, raw_text_larger_than_the_ring_is_written_through_in_order)
{
	std::string text;
	for (int i = 0; text.size() < 200000; ++i)
		text += "raw " + std::to_string(i) + "\n";
	{
		UTL_cs_guard guard(&gDebugLogLock);
		skyvane_log_write_raw_internal(text.data(), text.data() + text.size());
	}
	std::string got = file();
	EXPECT_EQ(got.size() % k_chunk, 0u);
	EXPECT_GE(got.size(), text.size() - k_ring);
	EXPECT_EQ(got, text.substr(0, got.size()));
	skyvane_log_flush();
	EXPECT_EQ(file(), text);
}

TEST_F(log_ring, concurrent_writers_lose_and_repeat_nothing)
{
	constexpr int k_threads = 4, k_lines = 4000;
	std::latch start(k_threads);
	std::vector<std::thread> writers;
	for (int t = 0; t < k_threads; ++t)
		writers.emplace_back([&, t] {
			start.arrive_and_wait();
			for (int i = 0; i < k_lines; ++i)
				skyvane_log_write(log_debug, "INS", "writer %d line %06d %s", t, i, "payload of some length");
		});
	for (auto& w : writers)
		w.join();
	skyvane_log_flush();

	std::istringstream in(file());
	std::string line;
	int next[k_threads] = {};
	int total = 0;
	while (std::getline(in, line)) {
		int t = -1, i = -1;
		char tail[64] = "";
		ASSERT_EQ(std::sscanf(line.c_str(), "0:00:00.000 D/INS: writer %d line %d %63[^\n]", &t, &i, tail), 3)
			<< line;
		ASSERT_TRUE(t >= 0 && t < k_threads) << line;
		EXPECT_EQ(i, next[t]) << "writer " << t << " out of order or repeated";
		EXPECT_STREQ(tail, "payload of some length");
		next[t] = i + 1;
		++total;
	}
	EXPECT_EQ(total, k_threads * k_lines);
	for (int t = 0; t < k_threads; ++t)
		EXPECT_EQ(next[t], k_lines);
}

TEST_F(log_ring, direct_stream_writes_come_before_unflushed_ring_lines)
{
	skyvane_log_write(log_info, "INS", "ring line");
	xer << "direct\n";
	skyvane_log_flush();
	EXPECT_EQ(file(), "direct\n0:00:00.000 I/INS: ring line\n");
}

class log_unwritable : public log_file_test, public ::testing::WithParamInterface<const char*> {};

TEST_P(log_unwritable, path_loses_writes_and_a_later_log_file_works)
{
	std::string bad = GetParam()[0] ? GetParam() : dir_;  // "" stands for a folder
	EXPECT_FALSE(skyvane_log_open(bad));
	for (int i = 0; i < 1000; ++i)
		write_numbered_line(i);
	skyvane_log_flush();
	skyvane_dump_log_to_disk();

	// What was lost stays lost; a new stream receives only what comes after.
	ASSERT_TRUE(skyvane_log_open(path_));
	std::string line = write_numbered_line(1000);
	skyvane_log_flush();
	EXPECT_EQ(file(), line);
}

INSTANTIATE_TEST_SUITE_P(cases, log_unwritable,
                         ::testing::Values("/nonexistent-skyvane-folder/log.txt", ""));

struct log_err_case {
	err_code_t code;
	const char* what;
	const char* src;
	int line;
	const char* expected;  // nullptr: nothing written and nothing flushed
};

class log_err_line : public log_file_test, public ::testing::WithParamInterface<log_err_case> {};

TEST_P(log_err_line, writes_one_error_line_and_flushes)
{
	const log_err_case& c = GetParam();
	app_clock_set(10.0);
	skyvane_log_write(log_info, "INS", "earlier");
	ins_err e;
	e.code = c.code;
	e.what = c.what;
	e.src_file = c.src;
	e.line = c.line;
	log_err(e);
	if (!c.expected)
		EXPECT_EQ(file(), "");
	else
		EXPECT_EQ(file(), std::string("0:00:10.000 I/INS: earlier\n") + c.expected);
}

INSTANTIATE_TEST_SUITE_P(
	cases, log_err_line,
	::testing::Values(
		log_err_case{0, "a.txt", "x.cpp", 1, nullptr},
		log_err_case{err_cancelled, "a.txt", "x.cpp", 1, nullptr},
		log_err_case{0x20000194u, "Resources/a b.txt", "ins_download.cpp", 212,
		             "0:00:10.000 E/INS: Error processing Resources/a b.txt: Error 2:404 (ins_download.cpp:212)\n"},
		log_err_case{0x5FFFFF99u, "x.zip", "unzip.cpp", 7,
		             "0:00:10.000 E/INS: Error processing x.zip: Bad zip file (unzip.cpp:7)\n"},
		log_err_case{err_make(err_dom_ins, ins_err_corrupt), "f", nullptr, 0,
		             "0:00:10.000 E/INS: Error processing f: The downloaded file has corrupt contents (unknown:0)\n"}));

}  // namespace
