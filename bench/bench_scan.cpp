// Folder-scan throughput: checksums a product folder through checksum_directory, driven like
// the scanning step drives it (one call per frame), and prints MB/s.
//
//   bench_scan FOLDER [--manifest=directory.txt] [--quick] [--frame-ms=N] [--sums-out=FILE]
//
// Without a manifest the folder is walked and every file and link becomes a manifest path.
// --sums-out writes "md5  path" lines for the regular files, as md5sum prints them, so the
// script can check that both tools agree.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "app/Installer-f/engine/checksum_directory.h"
#include "app/Installer-f/engine/checksum_stages.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "core/installer/manifest_reader.h"
#include "core/installer/sim_info.h"
#include "core/ui/log.h"
#include "core/ui/stg.h"

namespace fs = std::filesystem;

namespace {

struct options {
	std::string folder;
	std::string manifest;
	std::string sums_out;
	int quick = 0;
	int frame_ms = 33;
};

bool parse(int argc, char** argv, options& o)
{
	for (int i = 1; i < argc; ++i) {
		std::string a = argv[i];
		auto value = [&](const char* key) -> const char* {
			size_t n = strlen(key);
			return a.compare(0, n, key) == 0 ? argv[i] + n : nullptr;
		};
		if (const char* v = value("--manifest="))
			o.manifest = v;
		else if (const char* v = value("--sums-out="))
			o.sums_out = v;
		else if (const char* v = value("--frame-ms="))
			o.frame_ms = std::max(0, atoi(v));
		else if (a == "--quick")
			o.quick = 1;
		else if (!a.empty() && a[0] != '-' && o.folder.empty())
			o.folder = a;
		else
			return false;
	}
	return !o.folder.empty();
}

// Every file and link below the folder, as a manifest path of all systems and packages.
void manifest_from_walk(const std::string& folder)
{
	sim_info.clear();
	std::vector<std::string> paths;
	for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied);
	     it != fs::recursive_directory_iterator(); ++it) {
		if (it->is_symlink() || it->is_regular_file())
			paths.push_back(it->path().lexically_relative(folder).string());  // relative() would resolve links
	}
	std::sort(paths.begin(), paths.end());
	for (const std::string& p : paths) {
		file_version_struct v;
		v.path = p;
		v.sig_want = "unknown";
		sim_info.files.push_back(file_history_struct{{v}});
	}
}

// Bytes of the regular files among the paths that concern the scan.
double scanned_bytes()
{
	double total = 0;
	for (const file_history_struct& f : sim_info.files) {
		struct stat st;
		if (file_passes_filters(f.cur()) && lstat((dest_dir_path + f.cur().path).c_str(), &st) == 0 &&
		    S_ISREG(st.st_mode))
			total += static_cast<double>(st.st_size);
	}
	return total;
}

}  // namespace

int main(int argc, char** argv)
{
	options o;
	if (!parse(argc, argv, o)) {
		fprintf(stderr, "usage: bench_scan FOLDER [--manifest=FILE] [--quick] [--frame-ms=N] [--sums-out=FILE]\n");
		return 2;
	}
	skyvane_log_start();  // errors go to the ring; no log file for a benchmark
	// File operations take a relative path as relative to the executable's folder.
	dest_dir_path = fs::absolute(o.folder).string();
	if (dest_dir_path.back() != '/')
		dest_dir_path += '/';
	set_install_filter(1, 1, 1);
	stg.target_os = 3;

	if (!o.manifest.empty()) {
		int r = UTL_read_directory(fs::absolute(o.manifest).string(), sim_info, ins_src_net);
		if (r != 0) {
			fprintf(stderr, "bench_scan: cannot read %s (result %d)\n", o.manifest.c_str(), r);
			return 1;
		}
	} else {
		manifest_from_walk(dest_dir_path);
	}
	const double bytes = scanned_bytes();

	auto t0 = std::chrono::steady_clock::now();
	int next = 0, calls = 0, result = 0;
	float progress = 0;
	for (;;) {
		++calls;
		result = checksum_directory(next, o.quick, progress);
		if (result != 0)
			break;
		// The scanning step calls once per interface frame.
		std::this_thread::sleep_for(std::chrono::milliseconds(o.frame_ms));
	}
	double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
	if (result == 2) {
		std::string path;
		int code = checksum_get_error(path);
		checksum_directory_kill();
		fprintf(stderr, "bench_scan: error 0x%08X on %s\n", static_cast<unsigned>(code), path.c_str());
		return 1;
	}

	int matching = 0, scanned = 0;
	for (const file_history_struct& f : sim_info.files) {
		if (!file_passes_filters(f.cur()))
			continue;
		++scanned;
		matching += f.cur().local_ok;
	}
	printf("bench_scan: %d files, %.1f MB, %.3f s, %.1f MB/s, %d calls of %d ms, %d calc threads", scanned,
	       bytes / 1e6, secs, secs > 0 ? bytes / 1e6 / secs : 0.0, calls, o.frame_ms, checksum_calc_thread_count());
	if (!o.manifest.empty())
		printf(", %d match the manifest", matching);
	printf("\n");

	if (!o.sums_out.empty()) {
		std::ofstream out(o.sums_out);
		for (const file_history_struct& f : sim_info.files) {
			struct stat st;
			const file_version_struct& v = f.cur();
			if (file_passes_filters(v) && lstat((dest_dir_path + v.path).c_str(), &st) == 0 && S_ISREG(st.st_mode))
				out << v.sig_have << "  " << v.path << "\n";
		}
	}
	return 0;
}
