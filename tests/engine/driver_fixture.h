#pragma once
// The install-driver tests: the sample release (both versions, built once per build folder by
// the project's release tools), an installation folder in a scratch folder, mirrors on loopback,
// and the whole road of a run: manifest, scan, plan, then install_files once per frame, with the
// frame clock advanced by the test.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/Installer-f/engine/checksum_directory.h"
#include "app/Installer-f/engine/ins_atomic_write.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_driver.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/engine/md5_text.h"
#include "core/installer/manifest_reader.h"
#include "core/installer/sim_info.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/app_clock.h"
#include "core/ui/proxy_setting.h"
#include "core/ui/stg.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

#define DRIVER_R1 "skyvane11_r1"
#define DRIVER_R2 "skyvane11_r2"

// Size and modification time of every release tool: a changed tool makes a new release.
inline std::string driver_tools_fingerprint(const std::string& tools)
{
	std::ostringstream s;
	std::error_code ec;
	std::vector<std::string> lines;
	for (const auto& e : std::filesystem::directory_iterator(tools, ec)) {
		if (!e.is_regular_file()) continue;
		struct stat st;
		if (stat(e.path().c_str(), &st) != 0) continue;
		lines.push_back(e.path().filename().string() + " " + std::to_string(st.st_size) + " " +
		                std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec));
	}
	std::sort(lines.begin(), lines.end());
	for (const std::string& l : lines) s << l << "\n";
	return s.str();
}

