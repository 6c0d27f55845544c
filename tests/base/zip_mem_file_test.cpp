#include "core/files/zip/zip_mem_file.h"

#include <gtest/gtest.h>
#include <unzip.h>

#include <string>
#include <vector>

#include "support/zip_maker.h"

namespace {

uLong read_some(zip_mem_file& m, char* buf, uLong n) { return m.zread_file(m.opaque, m.opaque, buf, n); }
void seek(zip_mem_file& m, uLong off, int origin) { EXPECT_EQ(m.zseek_file(m.opaque, m.opaque, off, origin), 0); }

}  // namespace

TEST(zip_mem_file, reads_seeks_and_stops_at_the_end)
{
	const std::string bytes = "0123456789";
	zip_mem_file m(bytes.data(), bytes.size());
	ASSERT_EQ(m.zopen_file(m.opaque, "", 0), &m);
	char buf[16] = {};

	EXPECT_EQ(read_some(m, buf, 4), 4u);
	EXPECT_EQ(std::string(buf, 4), "0123");
	seek(m, 2, ZLIB_FILEFUNC_SEEK_CUR);
	EXPECT_EQ(m.ztell_file(m.opaque, m.opaque), 6);
	EXPECT_EQ(read_some(m, buf, 16), 4u) << "only what is left";
	EXPECT_EQ(std::string(buf, 4), "6789");
	EXPECT_EQ(read_some(m, buf, 16), 0u);

	seek(m, static_cast<uLong>(-3), ZLIB_FILEFUNC_SEEK_END);
	EXPECT_EQ(m.ztell_file(m.opaque, m.opaque), 7);
	seek(m, 1, ZLIB_FILEFUNC_SEEK_SET);
	seek(m, 5, 7);  // unknown origin: position unchanged
	EXPECT_EQ(m.ztell_file(m.opaque, m.opaque), 1);

	seek(m, 100, ZLIB_FILEFUNC_SEEK_SET);
	EXPECT_EQ(read_some(m, buf, 4), 0u) << "past the end nothing is read";
	EXPECT_EQ(m.zwrite_file(m.opaque, m.opaque, "x", 1), 0u);
}

TEST(zip_mem_file, minizip_reads_an_archive_from_memory)
{
	std::vector<char> zip = make_zip({{"first.txt", "alpha"}, {"second/two.txt", std::string(5000, 'z')}});
	zip_mem_file m(zip.data(), zip.size());
	unzFile zf = unzOpen2("", &m);
	ASSERT_NE(zf, nullptr);

	ASSERT_EQ(unzLocateFile(zf, "second/two.txt", 1), UNZ_OK);
	ASSERT_EQ(unzOpenCurrentFile(zf), UNZ_OK);
	std::string got(6000, '\0');
	int n = unzReadCurrentFile(zf, got.data(), static_cast<unsigned>(got.size()));
	EXPECT_EQ(unzCloseCurrentFile(zf), UNZ_OK);
	EXPECT_EQ(got.substr(0, n), std::string(5000, 'z'));
	unzClose(zf);
}
