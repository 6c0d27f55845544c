#pragma once
// The install model: one release's manifest, and the mirror servers.
#include <string>
#include <vector>

enum ins_data_src {
	ins_src_none = 0,
	ins_src_net = 1,       // network update (beta or final install name)
	ins_src_dvd = 2,       // DVD set; the only source whose DISK lines count
	ins_src_net_full = 3   // network full install
};

enum {
	ins_pkg_regional = 0x10,
	ins_pkg_global = 0x20
};

enum {
	ins_comp_stored = 0x00,
	ins_comp_zip = 0x40,
	ins_comp_7z = 0x80,
	ins_comp_folder_zip = 0xC0
};

// One FILE line of the manifest.
struct file_version_struct {
	int os = 0;                // 0 every system, 1 macOS, 2 Windows, 3 Linux
	int package_bits = 0;      // flags & 0x30
	int compression = 0;       // flags & 0xC0
	int aux_value = 0;
	double download_kb = 0;
	double disk_kb = 0;        // rounded up to whole 4 KB blocks
	std::string sig_want;      // lower-case MD5, or "GONE"
	std::string path;          // relative to the installation folder
	int disk = -1;             // disc number for DVD sources, -1 otherwise
	int is_scenery = 0;
	int tile_lon_min = 0;
	int tile_lat_min = 0;
	int tile_lon_max = 0;
	int tile_lat_max = 0;
	// Results, written by the scan, the writer and the plan.
	std::string sig_have;      // MD5 of the local copy, "NONE" when there is none
	int local_ok = 0;
	int want_install = 0;
	int want_delete = 0;
	float progress_start = 0;
};

// One path of the manifest: older checksums first, the current description last.
struct file_history_struct {
	std::vector<file_version_struct> versions;
	file_version_struct& cur() { return versions.back(); }
	const file_version_struct& cur() const { return versions.back(); }
};

struct sim_info_struct {
	int version = 0;
	ins_data_src source = ins_src_none;
	std::string dvd_root;
	std::string install_name;
	std::vector<std::string> dvd_info_lines;
	std::vector<file_history_struct> files;

	void clear()
	{
		version = 0;
		source = ins_src_none;
		dvd_root.clear();
		install_name.clear();
		dvd_info_lines.clear();
		files.clear();
	}
};

struct UTL_server_info {
	std::string host;  // may carry a port
	std::string path;  // starts with "/"
	std::string name;  // label shown to the user
};

struct UTL_server_info_list {
	int version = 0;
	std::string beta_name;
	std::string final_name;
	std::string full_name;
	int beta_version = 0;
	int final_version = 0;
	std::string beta_installer_word;
	std::string beta_installer_rest;
	std::string final_installer_word;
	std::string final_installer_rest;
	std::vector<UTL_server_info> servers;

	void clear() { *this = UTL_server_info_list(); }
};

// Where a file lives in a release: the path as is, with ".zip" or ".7z" added, or, for a folder
// archive, the folder's name with ".zip" ("a/b/c.txt" -> "a/b.zip").
inline std::string ins_download_name(const file_version_struct& v)
{
	switch (v.compression) {
	case ins_comp_zip:
		return v.path + ".zip";
	case ins_comp_7z:
		return v.path + ".7z";
	case ins_comp_folder_zip: {
		const size_t slash = v.path.rfind('/');
		return (slash == std::string::npos ? std::string() : v.path.substr(0, slash)) + ".zip";
	}
	default:
		return v.path;
	}
}

extern sim_info_struct sim_info;
extern UTL_server_info_list server_list;

#define INS_DIRECTORY_FILE "directory.txt"
#define INS_DVD_KEY_FILE "dvd_version.txt"
