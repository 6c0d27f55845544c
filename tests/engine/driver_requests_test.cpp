// How the driver turns the plan into requests: download names, the files one download serves,
// folder archives (one request; a file not to install between; a file missing from the archive),
// a plan with nothing to do, and a network source without servers.
#include <sys/stat.h>

#include "engine/download_name_cases.h"
#include "engine/driver_fixture.h"
#include "support/http_fixture.h"
#include "support/zip_maker.h"

namespace {

TEST(driver_names, download_name_by_compression)
{
	for (const download_name_case& c : download_name_cases) {
		driver_set_model({{c.path, c.compression, 1, "x"}});
		EXPECT_EQ(suffix_for_file(c.path, 0), c.name) << c.path << " " << c.compression;
	}
	sim_info.clear();
}

TEST(driver_names, files_served_by_one_download)
{
	driver_set_model({
	    {"a/b/1.txt", ins_comp_folder_zip, 1, "1"},
	    {"a/b/2.txt", ins_comp_folder_zip, 0, "2"},  // not to install: passed over, no split
	    {"a/b/3.txt", ins_comp_folder_zip, 1, "3"},
	    {"a/b/c/4.txt", ins_comp_folder_zip, 1, "4"},  // a sub-folder is an archive of its own
	    {"a/b/5.txt", ins_comp_folder_zip, 1, "5"},
	    {"a/b/6.txt", ins_comp_zip, 1, "6"},  // same folder, zipped alone
	    {"a/b/7.txt", ins_comp_folder_zip, 1, "7"},
	    {"a/bc/8.txt", ins_comp_folder_zip, 1, "8"},  // a folder whose name only starts alike
	    {"x.txt", ins_comp_stored, 1, "x"},
	});
	const struct {
		int index;
		std::vector<int> slots;
		int after;
	} cases[] = {
	    {0, {0, 2}, 3}, {3, {3}, 4}, {4, {4}, 5}, {5, {5}, 6}, {6, {6}, 7}, {7, {7}, 8}, {8, {8}, 9},
	};
	for (const auto& c : cases) {
		std::vector<int> slots = {42};
		EXPECT_EQ(get_slot_set(c.index, slots), c.after) << c.index;
		EXPECT_EQ(slots, c.slots) << c.index;
	}
	sim_info.clear();
}

// A loopback mirror with a hand-made release "rel/".
class driver_requests : public driver_test {
protected:
	void SetUp() override
	{
		driver_test::SetUp();
		add_server(srv.host(), "/m/", "Only");
	}
	void serve_zip(const std::string& rel, const std::vector<zip_test_entry>& entries)
	{
		std::vector<char> z = make_zip(entries);
		srv.serve("/m/rel/" + rel, std::string(z.begin(), z.end()));
	}
	void make_folders(const std::string& rel) { std::filesystem::create_directories(dest_dir_path + rel); }
	std::string local(const std::string& rel) { return scratch_dir::read_file(dest_dir_path + rel); }
	bool exists(const std::string& rel)
	{
		struct stat st;
		return lstat((dest_dir_path + rel).c_str(), &st) == 0;
	}

