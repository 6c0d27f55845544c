// A download may not grow past what the manifest announces for its files (four times, plus a
// floor): a mirror that sends more is cut off and the download counts as corrupt.
#include <gtest/gtest.h>

#include "support/http_fixture.h"
#include "url_reader_rig.h"

namespace {

constexpr uint64_t floor_bytes = 1024 * 1024;
const err_code_t corrupt = err_make(err_dom_ins, ins_err_corrupt);

class url_reader_cap : public url_reader_test {
protected:
	http_fixture srv;
};

}  // namespace

TEST_F(url_reader_cap, limit_follows_the_manifest)
{
	announce({10, 2.5, -7, 1e30});
	const struct {
		const char* name;
		std::vector<int> slots;
		uint64_t limit;
	} cases[] = {
	    {"no_slots", {}, floor_bytes},
	    {"one_file", {0}, 40000 + floor_bytes},
	    {"folder_archive_sums", {0, 1}, 50000 + floor_bytes},
	    {"outside_the_manifest", {-1, 99}, floor_bytes},
	    {"negative_counts_nothing", {2}, floor_bytes},
	    {"absurd_does_not_wrap", {3, 0}, UINT64_MAX},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.name);
		EXPECT_EQ(ins_url_reader_body_limit(c.slots), c.limit);
	}
}

TEST_F(url_reader_cap, body_past_the_limit_is_corrupt)
{
	announce({1.0});  // limit 4000 bytes + the floor
	const size_t limit = 4000 + floor_bytes;
	const struct {
		const char* name;
		size_t size;
		bool chunked;  // without a length the cap is met while receiving
		bool cut;
	} cases[] = {
	    {"at_limit", limit, false, false},
	    {"at_limit_chunked", limit, true, false},
	    {"one_byte_over", limit + 1, false, true},
	    {"one_byte_over_chunked", limit + 1, true, true},
	};
	reader_rig rig(srv.url("/m/"));
	for (const auto& c : cases) {
		SCOPED_TRACE(c.name);
		http_route r;
		r.body = pattern(c.size);
		r.chunked = c.chunked;
		srv.serve(std::string("/m/") + c.name, r);
		encoded_ptr got = rig.fetch(c.name, {0});
		EXPECT_EQ(got->err.code, c.cut ? corrupt : 0u);
		EXPECT_EQ(got->data.size(), c.cut ? 0u : c.size);
	}
	EXPECT_EQ(rig.reader->error_count, 0);  // the file's fault, not the server's
	EXPECT_NE(log.text().find("Download aborted: more than " + std::to_string(limit) + " bytes"), std::string::npos);
}

// An announced length past the cap is refused before the body is received.
TEST_F(url_reader_cap, announced_length_past_the_limit_stops_at_once)
{
	announce({1.0});
	const size_t size = 3 * floor_bytes;
	http_route slow = faulty_route(http_fault::slow_rate, pattern(size));
	slow.rate_bytes = 4096;
	slow.tick_ms = 5;
	srv.serve("/m/huge.bin", slow);
	reader_rig rig(srv.url("/m/"));
	encoded_ptr got = rig.fetch("huge.bin", {0});
	EXPECT_EQ(got->err.code, corrupt);
	EXPECT_FALSE(srv.wait_body_sent("/m/huge.bin", floor_bytes, 0));
}
