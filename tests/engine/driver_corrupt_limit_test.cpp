// The corrupt-download limit: a run stops once more than 4 downloads came corrupt and they make
// up more than 2% of the results read; until then every corrupt download is fetched again.
#include <regex>

#include "engine/driver_fixture.h"
#include "support/http_fixture.h"

namespace {

constexpr int k_files = 300;

std::string name_of(int i) { return "f/file " + std::to_string(i) + ".dat"; }
std::string content_of(int i) { return "content of file " + std::to_string(i) + std::string(200 + i % 50, 'x'); }

class driver_corrupt_limit : public driver_test {
protected:
	// 300 stored files on one mirror; the listed ones arrive damaged on their first request.
	void serve_release(const std::vector<int>& damaged_once)
	{
		std::vector<driver_model_file> files;
		for (int i = 0; i < k_files; ++i) files.push_back({name_of(i), ins_comp_stored, 1, content_of(i)});
		driver_set_model(files);
		std::filesystem::create_directories(dest_dir_path + "f");
		for (int i = 0; i < k_files; ++i) {
			http_route r;
			r.body = content_of(i);
			if (std::find(damaged_once.begin(), damaged_once.end(), i) != damaged_once.end()) {
				r.fault = http_fault::wrong_bytes;
				r.fault_bytes = 3;
				r.faulty_requests = 1;
			}
			srv.serve("/m/rel/" + name_of(i), std::move(r));
		}
		add_server(srv.host(), "/m/", "Only");
	}

	int installed_count()
	{
		int n = 0;
		for (int i = 0; i < k_files; ++i)
			n += scratch_dir::read_file(dest_dir_path + name_of(i)) == content_of(i);
		return n;
	}

	http_fixture srv;
};

TEST_F(driver_corrupt_limit, six_corrupt_among_the_first_results_halts_on_the_sixth)
{
	serve_release({0, 1, 2, 3, 4, 5});
	int last = -1;
	ASSERT_TRUE(run([&](int r) {
		last = r;
		return r == install_files_failed;
	}));
	ASSERT_EQ(last, install_files_failed);
	std::string text;
	EXPECT_EQ(install_files_get_error(text, true), 0x70004E30u);

	const std::string logged = log.text();
	std::smatch m;
	ASSERT_TRUE(std::regex_search(logged, m, std::regex("Halting on our 5 bad DL of ([0-9]+) tickets\\.")))
	    << logged;
	const int tickets = std::stoi(m[1]);
	EXPECT_GE(tickets, 6);
	EXPECT_LT(tickets, 5 * 50) << "only within the first 250 results does the sixth halt";
	size_t retries = 0;
	for (size_t at = logged.find("We will retry the file"); at != std::string::npos;
	     at = logged.find("We will retry the file", at + 1))
		++retries;
	EXPECT_EQ(retries, 5u);

	// Going on after the question: every other file arrives, the one given up stays out.
	ASSERT_NO_FATAL_FAILURE(run_to_end());
	EXPECT_EQ(installed_count(), k_files - 1);
	dl_stats s;
	install_get_download_stats(s);
	EXPECT_EQ(s.files_installed, k_files - 1);
	EXPECT_EQ(s.error_count, 5);
	EXPECT_EQ(s.tickets_done, k_files + 5);
}

TEST_F(driver_corrupt_limit, six_corrupt_after_many_good_results_are_all_fetched_again)
{
	serve_release({294, 295, 296, 297, 298, 299});
	ASSERT_NO_FATAL_FAILURE(run_to_end());
	EXPECT_EQ(installed_count(), k_files);
	const std::string logged = log.text();
	EXPECT_EQ(logged.find("Halting on our"), std::string::npos) << logged;
	dl_stats s;
	install_get_download_stats(s);
	EXPECT_EQ(s.files_installed, k_files);
	EXPECT_EQ(s.error_count, 6);
	EXPECT_EQ(s.tickets_done, k_files + 6);
	for (int i = 294; i < k_files; ++i) EXPECT_EQ(srv.request_count("/m/rel/" + name_of(i)), 2u) << i;
}

}  // namespace
