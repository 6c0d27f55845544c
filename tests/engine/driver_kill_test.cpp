// A run killed in the middle: release 1 is installed, then a child process updates it to release 2
// from a slow mirror and is killed with SIGKILL half way. No file is torn (each is absent, the old
// version or the new one), and the next run's scan and plan repair the whole installation.
#include <signal.h>
#include <sys/wait.h>

#include "engine/driver_fixture.h"
#include "support/mirror_fixture.h"

namespace {

class driver_kill : public driver_test {
protected:
	void use_mirror(const std::string& host, const std::string& path)
	{
		server_list.servers.clear();
		add_server(host, path, "Mirror");
		next_index = done_index = 0;
	}
};

// The child: the whole road of an update, as the install step takes it. Exit 0 only when it ended.
[[noreturn]] void update_in_child(driver_test* t, const std::function<void()>& road)
{
	road();
	std::fflush(stdout);
	_exit(t->HasFailure() ? 2 : 0);
}

TEST_F(driver_kill, an_update_killed_half_way_leaves_no_torn_file_and_the_next_run_repairs_it)
{
	load_release(DRIVER_R1);
	mirror_fixture healthy(root, {{}});
	use_mirror(healthy.host(0), healthy.path());
	scan();
	plan();
	ASSERT_NO_FATAL_FAILURE(run_to_end());

	// The slow mirror: about 50 KB a second, so the update's 20 downloads take seconds.
	load_release(DRIVER_R2);
	http_fixture slow;
	for (const std::string& rel : healthy.files()) {
		http_route r;
		r.body = scratch_dir::read_file(root + rel);
		r.fault = http_fault::slow_rate;
		r.rate_bytes = 1024;
		r.tick_ms = 20;
		slow.serve("/slow/" + rel, std::move(r));
	}
	use_mirror(slow.host(), "/slow/");

	const pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0)
		update_in_child(this, [&] {
			scan();
			plan();
			run_to_end();
		});
	// Killed once a few downloads are through, while later ones are still on the way.
	const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
	while (slow.total_request_count() < 6 && std::chrono::steady_clock::now() < give_up)
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	EXPECT_GE(slow.total_request_count(), 6u) << "the child never got going";
	kill(child, SIGKILL);
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
	    << "the update ended before it was killed (status " << status << ")";

	int old_kept = 0, new_written = 0;
	for (const file_history_struct& f : sim_info.files) {
		const file_version_struct& v = f.cur();
		if (!file_passes_filters(v)) continue;
		std::string md5;
		if (!driver_local_md5(dest_dir_path + v.path, md5)) continue;
		bool known = false;
		for (const file_version_struct& older : f.versions) known |= older.sig_want == md5;
		EXPECT_TRUE(known) << v.path << " is torn: " << md5;
		if (f.versions.size() > 1 && md5 == v.sig_want) ++new_written;
		if (f.versions.size() > 1 && md5 != v.sig_want) ++old_kept;
	}
	EXPECT_GT(new_written, 0) << "nothing of the update was written before the kill";
	EXPECT_GT(old_kept, 0) << "the update was complete before the kill";

	use_mirror(healthy.host(0), healthy.path());
	scan();
	plan();
	EXPECT_GT(wanted_count(), 0);
	ASSERT_NO_FATAL_FAILURE(run_to_end());
	expect_installation_matches();
}

}  // namespace
