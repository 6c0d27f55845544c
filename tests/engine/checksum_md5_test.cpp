// MD5 text over the library digest: the RFC 1321 test suite, and feeding in steps.
#include <gtest/gtest.h>

#include <string>

#include "app/Installer-f/engine/md5_text.h"

namespace {

struct md5_case {
	std::string input;
	std::string digest;
};

TEST(checksum_md5, rfc_1321_suite)
{
	const md5_case cases[] = {
	    {"", "d41d8cd98f00b204e9800998ecf8427e"},
	    {"a", "0cc175b9c0f1b6a831c399e269772661"},
	    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
	    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
	    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
	    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
	    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
	     "57edf4a22be3c955ac49da2e2107b67a"},
	};
	for (const md5_case& c : cases)
		EXPECT_EQ(md5_text(c.input), c.digest) << '"' << c.input << '"';
}

TEST(checksum_md5, bytes_above_127_and_nul_are_data)
{
	const std::string bytes("\x00\xff\x80\x7f", 4);
	EXPECT_EQ(md5_text(bytes), md5_text(std::vector<char>(bytes.begin(), bytes.end())));
	EXPECT_NE(md5_text(bytes), md5_text(std::string("\xff\x80\x7f", 3)));
}

// Pieces of any size, including ones that split the 64-byte blocks, give the digest of the whole.
TEST(checksum_md5, steps_give_the_digest_of_the_whole)
{
	std::string data;
	for (int i = 0; i < 100000; ++i)
		data.push_back(static_cast<char>((i * 131) ^ (i >> 7)));
	const std::string whole = md5_text(data);
	for (size_t step : {size_t(1), size_t(63), size_t(64), size_t(65), size_t(4097), size_t(65535), data.size()})
		EXPECT_EQ(md5_text_in_steps(data.data(), data.size(), step), whole) << "step " << step;
}

}  // namespace
