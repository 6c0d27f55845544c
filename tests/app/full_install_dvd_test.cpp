// A full install from a set of two discs, end to end: the real executable, unattended, in a
// private mount namespace where the discs are tmpfs volumes named SKYVANE11. main finds the
// first disc and starts the full install; the install asks for disc 2, which the test puts in
// the drive once the installer has ejected disc 1; the final screen's "Check for Updates" row
// then brings the newer release from a loopback mirror.
#include "app/update_run_rig.h"
#include "engine/dvd_namespace.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;

const char* const k_disc_release = "skyvane11_dvd";  // names without blanks: the rig passes them unquoted
const char* const k_net_release = "skyvane11_r2";

const update_run_rig::product k_disc_product = {
	{"Skyvane.app", "#!/bin/sh\necho fly 1\n"},
	// Block (9, 12) lies in the default selection; block (22, 5) does not.
	{"Global Scenery/Pack/Earth nav data/+30-090/+35-085.dsf", "tile inside 1\n"},
	{"Global Scenery/Pack/Earth nav data/-40+040/-35+045.dsf", "tile outside 1\n"},
	{"Resources/a.txt", "alpha 1\n"},
	{"Resources/b.txt", "bravo, the same in both releases\n"},
	// Last in the manifest, so on the last disc.
	{"Resources/bitmaps/Earth Orbit Textures/e1.png", "orbit 1\n"},
};

update_run_rig::product net_product()
{
	update_run_rig::product p = k_disc_product;
	p["Skyvane.app"] = "#!/bin/sh\necho fly 2\n";
	p["Global Scenery/Pack/Earth nav data/+30-090/+35-085.dsf"] = "tile inside 2\n";
	p["Resources/a.txt"] = "alpha 2\n";
	p["Resources/new.txt"] = "only in the update\n";
	return p;
}

std::set<std::string> files_below(const std::string& folder)
{
	std::set<std::string> out;
	std::error_code ec;
	for (const auto& e : fs::recursive_directory_iterator(folder, ec))
		if (!e.is_directory())
			out.insert(fs::relative(e.path(), folder).generic_string());
	return out;
}

std::string joined(const std::set<std::string>& names)
{
	std::string s;
	for (const std::string& n : names)
		s += "  " + n + "\n";
	return s;
}

bool exited(pid_t pid, int& status)
{
	int st = 0;
	if (waitpid(pid, &st, WNOHANG) != pid)
		return false;
	status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
	return true;
}