// The mirror root of the sample release ("/" ended): DRIVER_R1 and DRIVER_R2 below it, the
// products beside it in ../work/. Made once per build folder; parallel test processes wait on
// the lock for the one that makes it. Empty (and a failure added) when it cannot be made.
inline std::string driver_sample_release()
{
	static std::string root;
	if (!root.empty()) return root;
	const std::string base = std::string(SKY_BINARY_DIR) + "/test_data/driver_release/";
	const std::string tools = std::string(SKY_SOURCE_DIR) + "/tools";
	std::filesystem::create_directories(base);
	const int lock = open((base + "lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
	if (lock < 0 || flock(lock, LOCK_EX) != 0) {
		ADD_FAILURE() << "cannot lock " << base;
		if (lock >= 0) close(lock);
		return "";
	}
	const std::string want = driver_tools_fingerprint(tools);
	bool ok = scratch_dir::read_file(base + "stamp") == want;
	if (!ok) {
		std::error_code ec;
		std::filesystem::remove(base + "stamp", ec);
		std::filesystem::remove_all(base + "work", ec);
		std::filesystem::remove_all(base + "root", ec);
		const std::string cmd = "bash '" + tools + "/make_sample_release.sh' '" + base + "work' '" + base +
		                        "root' --mirror 127.0.0.1:9/ >'" + base + "make.log' 2>&1";
		const int status = std::system(cmd.c_str());
		ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
		if (ok)
			std::ofstream(base + "stamp", std::ios::binary | std::ios::trunc) << want;
		else
			ADD_FAILURE() << "the sample release could not be made:\n" << scratch_dir::read_file(base + "make.log");
	}
	flock(lock, LOCK_UN);
	close(lock);
	if (ok) root = base + "root/";
	return root;
}

// MD5 of a file as the scan sees it (a link: its target text); false when absent.
inline bool driver_local_md5(const std::string& path, std::string& md5)
{
	struct stat st;
	if (lstat(path.c_str(), &st) != 0) return false;
	std::string bytes;
	if (S_ISLNK(st.st_mode)) {
		std::vector<char> buf(4096);
		ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
		bytes.assign(buf.data(), n > 0 ? static_cast<size_t>(n) : 0);
	} else {
		bytes = scratch_dir::read_file(path);
	}
	md5 = md5_text(bytes);
	return true;
}

struct driver_model_file {
	std::string path;
	int compression;
	int want;
	std::string content;
};

// A hand-made manifest: one version per path, its checksum from the content given.
inline void driver_set_model(const std::vector<driver_model_file>& files, ins_data_src src = ins_src_net)
{
	sim_info.clear();
	sim_info.source = src;
	sim_info.install_name = "rel";
	for (const driver_model_file& m : files) {
		file_history_struct f;
		f.versions.resize(1);
		file_version_struct& v = f.cur();
		v.path = m.path;
		v.compression = m.compression;
		v.want_install = m.want;
		v.sig_want = md5_text(m.content);
		v.sig_have = "NONE";
		v.download_kb = static_cast<double>(m.content.size() + 100) / 1000.0;
		v.disk_kb = 4.0 * static_cast<double>(m.content.size() / 4096 + 1);
		sim_info.files.push_back(f);
	}
}

class driver_test : public ::testing::Test {
protected:
	void SetUp() override
	{
		UTL_http_init();
		UTL_set_proxy_host("");
		// Readers ask logind to hold off idle sleep; keep that off the real system bus.
		const char* bus = getenv("DBUS_SYSTEM_BUS_ADDRESS");
		had_bus_ = bus != nullptr;
		saved_bus_ = bus ? bus : "";
		setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/skyvane-test-bus", 1);
		saved_stg_ = stg;
		sim_info.clear();
		server_list.clear();
		set_install_filter(1, 1, 1);
		stg.target_os = 3;
		for (auto& col : stg.wrl_sel)
			for (int& t : col) t = 1;
		dest_dir_path = dir / "Skyvane 11/";
		app_clock_advance();
		std::string ignored;
		install_files_get_error(ignored, true);
	}
	void TearDown() override
	{
		install_files_kill();
		sim_info.clear();
		server_list.clear();
		dest_dir_path.clear();
		stg = saved_stg_;
		if (had_bus_)
			setenv("DBUS_SYSTEM_BUS_ADDRESS", saved_bus_.c_str(), 1);
		else
			unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
	}

	// Reads a release of the sample (DRIVER_R1, DRIVER_R2) as a network manifest.
	void load_release(const std::string& name)
	{
		root = driver_sample_release();
		ASSERT_FALSE(root.empty());
		ASSERT_EQ(UTL_read_directory(root + name + "/directory.txt", sim_info, ins_src_net), 0) << name;
		sim_info.install_name = name;
	}

	void add_server(const std::string& host, const std::string& path, const std::string& name)
	{
		server_list.servers.push_back(UTL_server_info{host, path, name});
	}

	// The folder scan, to the end.
	void scan()
	{
		int next = 0;
		float progress = 0;
		int r = 0;
		while ((r = checksum_directory(next, 0, progress)) == 0) std::this_thread::yield();
		std::string path;
		const int err = r == 1 ? 0 : checksum_get_error(path);
		ASSERT_EQ(r, 1) << "scan failed on " << path << ": " << err;
	}

	// The plan of a run: which files to fetch and delete, the folders, the deletions.
	void plan()
	{
		ASSERT_EQ(choose_files(0), 1);
		ASSERT_EQ(make_dirs(), 0);
		delete_files();
	}

	// One frame: the clock moves on, the driver is stepped.
	int step(int disk = -1)
	{
		app_clock_advance();
		return install_files(next_index, disk, done_index);
	}

	// Steps until on_result says stop (or the driver finishes); each result is also recorded.
	// False when the deadline passed first.
	bool run(const std::function<bool(int)>& on_result, int disk = -1, int deadline_s = 120)
	{
		const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(deadline_s);
		while (std::chrono::steady_clock::now() < give_up) {
			const int r = step(disk);
			results[r]++;
			if (on_result(r) || r == install_files_done) return true;
			std::this_thread::sleep_for(std::chrono::milliseconds(2));  // the rest of a frame
		}
		return false;
	}
	// Steps to the end; any result other than 0, 1 and 4 is a failure of the test.
	void run_to_end(int disk = -1)
	{
		int last = -1;
		ASSERT_TRUE(run([&](int r) {
			last = r;
			if (r == install_files_failed || r == install_files_next_disc) {
				std::string text;
				ADD_FAILURE() << "install_files returned " << r << ": " << install_files_get_error(text, false) << " "
				              << text;
				return true;
			}
			return false;
		}, disk)) << "the install did not end in time";
		ASSERT_EQ(last, install_files_done);
	}

	// Files the plan fetches.
	int wanted_count() const
	{
		int n = 0;
		for (const file_history_struct& f : sim_info.files) n += f.cur().want_install;
		return n;
	}

	// After a fresh scan, every file that concerns this install matches the manifest, and every
	// GONE file is absent.
	void expect_installation_matches()
	{
		scan();
		int checked = 0;
		for (const file_history_struct& f : sim_info.files) {
			const file_version_struct& v = f.cur();
			if (!file_passes_filters(v)) continue;
			if (v.sig_want == "GONE") {
				struct stat st;
				EXPECT_NE(lstat((dest_dir_path + v.path).c_str(), &st), 0) << v.path << " should be gone";
				continue;
			}
			EXPECT_EQ(v.sig_have, v.sig_want) << v.path;
			++checked;
		}
		EXPECT_GT(checked, 100);
		std::error_code ec;
		for (auto it = std::filesystem::recursive_directory_iterator(dest_dir_path, ec);
		     !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
			EXPECT_EQ(it->path().filename().string().find(".skytmp-"), std::string::npos)
			    << "temporary file left: " << it->path();
	}

	scratch_dir dir;
	log_capture log;
	std::string root;  // mirror root of the sample release
	int next_index = 0;
	int done_index = 0;
	std::map<int, int> results;  // install_files result -> how often

private:
	stg_record saved_stg_;
	std::string saved_bus_;
	bool had_bus_ = false;
};
