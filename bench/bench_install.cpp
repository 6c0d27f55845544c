// A whole install without a window: the manifest, the folder scan, the plan, then install_files
// once per frame against the mirrors given, as the install step drives it. Prints wall time,
// CPU time and peak memory of the process.
//
//   bench_install --manifest FILE --install-name NAME --dest FOLDER/ --mirror HOST:PORT/PATH/...
//                 [--fps N] [--log FILE]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/Installer-f/engine/checksum_directory.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_driver.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/install_plan.h"
#include "core/installer/manifest_reader.h"
#include "core/installer/server_list_reader.h"
#include "core/installer/sim_info.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/app_clock.h"
#include "core/ui/log.h"
#include "core/ui/stg.h"

namespace {

double cpu_seconds()
{
	rusage u{};
	getrusage(RUSAGE_SELF, &u);
	return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

long peak_rss_kib()
{
	rusage u{};
	getrusage(RUSAGE_SELF, &u);
	return u.ru_maxrss;
}

[[noreturn]] void usage()
{
	std::fprintf(stderr,
	             "usage: bench_install --manifest FILE --install-name NAME --dest FOLDER/ --mirror HOST:PORT/PATH/...\n"
	             "                     [--fps N] [--log FILE]\n");
	std::exit(2);
}

}  // namespace

int main(int argc, char** argv)
{
	std::string manifest, install_name, dest, log_path;
	std::vector<std::string> mirrors;
	double fps = 30;
	for (int i = 1; i < argc; ++i) {
		auto value = [&]() -> std::string {
			if (i + 1 >= argc) usage();
			return argv[++i];
		};
		const std::string a = argv[i];
		if (a == "--manifest") manifest = value();
		else if (a == "--install-name") install_name = value();
		else if (a == "--dest") dest = value();
		else if (a == "--mirror") mirrors.push_back(value());
		else if (a == "--fps") fps = std::atof(value().c_str());
		else if (a == "--log") log_path = value();
		else usage();
	}
	if (manifest.empty() || install_name.empty() || dest.empty() || mirrors.empty() || fps <= 0) usage();
	if (dest.back() != '/') dest += '/';

	skyvane_log_start();
	if (!log_path.empty() && !skyvane_log_open(log_path)) std::fprintf(stderr, "cannot open the log %s\n", log_path.c_str());
	UTL_http_init();
	const auto t0 = std::chrono::steady_clock::now();
	const double cpu0 = cpu_seconds();
	app_clock_advance();

	if (int r = UTL_read_directory(manifest, sim_info, ins_src_net)) {
		std::fprintf(stderr, "cannot read the manifest %s: %d\n", manifest.c_str(), r);
		return 1;
	}
	sim_info.install_name = install_name;
	for (size_t i = 0; i < mirrors.size(); ++i) {
		UTL_server_info s;
		if (!server_list_split_mirror(mirrors[i], s)) {
			std::fprintf(stderr, "not a mirror: %s\n", mirrors[i].c_str());
			return 2;
		}
		s.name = "Mirror " + std::to_string(i);
		server_list.servers.push_back(s);
	}
	set_install_filter(1, 1, 1);
	stg.target_os = 3;
	for (auto& col : stg.wrl_sel)
		for (int& t : col) t = 1;
	dest_dir_path = dest;

	const auto frame = std::chrono::duration<double>(1.0 / fps);
	int next = 0;
	float progress = 0;
	int r = 0;
	while ((r = checksum_directory(next, 0, progress)) == 0) std::this_thread::sleep_for(frame);
	if (r != 1) {
		std::string path;
		std::fprintf(stderr, "scan failed: %d %s\n", checksum_get_error(path), path.c_str());
		return 1;
	}
	recalc_disk_sizes();
	if (choose_files(0) != 1 || make_dirs() != 0) {
		std::fprintf(stderr, "the plan failed\n");
		return 1;
	}
	delete_files();
	const double scan_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

	int next_index = 0, done_index = 0, failed = 0;
	for (;;) {
		app_clock_advance();
		r = install_files(next_index, -1, done_index);
		if (r == install_files_done) break;
		if (r == install_files_failed) {
			std::string text;
			const err_code_t e = install_files_get_error(text, true);
			std::fprintf(stderr, "a file failed: 0x%08x %s\n", e, text.c_str());
			++failed;
		}
		if (r == install_files_next_disc) {
			std::fprintf(stderr, "a network install asked for a disc\n");
			install_files_kill();
			return 1;
		}
		std::this_thread::sleep_for(frame);
	}
	const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
	const double cpu = cpu_seconds() - cpu0;
	dl_stats s;
	install_get_download_stats(s);
	skyvane_log_flush();
	std::printf("bench_install: files %d, downloaded %.1f MB, %d retried, %d failed\n", s.files_installed,
	            s.kb_done / 1000.0, s.error_count, failed);
	std::printf("bench_install: scan and plan %.2f s; wall %.2f s; cpu %.2f s; peak rss %.1f MB\n", scan_s, wall, cpu,
	            peak_rss_kib() / 1024.0);
	return failed ? 1 : 0;
}