// Waits until file holds text; false when the process ended first or after the deadline.
bool wait_for_output(const std::string& file, const std::string& text, pid_t pid, int& status, int seconds)
{
	const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
	while (std::chrono::steady_clock::now() < end) {
		if (scratch_dir::read_file(file).find(text) != std::string::npos)
			return true;
		if (exited(pid, status))
			return scratch_dir::read_file(file).find(text) != std::string::npos;
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	return false;
}

bool mount_tmpfs(const std::string& at)
{
	fs::create_directories(at);
	return mount("tmpfs", at.c_str(), "tmpfs", 0, "size=16m") == 0;
}

void install_from_discs_then_update(const std::string& base, dvd_checks& c)
{
	update_run_rig rig;
	if (rig.port.empty())
		return c.expect(false, "the loopback mirror did not start");
	const std::string discs = rig.work / "discs/";
	const std::string products = rig.work / "products/";
	update_run_rig::write_tree(products + k_disc_release + "/", k_disc_product);
	const std::string cmd = "python3 " + update_run_rig::script("tools/make_release.py") + " " +
	                        update_run_rig::q(products + k_disc_release + "/") + " " + update_run_rig::q(rig.root) +
	                        " --install-name " + update_run_rig::q(k_disc_release) + " --discs 2 " +
	                        update_run_rig::q(discs) + " --mirror 127.0.0.1:" + rig.port + "/";
	std::string tool_out;
	if (update_run_rig::sh(cmd + " 2>&1", &tool_out) != 0)
		return c.expect(false, "making the disc set: " + tool_out);
	rig.publish(k_net_release, net_product(), k_disc_release);
	if (!fs::exists(rig.root + k_net_release + "/directory.txt.zip"))
		return c.expect(false, "publishing the newer release");

	const std::string drive = base + "tray/SKYVANE11";
	if (!mount_tmpfs(drive))
		return c.expect(false, "mounting disc 1");
	fs::copy(discs + "disc1", drive, fs::copy_options::recursive);

	rig.work.mkdirs("inst");
	const std::string dest = rig.work / "inst/Skyvane 11/";
	const std::string out_file = rig.work / "out.txt";
	const std::string run = "exec env XDG_CONFIG_HOME=" + update_run_rig::q(rig.work / "config") +
	                        " TMPDIR=" + update_run_rig::q(rig.work / "tmp") + " " +
	                        update_run_rig::q(std::string(SKY_BINARY_DIR) + "/skyvane-installer") +
	                        " --unattended --lookup_host=127.0.0.1:" + rig.port + " --log_path=" +
	                        update_run_rig::q(rig.work / "log.txt") + " --accept_eula --dest_parent=" +
	                        update_run_rig::q(rig.work / "inst/") + " '--dest_name=Skyvane 11' --choice=0" +
	                        " --disc_wait=120 >" + update_run_rig::q(out_file) + " 2>" +
	                        update_run_rig::q(rig.work / "stderr.txt");
	const pid_t pid = fork();
	if (pid == 0) {
		execl("/bin/sh", "sh", "-c", run.c_str(), static_cast<char*>(nullptr));
		_exit(127);
	}
	if (pid < 0)
		return c.expect(false, "starting the installer");
	int status = -1;
	auto report = [&] {
		return "\n--- output\n" + scratch_dir::read_file(out_file) + "--- stderr\n" + rig.work.read("stderr.txt") +
		       "--- log\n" + rig.log();
	};

	const bool asked = wait_for_output(out_file, "Please insert DVD number 2,", pid, status, 180);
	c.expect(asked, "the installer asked for disc 2" + (asked ? std::string() : report()));
	if (asked) {
		c.expect(!dvd_is_mounted(drive), "the installer ejected disc 1");
		if (dvd_is_mounted(drive))
			umount2(drive.c_str(), MNT_DETACH);
		const std::string written = joined(files_below(dest));
		c.expect(written.find("Resources/bitmaps/Earth Orbit Textures/e1.png") == std::string::npos,
		         "a file of disc 2 was written before disc 2 was in:\n" + written);
		// Out with disc 1, in with disc 2, in the same drive.
		if (!mount_tmpfs(drive))
			c.expect(false, "mounting disc 2");
		else
			fs::copy(discs + "disc2", drive, fs::copy_options::recursive);
	}

	const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(240);
	while (!exited(pid, status) && std::chrono::steady_clock::now() < end)
		std::this_thread::sleep_for(std::chrono::milliseconds(100));
	if (std::chrono::steady_clock::now() >= end) {
		kill(pid, SIGKILL);
		waitpid(pid, nullptr, 0);
		c.expect(false, "the installer did not end" + report());
	}
	const std::string out = scratch_dir::read_file(out_file);
	c.eq(status, 0, "exit status" + report());

	// From the disc, no server is asked: the first network step is the update's.
	const size_t disc_prompt = out.find("Installing Scenery: Please Change DVDs");
	const size_t check_row = out.find("Check for Updates");
	const size_t servers = out.find("== Check Servers ==");
	c.expect(disc_prompt != std::string::npos, "the disc-change heading");
	c.expect(out.find("== Select Scenery ==") != std::string::npos, "the map step");
	c.expect(check_row != std::string::npos && check_row > disc_prompt, "the final screen offers the update");
	c.expect(servers != std::string::npos && servers > check_row, "the network step runs only in the update");
	c.expect(out.find("Finished updating") != std::string::npos, "the update finished");

	// The newer release, with the scenery the map selected.
	std::set<std::string> want;
	for (const auto& [rel, bytes] : net_product())
		if (rel.find("-40+040") == std::string::npos) {
			want.insert(rel);
			c.eq(scratch_dir::read_file(dest + rel), bytes, rel);
		}
	want.insert("Output/preferences/Skyvane Analytics.prf");
	c.eq(joined(files_below(dest)), joined(want), "installed files");
	c.eq(rig.work.read("config/skyvane_install_11.txt"), dest + "\n", "registry");
}

TEST(full_install_dvd, two_discs_then_the_update_from_the_mirror)
{
	DVD_IN_PRIVATE_MOUNTS(install_from_discs_then_update);
}

}  // namespace
