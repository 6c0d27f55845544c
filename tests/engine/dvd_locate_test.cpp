// Finding the first disc of the set among real mounted volumes, and reading it.
#include "engine/dvd_namespace.h"

#include "core/installer/dvd_directory_reader.h"
#include "core/installer/dvd_locate.h"
#include "core/installer/sim_info.h"
#include "core/ui/stg.h"
#include "support/zip_maker.h"

namespace {

const std::string k_md5 = "d41d8cd98f00b204e9800998ecf8427e";
std::string g_temp;

std::string joined(const std::vector<std::string>& v)
{
	std::string s;
	for (const std::string& e : v) s += "[" + e + "]";
	return s;
}

void locate_first_disc(const std::string& base, dvd_checks& c)
{
	const std::string other = base + "x/OTHER", disc2 = base + "a/SKYVANE11", disc1 = base + "b/SKYVANE11";
	const std::string plain = base + "c/SKYVANE11";
	c.expect(dvd_mount_disc(other) && dvd_mount_disc(disc2) && dvd_mount_disc(disc1), "mounting the volumes");
	const std::string description = "I\n1100 version\nDVD\nVERSION R1\nSkyvane 11 Disc 1\n";
	dvd_put(other + "/dvd_version.txt", description);
	std::filesystem::create_directories(plain);  // a folder of that name, but no volume
	dvd_put(plain + "/dvd_version.txt", description);
	dvd_put(disc2 + "/R1/Custom/b.zip", "zip");
	dvd_put(disc1 + "/dvd_version.txt", description);
	dvd_put(disc1 + "/empty.txt", "");
	std::filesystem::create_directories(disc1 + "/R1");
	c.expect(write_zip_file(disc1 + "/R1/directory.txt.zip",
	                        {{"directory.txt", "I\n1100 version\nINSTALLER\n"
	                                           "FILE 0 0 0 0 0 0 1 1 " + k_md5 + " Resources/a.txt\n"
	                                           "DISK 1\n"
	                                           "FILE 8 0 9 12 9 12 1 1 " + k_md5 + " Custom/b/c.dat\n"}}),
	         "writing the manifest");

	// Only volumes named SKYVANE11 are asked, in the order they were mounted.
	static std::vector<std::string> asked;
	c.eq(UTL_locate_dvd([](const std::string& root) { asked.push_back(root); return 0; }), "", "nobody says yes");
	c.eq(joined(asked), joined({disc2 + "/", disc1 + "/"}), "volumes asked");
	c.eq(UTL_locate_dvd([](const std::string&) { return 1; }), disc2 + "/", "first volume that says yes");

	c.eq(UTIL_locate_dvd_by_root_file("dvd_version.txt"), disc1 + "/", "disc holding the description");
	c.eq(dvd_locate_fn("dvd_version.txt"), disc1 + "/", "the description reader's volume search");
	c.eq(UTIL_locate_dvd_by_root_file("empty.txt"), disc1 + "/", "an empty key file is still there");
	c.eq(UTIL_locate_dvd_by_root_file("R1/Custom/b.zip"), disc2 + "/", "disc holding a wanted file");
	c.eq(UTIL_locate_dvd_by_root_file("nothing.txt"), "", "no disc holds the file");

	// The two key files are separate: a disc check leaves the description search alone.
	c.eq(dvd_desc_key_file, "dvd_version.txt", "description key after the checks");
	c.eq(dvd_desc_has_file(disc1 + "/"), 1, "description on disc 1");
	c.eq(dvd_has_file(disc1 + "/"), 0, "disc check key on disc 1");

	g_temp = base + "temp/";
	std::filesystem::create_directories(g_temp);
	dvd_temp_path_fn = [] { return g_temp; };
	sim_info.clear();
	current_disk = -1;
	c.eq(UTIL_scan_dvd(), 0, "scan");
	c.eq(sim_info.version, 1100, "manifest version");
	c.eq(sim_info.dvd_root, disc1 + "/", "disc root");
	c.eq(sim_info.install_name, "R1", "install name");
	c.eq(sim_info.files.size(), 2u, "files");
	c.eq(current_disk, 0, "disc in use");
	c.eq(stg.wrl_avail[9][12], 1, "tile table from the disc's scenery");
	c.eq(stg.wrl_avail[0][0], 0, "tile without scenery");

	// A set whose first disc is not in: nothing found, nothing in use.
	c.expect(umount2(disc1.c_str(), 0) == 0, "unmounting disc 1");
	sim_info.clear();
	current_disk = -1;
	c.eq(UTIL_scan_dvd(), 6, "scan without the first disc");
	c.eq(sim_info.dvd_root, "", "no disc root");
	c.eq(current_disk, -1, "no disc in use");
}

TEST(dvd_locate, first_disc_by_its_description_among_real_volumes)
{
	DVD_IN_PRIVATE_MOUNTS(locate_first_disc);
}

TEST(dvd_locate, no_product_disc_mounted_here)
{
	// The machine's own table holds no disc volume, so every search comes back empty.
	EXPECT_EQ(UTL_locate_dvd([](const std::string& root) -> int { return root.find("SKYVANE11") != std::string::npos; }),
	          "");
	EXPECT_EQ(UTL_locate_dvd(nullptr), "");
}

}  // namespace