	http_fixture srv;
};

TEST_F(driver_requests, a_folder_archive_is_one_request_and_skips_a_file_not_to_install)
{
	driver_set_model({
	    {"a/b/one.txt", ins_comp_folder_zip, 1, "one, new"},
	    {"a/b/two.txt", ins_comp_folder_zip, 0, "two, new"},
	    {"a/b/three.txt", ins_comp_folder_zip, 1, "three, new"},
	    {"top.txt", ins_comp_stored, 1, "top"},
	});
	serve_zip("a/b.zip", {{"one.txt", "one, new"}, {"two.txt", "two, new"}, {"three.txt", "three, new"}});
	srv.serve("/m/rel/top.txt", "top");
	make_folders("a/b");
	dir.write("Skyvane 11/a/b/two.txt", "two, kept");

	ASSERT_NO_FATAL_FAILURE(run_to_end());
	EXPECT_EQ(srv.request_count("/m/rel/a/b.zip"), 1u);
	EXPECT_EQ(local("a/b/one.txt"), "one, new");
	EXPECT_EQ(local("a/b/three.txt"), "three, new");
	EXPECT_EQ(local("a/b/two.txt"), "two, kept") << "a file not to install is left alone";
	EXPECT_EQ(local("top.txt"), "top");
	EXPECT_EQ(done_index, 4);
	EXPECT_EQ(next_index, 4);
	dl_stats s;
	install_get_download_stats(s);
	EXPECT_EQ(s.files_installed, 3);
	EXPECT_EQ(s.tickets_done, 2);
	EXPECT_EQ(s.error_count, 0);
	EXPECT_EQ(sim_info.files[0].cur().sig_have, sim_info.files[0].cur().sig_want);
	EXPECT_EQ(sim_info.files[1].cur().sig_have, "NONE");
}

TEST_F(driver_requests, a_file_missing_from_its_archive_is_never_reported_installed)
{
	driver_set_model({
	    {"a/b/one.txt", ins_comp_folder_zip, 1, "one"},
	    {"a/b/missing.txt", ins_comp_folder_zip, 1, "missing"},
	    {"c.txt", ins_comp_zip, 1, "c"},
	});
	serve_zip("a/b.zip", {{"one.txt", "one"}});
	serve_zip("c.txt.zip", {{"c.txt", "c"}});
	make_folders("a/b");

	// The archive is fetched again like a corrupt one; the sixth time the run gives the file up.
	int last = -1;
	ASSERT_TRUE(run([&](int r) {
		last = r;
		return r == install_files_failed;
	}));
	ASSERT_EQ(last, install_files_failed);
	std::string text;
	EXPECT_EQ(install_files_get_error(text, true), 0x70004E30u);
	EXPECT_EQ(text, error_str(0x70004E30u));
	EXPECT_EQ(srv.request_count("/m/rel/a/b.zip"), 6u);
	const std::string logged = log.text();
	EXPECT_NE(logged.find("the archive does not hold a/b/missing.txt"), std::string::npos) << logged;
	EXPECT_NE(logged.find("Halting on our 5 bad DL of"), std::string::npos) << logged;

	// The run goes on after the caller chose to continue, and ends without the missing file.
	ASSERT_NO_FATAL_FAILURE(run_to_end());
	EXPECT_EQ(local("a/b/one.txt"), "one");
	EXPECT_EQ(local("c.txt"), "c");
	EXPECT_FALSE(exists("a/b/missing.txt"));
	EXPECT_EQ(sim_info.files[1].cur().sig_have, "NONE");
	dl_stats s;
	install_get_download_stats(s);
	EXPECT_EQ(s.files_installed, 2);
	EXPECT_EQ(s.error_count, 5);
}

TEST_F(driver_requests, nothing_to_install_finishes_on_the_first_call)
{
	const struct {
		const char* name;
		std::vector<driver_model_file> files;
	} cases[] = {
	    {"empty manifest", {}},
	    {"all up to date", {{"a.txt", ins_comp_stored, 0, "a"}, {"b/c.txt", ins_comp_folder_zip, 0, "c"}}},
	};
	for (const auto& c : cases) {
		driver_set_model(c.files);
		next_index = done_index = 0;
		EXPECT_EQ(step(), install_files_done) << c.name;
		EXPECT_FALSE(install_files_running()) << c.name;
		EXPECT_EQ(next_index, static_cast<int>(c.files.size())) << c.name;
		EXPECT_EQ(done_index, static_cast<int>(c.files.size())) << c.name;
		dl_stats s;
		install_get_download_stats(s);
		EXPECT_EQ(s.tickets_done, 0) << c.name;
		EXPECT_EQ(s.files_installed, 0) << c.name;
	}
	EXPECT_EQ(srv.total_request_count(), 0u);
}

TEST_F(driver_requests, a_network_source_without_servers_fails_instead_of_waiting)
{
	server_list.servers.clear();
	driver_set_model({{"a.txt", ins_comp_stored, 1, "a"}});
	EXPECT_EQ(step(), install_files_failed);
	std::string text;
	EXPECT_EQ(install_files_get_error(text, true), 0x70004E2Bu);
	EXPECT_EQ(text, "Could not find the server over the network");
	EXPECT_FALSE(install_files_running());
}

TEST_F(driver_requests, large_downloads_under_way_are_held_to_a_memory_budget)
{
	// The manifest announces 100 MB per file (fetched, then as much unpacked): only one such
	// download fits under way at a time, though three readers wait for work.
	driver_set_model({{"big/1.dat", ins_comp_stored, 1, "one"},
	                  {"big/2.dat", ins_comp_stored, 1, "two"},
	                  {"big/3.dat", ins_comp_stored, 1, "three"}});
	for (file_history_struct& f : sim_info.files) {
		f.cur().download_kb = 100000;
		f.cur().disk_kb = 100000;
	}
	server_list.servers.clear();
	for (int i = 0; i < 3; ++i) add_server(srv.host(), "/m/", "Mirror " + std::to_string(i));
	http_route stalled;
	stalled.body = "one";
	stalled.fault = http_fault::stall_after;
	stalled.fault_bytes = 1;
	stalled.faulty_requests = 1;
	srv.serve("/m/rel/big/1.dat", std::move(stalled));
	srv.serve("/m/rel/big/2.dat", "two");
	srv.serve("/m/rel/big/3.dat", "three");
	make_folders("big");

	EXPECT_EQ(step(), install_files_going);
	ASSERT_TRUE(srv.wait_body_sent("/m/rel/big/1.dat", 1));
	// Frames go by while the first download hangs; a second request would reach the server at once.
	for (int i = 0; i < 50; ++i) {
		EXPECT_EQ(step(), install_files_going);
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	EXPECT_EQ(srv.total_request_count(), 1u);
	// The cut-off download is fetched again, then the others follow one by one.
	srv.release();
	ASSERT_NO_FATAL_FAILURE(run_to_end());
	EXPECT_EQ(local("big/1.dat"), "one");
	EXPECT_EQ(local("big/2.dat"), "two");
	EXPECT_EQ(local("big/3.dat"), "three");
	dl_stats s;
	install_get_download_stats(s);
	EXPECT_EQ(s.files_installed, 3);
	EXPECT_EQ(s.error_count, 1);
}

TEST_F(driver_requests, stray_temporary_files_of_a_killed_run_are_cleaned_at_the_start)
{
	driver_set_model({{"a/b.txt", ins_comp_stored, 1, "b"}});
	srv.serve("/m/rel/a/b.txt", "b");
	make_folders("a");
	const std::string stray = "a/" + ins_temp_name("b.txt");
	dir.write("Skyvane 11/" + stray, "half a fi");
	ASSERT_TRUE(exists(stray));
	ASSERT_NO_FATAL_FAILURE(run_to_end());
	EXPECT_FALSE(exists(stray));
	EXPECT_EQ(local("a/b.txt"), "b");
}

}  // namespace
