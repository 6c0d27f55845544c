#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "base/files_fixture.h"
#include "core/files/file_uncached.h"

namespace {
std::string pattern(size_t n)
{
	std::string s(n, '\0');
	for (size_t i = 0; i < n; ++i)
		s[i] = static_cast<char>((i * 7919) ^ (i >> 8));
	return s;
}
}  // namespace

TEST_F(files_test, uncached_round_trip)
{
	for (size_t n : {size_t(0), size_t(1), size_t(4096), size_t(3) << 20}) {
		std::string data = pattern(n);
		ASSERT_EQ(FILE_buffer_to_disk_uncached(path("f.bin"), data), 0u) << n;
		EXPECT_EQ(read("f.bin"), data) << n;
		std::vector<char> back;
		ASSERT_EQ(FILE_disk_to_buffer_uncached(path("f.bin"), back), 0u) << n;
		EXPECT_EQ(std::string(back.begin(), back.end()), data) << n;
		std::string back_s = "stale";
		ASSERT_EQ(FILE_disk_to_buffer_uncached(path("f.bin"), back_s), 0u) << n;
		EXPECT_EQ(back_s, data) << n;
	}
	struct stat st;
	ASSERT_EQ(stat(path("f.bin").c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 0777, 0660u & ~[] { mode_t m = umask(0); umask(m); return m; }());
	// A longer file is truncated by a shorter write.
	ASSERT_EQ(FILE_buffer_to_disk_uncached(path("f.bin"), std::string("xy")), 0u);
	EXPECT_EQ(read("f.bin"), "xy");
}

TEST_F(files_test, uncached_transfers_split_into_chunks)
{
	// Sizes around multiples of the chunk: the split must neither drop nor repeat bytes.
	for (size_t chunk : {size_t(1), size_t(7), size_t(64)}) {
		for (size_t n : {chunk - 1, chunk, chunk + 1, 5 * chunk + 3}) {
			std::string data = pattern(n);
			ASSERT_EQ(file_uncached_write(path("c.bin"), data.data(), data.size(), chunk), 0u);
			EXPECT_EQ(read("c.bin"), data) << chunk << "/" << n;
			std::vector<char> back;
			ASSERT_EQ(file_uncached_read(path("c.bin"), back, chunk), 0u);
			EXPECT_EQ(std::string(back.begin(), back.end()), data) << chunk << "/" << n;
		}
	}
}

TEST_F(files_test, uncached_failures)
{
	std::vector<char> data(10, 'z');
	EXPECT_EQ(FILE_disk_to_buffer_uncached(path("missing"), data), 0x40000002u);
	EXPECT_TRUE(data.empty());
	// A read failure after opening empties the buffer too.
	mkdirs("folder");
	data.assign(10, 'z');
	EXPECT_EQ(FILE_disk_to_buffer_uncached(path("folder"), data), 0x40000015u);  // EISDIR
	EXPECT_TRUE(data.empty());

	EXPECT_EQ(FILE_buffer_to_disk_uncached(path("no/dir/f"), std::string("x")), 0x40000002u);
	EXPECT_EQ(FILE_buffer_to_disk_uncached("/dev/full", std::string("x")), 0x4000001Cu);  // ENOSPC

	// Never written through a link: the file it points to stays as it was.
	write("target", "keep");
	link(path("target"), "link");
	EXPECT_EQ(FILE_buffer_to_disk_uncached(path("link"), std::string("evil")), 0x4000003Eu);  // ELOOP
	EXPECT_EQ(read("target"), "keep");
}

// The scan reads file after file into one buffer: no stale bytes of a longer file, the block
// kept for smaller files and for a little larger ones, and kept through a failure too.
TEST_F(files_test, uncached_read_into_a_reused_buffer)
{
	const std::string big = pattern(3 << 20), bigger = pattern((3 << 20) + (1 << 19));
	std::string small = pattern(1000);
	std::reverse(small.begin(), small.end());
	write("big.bin", big);
	write("bigger.bin", bigger);
	write("small.bin", small);
	write("empty.bin", "");

	std::vector<char> buf;
	ASSERT_EQ(file_uncached_read_reused(path("big.bin"), buf), 0u);
	EXPECT_EQ(std::string(buf.begin(), buf.end()), big);
	const size_t cap = buf.capacity();
	const char* block = buf.data();
	for (const char* rel : {"small.bin", "bigger.bin", "empty.bin"}) {
		ASSERT_EQ(file_uncached_read_reused(path(rel), buf), 0u) << rel;
		EXPECT_EQ(std::string(buf.begin(), buf.end()), read(rel)) << rel;
		EXPECT_EQ(buf.capacity(), cap) << rel << ": the block is kept for the next file";
	}
	ASSERT_EQ(file_uncached_read_reused(path("big.bin"), buf), 0u);
	EXPECT_EQ(buf.data(), block) << "no new block for a file that fits";

	mkdirs("folder");
	const struct {
		std::string rel;
		err_code_t code;
	} failures[] = {
	    {"missing.bin", err_from_errno(ENOENT)},
	    {"folder", err_from_errno(EISDIR)},
	    {"missing_folder/x.bin", err_from_errno(ENOENT)},
	};
	for (const auto& c : failures) {
		buf.assign(10, 'x');
		EXPECT_EQ(file_uncached_read_reused(path(c.rel), buf), c.code) << c.rel;
		EXPECT_TRUE(buf.empty()) << c.rel;
		EXPECT_EQ(buf.capacity(), cap) << c.rel;
	}
}
