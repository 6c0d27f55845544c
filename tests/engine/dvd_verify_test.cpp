// Checking that the disc holding the next wanted file is in: two discs at once, and a disc swap.
#include "engine/dvd_namespace.h"

#include <chrono>

#include "core/installer/dvd_locate.h"
#include "core/installer/sim_info.h"
#include "engine/download_name_cases.h"

namespace {

void add_file(const std::string& path, int compression, int disk)
{
	file_history_struct f;
	f.versions.resize(1);
	f.cur().path = path;
	f.cur().compression = compression;
	f.cur().disk = disk;
	sim_info.files.push_back(f);
}

// Disc 0 holds R1/Resources/a.txt.zip, disc 1 R1/Custom/b.zip, disc 2 R1/Docs/readme.txt.
void three_disc_manifest()
{
	sim_info.clear();
	sim_info.source = ins_src_dvd;
	sim_info.install_name = "R1";
	add_file("Resources/a.txt", ins_comp_zip, 0);
	add_file("Custom/b/c.dat", ins_comp_folder_zip, 1);
	add_file("Docs/readme.txt", ins_comp_stored, 2);
}

TEST(dvd_download_name, by_compression)
{
	for (const download_name_case& c : download_name_cases) {
		sim_info.clear();
		add_file(c.path, c.compression, 0);
		EXPECT_EQ(dvd_download_name(0), c.name) << c.path << " " << c.compression;
	}
	sim_info.clear();
}

void two_discs_mounted(const std::string& base, dvd_checks& c)
{
	const std::string a = base + "a/SKYVANE11", b = base + "b/SKYVANE11";
	c.expect(dvd_mount_disc(a) && dvd_mount_disc(b), "mounting the discs");
	dvd_put(a + "/R1/Resources/a.txt.zip", "disc 0");
	dvd_put(b + "/R1/Custom/b.zip", "disc 1");
	three_disc_manifest();
	sim_info.dvd_root = "stale/";
	current_disk = 7;

	const struct {
		int want;
		int result;
		int disk_after;
		std::string root_after;
	} cases[] = {
	    {1, 1, 1, b + "/"},   // the second volume holds it
	    {0, 1, 0, a + "/"},
	    {2, 0, 0, a + "/"},   // no disc holds it: nothing changes
	    {99, 0, 0, a + "/"},  // not a manifest path
	    {-1, 0, 0, a + "/"},
	};
	for (const auto& k : cases) {
		want_file_disk = k.want;
		const std::string what = "wanted file " + std::to_string(k.want);
		c.eq(UTIL_verify_disk(), k.result, what);
		c.eq(current_disk, k.disk_after, what + ": disc in use");
		c.eq(sim_info.dvd_root, k.root_after, what + ": disc root");
	}
	c.eq(dvd_check_key_file, "R1/Docs/readme.txt", "a check of no manifest path leaves the key alone");

	// Both discs hold the file: the one mounted first is taken.
	dvd_put(b + "/R1/Resources/a.txt.zip", "copy");
	want_file_disk = 0;
	sim_info.dvd_root.clear();
	c.eq(UTIL_verify_disk(), 1, "file on both discs");
	c.eq(sim_info.dvd_root, a + "/", "first of two");

	// A network manifest needs no disc.
	sim_info.files[2].cur().disk = -1;
	want_file_disk = 2;
	c.eq(UTIL_verify_disk(), 1, "network file");
	c.eq(current_disk, -1, "no disc in use for a network file");
}

TEST(dvd_verify, picks_the_mounted_disc_holding_the_wanted_file)
{
	DVD_IN_PRIVATE_MOUNTS(two_discs_mounted);
}

void disc_swap(const std::string& base, dvd_checks& c)
{
	const std::string drive = base + "drive/SKYVANE11";
	three_disc_manifest();
	c.expect(dvd_mount_disc(drive), "inserting disc 1");
	dvd_put(drive + "/R1/Resources/a.txt.zip", "disc 0");
	want_file_disk = 0;
	c.eq(UTIL_verify_disk(), 1, "disc 1 in");
	c.eq(sim_info.dvd_root, drive + "/", "disc 1 root");
	want_file_disk = 1;
	c.eq(UTIL_verify_disk(), 0, "disc 2 wanted while disc 1 is in");
	c.eq(current_disk, 0, "disc 1 still in use");

	const auto start = std::chrono::steady_clock::now();
	c.eq(eject_dvd(sim_info.dvd_root), 0u, "ejecting disc 1");
	c.expect(std::chrono::steady_clock::now() - start <= std::chrono::seconds(10), "eject kept to its bound");
	c.expect(!dvd_is_mounted(drive), "disc 1 gone after the eject");
	c.eq(UTIL_verify_disk(), 0, "empty drive");

	c.expect(dvd_mount_disc(drive), "inserting a wrong disc");
	c.eq(UTIL_verify_disk(), 0, "wrong disc");
	c.expect(umount2(drive.c_str(), 0) == 0, "taking the wrong disc out");

	c.expect(dvd_mount_disc(drive), "inserting disc 2");
	dvd_put(drive + "/R1/Custom/b.zip", "disc 1");
	c.eq(UTIL_verify_disk(), 1, "disc 2 in");
	c.eq(current_disk, 1, "disc 2 in use");
	c.eq(sim_info.dvd_root, drive + "/", "disc 2 root");
}

TEST(dvd_verify, a_second_disc_swapped_into_the_drive)
{
	DVD_IN_PRIVATE_MOUNTS(disc_swap);
}

}  // namespace
