// Several readers, one per mirror, sharing one request queue: every request yields one record,
// healthy mirrors deliver the release's bytes, a failing one only yields its own error.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "support/mirror_fixture.h"
#include "support/scratch_dir.h"
#include "url_reader_rig.h"

namespace {

class url_reader_mirrors : public url_reader_test {
protected:
	void SetUp() override
	{
		url_reader_test::SetUp();
		for (int i = 0; i < 40; ++i) {
			std::string folder = "rel/f" + std::to_string(i % 4) + (i % 3 ? "" : " x");
			release.mkdirs(folder);
			std::string name = folder + "/file " + std::to_string(i) + ".bin";
			release.write(name, pattern(1000 + 997 * i, i));
			names.push_back(name);
		}
	}

	struct run_result {
		std::map<std::string, int> ok_from;       // base URL -> records delivered
		std::map<err_code_t, std::set<std::string>> failed_on;  // code -> base URLs
		int records = 0;
	};

	// Fetches every name once through one reader per mirror.
	run_result run(mirror_fixture& m)
	{
		UTL_atomic_fifo<ins_req_file*> in(400);
		UTL_atomic_fifo<ins_encoded_file*> out(400);
		std::vector<std::unique_ptr<ins_url_reader>> readers;
		for (size_t i = 0; i < m.size(); ++i) readers.push_back(std::make_unique<ins_url_reader>(&in, &out, m.base_url(i)));
		for (size_t i = 0; i < names.size(); ++i) in.write(new ins_req_file{{static_cast<int>(i)}, names[i]}, -1);
		run_result r;
		for (size_t k = 0; k < names.size(); ++k) {
			ins_encoded_file* f = nullptr;
			out.read(f, -1);
			encoded_ptr got(f);
			++r.records;
			EXPECT_EQ(got->slots.size(), 1u);
			const std::string& name = names.at(got->slots.at(0));
			const std::string& url = got->err.code == 0 ? got->source : got->err.what;
			std::string base;
			for (size_t i = 0; i < m.size(); ++i)
				if (url.rfind(m.base_url(i), 0) == 0) base = m.base_url(i);
			EXPECT_NE(base, "") << url;
			if (got->err.code == 0) {
				r.ok_from[base]++;
				EXPECT_TRUE(data_of(*got) == release.read(name)) << name;
			} else {
				r.failed_on[got->err.code].insert(base);
				EXPECT_TRUE(got->data.empty());
			}
		}
		for (auto& rd : readers) rd->send_end_markers();
		readers.clear();
		return r;
	}

	scratch_dir release;
	std::vector<std::string> names;
};

}  // namespace

TEST_F(url_reader_mirrors, healthy_mirrors_serve_the_release)
{
	mirror_fixture m(release.path(), {{}, {}, {}});
	run_result r = run(m);
	EXPECT_EQ(r.records, 40);
	EXPECT_TRUE(r.failed_on.empty());
	int served = 0;
	for (auto& [base, n] : r.ok_from) served += n;
	EXPECT_EQ(served, 40);
	size_t requests = 0;
	for (size_t i = 0; i < m.size(); ++i) requests += m.total_requests(i);
	EXPECT_EQ(requests, 40u);  // one request per download, no retries by the reader
}

TEST_F(url_reader_mirrors, a_failing_mirror_yields_only_its_own_error)
{
	const struct {
		const char* name;
		mirror_mode bad;
		err_code_t code;
	} cases[] = {
	    {"refuses", {.refuse = true}, 0x10000007},
	    {"truncates", {.fault = http_fault::truncate, .fault_bytes = 100}, err_make(err_dom_ins, ins_err_corrupt)},
	    {"answers_404", {.fault = http_fault::status_404}, 0x20000194},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.name);
		mirror_fixture m(release.path(), {{}, c.bad, {}});
		run_result r = run(m);
		EXPECT_EQ(r.records, 40);
		EXPECT_EQ(r.ok_from.count(m.base_url(1)), 0u);
		for (auto& [code, bases] : r.failed_on) {
			EXPECT_EQ(code, c.code) << error_str(code);
			EXPECT_EQ(bases, std::set<std::string>{m.base_url(1)});
		}
	}
}
