// What one download yields for each way a mirror answers: the error, the data, the source, and
// whether the server is put to rest.
#include <gtest/gtest.h>

#include "support/http_fixture.h"
#include "url_reader_rig.h"

namespace {

const err_code_t corrupt = err_make(err_dom_ins, ins_err_corrupt);

enum class want_data { body, flipped, empty };

struct outcome_case {
	const char* name;
	http_route route;
	bool refuse = false;
	err_code_t code = 0;
	want_data data = want_data::body;
	bool rests = false;
	bool retry_line = false;  // "  (will retry, tries = 0" on standard output
};

class url_reader_outcome : public url_reader_test {
protected:
	http_fixture srv;
};

http_route route_of(http_fault f, size_t fault_bytes = 0, std::string redirect_to = "")
{
	http_route r;
	r.body = pattern(50000);
	r.fault = f;
	r.fault_bytes = fault_bytes;
	r.redirect_to = std::move(redirect_to);
	return r;
}

}  // namespace

TEST_F(url_reader_outcome, each_answer_of_a_mirror)
{
	const std::string body = pattern(50000);
	std::string flipped = body;
	flipped[777] = static_cast<char>(flipped[777] ^ 0xFF);
	srv.serve("/m/target.bin", body);

	const outcome_case cases[] = {
	    {"ok", route_of(http_fault::none)},
	    {"redirect_followed", route_of(http_fault::redirect, 0, srv.url("/m/target.bin"))},
	    {"wrong_bytes_pass_untouched", route_of(http_fault::wrong_bytes, 777), false, 0, want_data::flipped},
	    {"status_404", route_of(http_fault::status_404), false, 0x20000194, want_data::empty},
	    {"status_500", route_of(http_fault::status_500), false, 0x200001F4, want_data::empty},
	    {"refused", route_of(http_fault::none), true, 0x10000007, want_data::empty, true},
	    {"stall", route_of(http_fault::stall_after, 1000), false, 0x1000001C, want_data::empty, true},
	    {"truncate", route_of(http_fault::truncate, 20000), false, corrupt, want_data::empty, false, true},
	    {"drop_mid_body", route_of(http_fault::drop_mid_body, 20000), false, corrupt, want_data::empty, false, true},
	    // Never a local file, whatever the mirror says.
	    {"redirect_to_file", route_of(http_fault::redirect, 0, "file:///etc/passwd"), false, 0x10000001,
	     want_data::empty},
	};
	ins_url_reader_limits quick;
	quick.stall_us = 300 * 1000;
	for (const outcome_case& c : cases) {
		SCOPED_TRACE(c.name);
		const std::string path = std::string("/m/") + c.name + ".bin";
		srv.serve(path, c.route);
		const std::string base = c.refuse ? srv.refused_url("/m/") : srv.url("/m/");
		reader_rig rig(base, quick);
		testing::internal::CaptureStdout();
		encoded_ptr got = rig.fetch(std::string(c.name) + ".bin", {3, 4});
		std::string printed = testing::internal::GetCapturedStdout();

		EXPECT_EQ(got->err.code, c.code) << error_str(got->err.code);
		EXPECT_EQ(got->slots, (std::vector<int>{3, 4}));
		const std::string url = base + c.name + ".bin";
		switch (c.data) {
		case want_data::body: EXPECT_TRUE(data_of(*got) == body); break;
		case want_data::flipped: EXPECT_TRUE(data_of(*got) == flipped); break;
		case want_data::empty: EXPECT_TRUE(got->data.empty()); break;
		}
		if (c.code == 0) {
			EXPECT_EQ(got->source, url);
		} else {
			EXPECT_EQ(got->source, "");
			EXPECT_EQ(got->err.what, url);
			EXPECT_EQ(got->err.stage, ins_stage_download);
		}
		EXPECT_EQ(printed.find("  (will retry, tries = 0\n") != std::string::npos, c.retry_line) << printed;
		if (c.rests) {
			EXPECT_EQ(rig.reader->error_count, 1);
			EXPECT_FLOAT_EQ(rig.reader->timeout_until, 1010.0f);
			EXPECT_TRUE(eventually([&] { return rig.resting(); }));
		} else {
			EXPECT_EQ(rig.reader->error_count, 0);
			EXPECT_FLOAT_EQ(rig.reader->timeout_until, -1.0f);
		}
		srv.release();
	}
	EXPECT_NE(log.text().find("will time out for 10.000000 seconds.  Error count is now 1."), std::string::npos);
}

// The handle is reused: a failed transfer leaves nothing behind for the next one.
TEST_F(url_reader_outcome, one_reader_after_failures_still_fetches_whole_files)
{
	const std::string body = pattern(200000, 3);
	srv.serve("/m/a.bin", body);
	srv.serve("/m/cut.bin", route_of(http_fault::truncate, 10));
	srv.serve("/m/gone.bin", route_of(http_fault::status_404));
	reader_rig rig(srv.url("/m/"));
	for (const char* name : {"a.bin", "cut.bin", "a.bin", "gone.bin", "a.bin"}) {
		SCOPED_TRACE(name);
		encoded_ptr got = rig.fetch(name);
		if (std::string(name) == "a.bin") {
			EXPECT_EQ(got->err.code, 0u) << error_str(got->err.code);
			EXPECT_TRUE(data_of(*got) == body);
		} else {
			EXPECT_NE(got->err.code, 0u);
			EXPECT_TRUE(got->data.empty());
		}
	}
	EXPECT_EQ(srv.request_count("/m/a.bin"), 3u);
}
