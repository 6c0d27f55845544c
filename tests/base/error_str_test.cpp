#include "core/ui/err_code.h"
#include "core/ui/error_str_curl.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

struct text_case {
	err_code_t code;
	const char* text;
};

void PrintTo(const text_case& c, std::ostream* os) { *os << std::hex << "0x" << c.code; }

class error_text : public ::testing::TestWithParam<text_case> {};

TEST_P(error_text, matches_its_table)
{
	EXPECT_EQ(error_str(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
	cases, error_text,
	::testing::Values(
		text_case{0, ""},
		// Installer codes, with the gap 20013..20015 that has no texts.
		text_case{err_make(7, 20001), "Unable to open a .zip file. It may be missing or damaged"},
		text_case{err_make(7, 20005), "Skyvane cannot compress a .zip file because its source file resource fork is more than 2 GB. The source file is probably damaged"},
		text_case{err_make(7, 20012), "Part of the downloaded .zip file is corrupted. The resource fork header is bad"},
		text_case{err_make(7, 20013), "Error 7:20013"},
		text_case{err_make(7, 20015), "Error 7:20015"},
		text_case{err_make(7, 20016), "The downloaded file has corrupt contents"},
		text_case{err_make(7, 20000), "Error 7:20000"},
		// 7-Zip, including the low 28 bits of the COM results.
		text_case{err_make(6, 1), "7-Zip data error"},
		text_case{err_make(6, 2), "Error 6:2"},
		text_case{err_make(6, 0x7000E), "7-Zip is out of memory"},
		text_case{err_make(6, 0x4005), "7-Zip failure"},
		text_case{(0x80070057u & 0x0FFFFFFFu) | 0x60000000u, "7-Zip internal invalid argument"},
		// Zip: negative codes in 28-bit two's complement.
		text_case{0x5FFFFF99u, "Bad zip file"},
		text_case{err_make(5, -100), "End of zip archive"},
		text_case{err_make(5, -105), "zip CRC error"},
		text_case{err_make(5, -101), "Error 5:-101"},
		text_case{err_make(5, 103), "Error 5:103"},
		// errno, reference numbering.
		text_case{err_make(4, 1), "Operation not permitted. Perhaps you do not have access to a directory or file system"},
		text_case{err_make(4, 28), "No space left on device. Perhaps your hard drive is full"},
		text_case{err_make(4, 30), "The destination file system is read-only"},
		text_case{err_make(4, 35), "Resource temporarily unavailable"},
		text_case{err_make(4, 92), "Wide character encoding error"},
		text_case{err_make(4, 15), "Error 4:15"},
		text_case{err_make(4, 26), "Error 4:26"},
		text_case{err_cancelled, "Error 4:89"},
		text_case{err_make(4, 12345), "Error 4:12345"},
		// Classic file-system results.
		text_case{err_make(3, -1), "Queue element not found during deletion"},
		text_case{err_make(3, -43), "File not found"},
		text_case{err_make(3, -57), "Not a Macintosh disk"},
		text_case{err_make(3, -5000), "You have insufficient privileges for this operation"},
		text_case{err_make(3, -55), "Error 3:-55"},
		text_case{err_make(3, 43), "Error 3:43"},
		// No texts: HTTP status, reader results, curl without its registered texts, unknown domains.
		text_case{0x20000194u, "Error 2:404"},
		text_case{err_make(2, 500), "Error 2:500"},
		text_case{err_make(8, 3), "Error 8:3"},
		text_case{err_make(1, 7), "Error 1:7"},
		text_case{err_make(0, 5), "Error 0:5"},
		text_case{0xF8000000u, "Error 15:-134217728"}));

const char* fake_curl_text(int code) { return code == 7 ? "Couldn't connect to server" : code == 8 ? "" : nullptr; }

TEST(error_text_curl, uses_the_registered_description_and_falls_back_without_one)
{
	error_str_set_curl_text(fake_curl_text);
	EXPECT_EQ(error_str(err_make(1, 7)), "Couldn't connect to server");
	EXPECT_EQ(error_str(err_make(1, 8)), "Error 1:8");
	EXPECT_EQ(error_str(err_make(1, 99)), "Error 1:99");
	EXPECT_EQ(error_str(err_make(2, 7)), "Error 2:7") << "only domain 1 asks the HTTP library";
	error_str_set_curl_text(nullptr);
	EXPECT_EQ(error_str(err_make(1, 7)), "Error 1:7");
}

struct errno_case {
	int host;
	const char* name;
	int reference;
	const char* text;
};

void PrintTo(const errno_case& c, std::ostream* os) { *os << c.name; }

class errno_translation : public ::testing::TestWithParam<errno_case> {};

TEST_P(errno_translation, maps_by_name_and_reads_the_reference_text)
{
	const errno_case& c = GetParam();
	EXPECT_EQ(errno_to_reference(c.host), c.reference);
	err_code_t code = err_from_errno(c.host);
	EXPECT_EQ(code, err_make(err_dom_errno, c.reference));
	EXPECT_EQ(error_str(code), c.text);
}

#define EC(name, ref, text) errno_case{name, #name, ref, text}
INSTANTIATE_TEST_SUITE_P(
	cases, errno_translation,
	::testing::Values(
		EC(ECANCELED, 89, "Error 4:89"),
		EC(ENOTEMPTY, 66, "Directory not empty"),
		EC(ENAMETOOLONG, 63, "File name too long"),
		EC(EAGAIN, 35, "Resource temporarily unavailable"),
		EC(EWOULDBLOCK, 35, "Resource temporarily unavailable"),
		EC(EDEADLK, 11, "Resource deadlock avoided"),
		EC(ENOLCK, 77, "No locks available"),
		EC(ENOSYS, 78, "Function not implemented"),
		EC(EILSEQ, 92, "Wide character encoding error"),
		EC(ENOENT, 2, "No such file or directory"),
		EC(EACCES, 13, "Permission denied. Perhaps you do not have access to a directory or file system"),
		EC(ENOSPC, 28, "No space left on device. Perhaps your hard drive is full"),
		EC(EBUSY, 16, "Device busy"),
		EC(ENXIO, 6, "Device not configured"),
		EC(ELOOP, 62, "Error 4:62"),
		EC(ETIMEDOUT, 60, "Error 4:60"),
		EC(ECONNREFUSED, 61, "Error 4:61"),
		EC(EDQUOT, 69, "Error 4:69"),
		EC(EOPNOTSUPP, 45, "Error 4:45"),
		EC(EOVERFLOW, 84, "Error 4:84"),
		// Linux-only names keep their number, unless that number has a text of its own
		// in the reference numbering.
		EC(ENOMEDIUM, ENOMEDIUM, "Error 4:123"),
		EC(ECHRNG, ECHRNG, "Error 4:44"),
		EC(EBADFD, EBADFD + 1000, "Error 4:1077"),
		EC(EREMCHG, EREMCHG + 1000, "Error 4:1078")));
#undef EC

TEST(errno_translation_calls, cancelled_code_and_no_errno_still_fail)
{
	EXPECT_EQ(err_from_errno(ECANCELED), 0x40000059u);
	EXPECT_EQ(err_from_errno(ECANCELED), err_cancelled);
	EXPECT_NE(err_from_errno(0), 0u) << "a failure with errno 0 must not read as success";
}

TEST(errno_translation_calls, real_system_call_failures_read_as_reference_texts)
{
	char tmpl[] = "/tmp/skyerr_test.XXXXXX";
	ASSERT_NE(mkdtemp(tmpl), nullptr);
	std::string dir = tmpl;
	std::FILE* f = std::fopen((dir + "/inside").c_str(), "w");
	ASSERT_NE(f, nullptr);
	std::fclose(f);

	int rc = rmdir(dir.c_str());
	int err = errno;
	ASSERT_NE(rc, 0);
	EXPECT_EQ(error_str(err_from_errno(err)), "Directory not empty");

	std::string long_name = dir + "/" + std::string(300, 'n');
	rc = open(long_name.c_str(), O_RDONLY);
	err = errno;
	ASSERT_LT(rc, 0);
	EXPECT_EQ(err_from_errno(err), err_make(4, 63));
	EXPECT_EQ(error_str(err_from_errno(err)), "File name too long");

	std::filesystem::remove_all(dir);
}

}  // namespace
