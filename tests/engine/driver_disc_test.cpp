// Installing from discs: real volumes named SKYVANE11 (tmpfs in a private mount namespace). The
// sample release split over two discs stops with 2 once the first disc's files are written and
// goes on from the second; a corrupt read from a disc is retried with 4.
#include "engine/dvd_namespace.h"
#include "engine/driver_fixture.h"

#include <sys/mount.h>

#include "core/installer/dvd_locate.h"

namespace {

// Set by the test before it enters the namespace (a child re-runs the test up to that point).
std::string s_release;  // the release folder: mirror root + install name + "/"
int s_split = 0;        // files from this index on lie on disc 1

bool mount_disc(const std::string& at)
{
	std::filesystem::create_directories(at);
	return mount("tmpfs", at.c_str(), "tmpfs", 0, "size=32m") == 0;
}

// Puts on a mounted disc the downloads of the files of that disc that the plan fetches.
void burn_disc(const std::string& disc_root, int disk, dvd_checks& c)
{
	for (size_t i = 0; i < sim_info.files.size(); ++i) {
		const file_version_struct& v = sim_info.files[i].cur();
		if (!v.want_install || v.disk != disk) continue;
		const std::string name = suffix_for_file(v.path, static_cast<int>(i));
		const std::string to = disc_root + "/" + sim_info.install_name + "/" + name;
		std::error_code ec;
		std::filesystem::create_directories(std::filesystem::path(to).parent_path(), ec);
		std::filesystem::copy_file(s_release + name, to, std::filesystem::copy_options::overwrite_existing, ec);
		c.expect(!ec, "copying " + name + " to disc " + std::to_string(disk) + ": " + ec.message());
	}
}

// Steps the driver until it returns something in stop (or 1); the result, or -1 after 120 s.
int drive(int& next, int& done, int disk, std::initializer_list<int> stop, std::map<int, int>& seen)
{
	const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(120);
	while (std::chrono::steady_clock::now() < give_up) {
		app_clock_advance();
		const int r = install_files(next, disk, done);
		seen[r]++;
		if (r == install_files_done || std::find(stop.begin(), stop.end(), r) != stop.end()) return r;
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	return -1;
}

void expect_files_of(int disk_limit, dvd_checks& c)
{
	for (size_t i = 0; i < sim_info.files.size(); ++i) {
		const file_version_struct& v = sim_info.files[i].cur();
		if (!v.want_install) continue;
		std::string md5;
		const bool there = driver_local_md5(dest_dir_path + v.path, md5);
		if (v.disk <= disk_limit)
			c.eq(there ? md5 : std::string("absent"), v.sig_want, v.path);
		else
			c.expect(!there, v.path + " is on a later disc but was written");
	}
}

void install_from_two_discs(const std::string& base, dvd_checks& c)
{
	const std::string d0 = base + "tray/SKYVANE11", d1 = base + "tray2/SKYVANE11";
	if (!mount_disc(d0)) return c.expect(false, "mounting disc 0");
	burn_disc(d0, 0, c);

	int next = 0, done = 0;
	std::map<int, int> seen;
	want_file_disk = 0;
	while (want_file_disk < static_cast<int>(sim_info.files.size()) && !sim_info.files[want_file_disk].cur().want_install)
		++want_file_disk;
	c.eq(UTIL_verify_disk(), 1, "disc 0 found");
	c.eq(current_disk, 0, "disc in use");
	c.eq(drive(next, done, current_disk, {install_files_next_disc, install_files_failed}, seen),
	     int(install_files_next_disc), "result once disc 0 is done");
	c.eq(next, s_split, "the wanted file is the first of disc 1");
	c.expect(done <= s_split, "nothing of disc 1 counted as written");
	c.expect(install_files_running(), "the pipeline waits for the next disc");
	expect_files_of(0, c);

	// Out with disc 0, in with disc 1, as the install step does it.
	c.expect(umount2(d0.c_str(), 0) == 0, "ejecting disc 0");
	if (!mount_disc(d1)) return c.expect(false, "mounting disc 1");
	burn_disc(d1, 1, c);
	want_file_disk = next;
	c.eq(UTIL_verify_disk(), 1, "disc 1 found");
	c.eq(current_disk, 1, "disc in use");
	c.eq(sim_info.dvd_root, d1 + "/", "disc root");
	c.eq(drive(next, done, current_disk, {install_files_next_disc, install_files_failed}, seen),
	     int(install_files_done), "result on disc 1");
	c.eq(seen[install_files_retrying], 0, "no retries");
	c.eq(done, static_cast<int>(sim_info.files.size()), "every file written");
	expect_files_of(1, c);
}

void corrupt_read_is_retried(const std::string& base, dvd_checks& c)
{
	const std::string d0 = base + "tray/SKYVANE11";
	if (!mount_disc(d0)) return c.expect(false, "mounting the disc");
	burn_disc(d0, 0, c);
	// The first stored file the plan fetches reads back damaged.
	int damaged = -1;
	for (size_t i = 0; i < sim_info.files.size() && damaged < 0; ++i)
		if (sim_info.files[i].cur().want_install && sim_info.files[i].cur().compression == ins_comp_stored)
			damaged = static_cast<int>(i);
	if (damaged < 0) return c.expect(false, "a stored file in the release");
	const std::string name = suffix_for_file(sim_info.files[damaged].cur().path, damaged);
	const std::string on_disc = d0 + "/" + sim_info.install_name + "/" + name;
	const std::string good = scratch_dir::read_file(on_disc);
	std::ofstream(on_disc, std::ios::binary | std::ios::trunc) << good << "scratch";

	int next = 0, done = 0;
	std::map<int, int> seen;
	want_file_disk = damaged;
	c.eq(UTIL_verify_disk(), 1, "disc found");
	c.eq(drive(next, done, current_disk, {install_files_retrying, install_files_failed}, seen),
	     int(install_files_retrying), "a corrupt read");
	std::string text;
	c.eq(install_files_get_error(text, true), 0x70004E30u, "the error of a corrupt read");
	// The scratch is cleaned off; the retried read succeeds.
	std::ofstream(on_disc, std::ios::binary | std::ios::trunc) << good;
	c.eq(drive(next, done, current_disk, {install_files_failed, install_files_next_disc}, seen),
	     int(install_files_done), "the run after the disc was cleaned");
	expect_files_of(0, c);
}

class driver_disc : public driver_test {
protected:
	// The sample release as a disc set: its first half on disc 0, the rest on disc 1.
	void prepare(bool two_discs)
	{
		ASSERT_NO_FATAL_FAILURE(load_release(DRIVER_R1));
		s_release = root + DRIVER_R1 + "/";
		sim_info.source = ins_src_dvd;
		s_split = two_discs ? static_cast<int>(sim_info.files.size() / 2) : static_cast<int>(sim_info.files.size());
		for (size_t i = 0; i < sim_info.files.size(); ++i)
			sim_info.files[i].cur().disk = static_cast<int>(i) < s_split ? 0 : 1;
		// The scan of a folder that does not exist yet starts no threads, which the namespace needs.
		ASSERT_NO_FATAL_FAILURE(scan());
		ASSERT_NO_FATAL_FAILURE(plan());
		ASSERT_GT(wanted_count(), 100);
		current_disk = -1;
	}
};

TEST_F(driver_disc, a_two_disc_set_asks_for_the_second_disc_and_goes_on_from_it)
{
	prepare(true);
	if (HasFatalFailure()) return;
	DVD_IN_PRIVATE_MOUNTS(install_from_two_discs);
}

TEST_F(driver_disc, a_corrupt_read_from_a_disc_is_retried_and_reported_with_4)
{
	prepare(false);
	if (HasFatalFailure()) return;
	DVD_IN_PRIVATE_MOUNTS(corrupt_read_is_retried);
}

}  // namespace
