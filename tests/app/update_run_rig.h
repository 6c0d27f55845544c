#pragma once
// An update run end to end: a small product and its releases built with the release tool,
// served by a private nginx on loopback (lookup server and mirror in one), and the installer
// executable run as a child process with --unattended on an installation folder.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

class update_run_rig {
public:
	typedef std::map<std::string, std::string> product;  // relative path -> bytes

	update_run_rig()
	{
		root = work / "mirror/";
		run_dir = work / "nginx/";
		dest = work / "Skyvane 11/";
		work.mkdirs("mirror");
		work.mkdirs("config");
		work.mkdirs("tmp");
		std::string out;
		int rc = sh(script("scripts/nginx_mirrors.sh") + " start " + q(run_dir) + " " + q(root) + " --count 1", &out);
		EXPECT_EQ(rc, 0) << out;
		port = out.substr(0, out.find('\n'));
		EXPECT_FALSE(port.empty());
	}
	~update_run_rig() { sh(script("scripts/nginx_mirrors.sh") + " stop " + q(run_dir), nullptr); }

	// Writes the product into folder (under work) and publishes it as release name; the mirror
	// named in the server list is this server unless mirror_host is given.
	void publish(const std::string& name, const product& files, const std::string& previous = "",
	             const std::string& mirror_host = "")
	{
		std::string folder = work / ("products/" + name + "/");
		write_tree(folder, files);
		std::string cmd = "python3 " + script("tools/make_release.py") + " " + q(folder) + " " + q(root) +
		                  " --install-name " + name + " --overwrite --mirror " +
		                  (mirror_host.empty() ? "127.0.0.1:" + port : mirror_host) + "/";
		if (!previous.empty())
			cmd += " --previous " + q(root + previous);
		std::string out;
		ASSERT_EQ(sh(cmd, &out), 0) << out;
	}

	static void write_tree(const std::string& folder, const product& files)
	{
		for (const auto& [rel, bytes] : files) {
			std::string path = folder + rel;
			std::string parent = path.substr(0, path.rfind('/'));
			ASSERT_EQ(sh("mkdir -p " + q(parent), nullptr), 0);
			FILE* f = std::fopen(path.c_str(), "wb");
			ASSERT_NE(f, nullptr) << path;
			std::fwrite(bytes.data(), 1, bytes.size(), f);
			std::fclose(f);
		}
	}

	// The installer on dest; the exit status, its standard output in out.
	int run_update(const std::vector<std::string>& extra, std::string& out)
	{
		std::vector<std::string> args = {"-path", dest};
		args.insert(args.end(), extra.begin(), extra.end());
		return run_installer(args, out);
	}

	// The installer with args (a -path pair must come first), unattended, against this rig's
	// servers, with its own registry and preferences (work/config) and temporary folder.
	int run_installer(const std::vector<std::string>& args, std::string& out)
	{
		std::string exe = std::string(SKY_BINARY_DIR) + "/skyvane-installer";
		EXPECT_EQ(access(exe.c_str(), X_OK), 0) << "build the skyvane-installer target first: " << exe;
		std::string cmd = "env XDG_CONFIG_HOME=" + q(work / "config") + " TMPDIR=" + q(work / "tmp") + " " + q(exe);
		for (const std::string& a : args)
			cmd += " " + q(a);
		cmd += " --unattended --lookup_host=127.0.0.1:" + port + " --log_path=" + q(work / "log.txt");
		return sh(cmd + " 2>" + q(work / "stderr.txt"), &out);
	}

	std::string read_dest(const std::string& rel) const { return scratch_dir::read_file(dest + rel); }
	bool dest_has(const std::string& rel) const { return access((dest + rel).c_str(), F_OK) == 0; }
	std::string log() const { return work.read("log.txt"); }

	static std::string q(const std::string& s)
	{
		std::string r = "'";
		for (char c : s)
			r += c == '\'' ? std::string("'\\''") : std::string(1, c);
		return r + "'";
	}
	static std::string script(const std::string& rel) { return q(std::string(SKY_SOURCE_DIR) + "/" + rel); }

	// Runs cmd through the shell; its exit status (or -1), standard output into out when given.
	static int sh(const std::string& cmd, std::string* out)
	{
		FILE* p = popen(cmd.c_str(), "r");
		if (!p)
			return -1;
		char buf[4096];
		size_t n;
		while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
			if (out)
				out->append(buf, n);
		int st = pclose(p);
		return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
	}

	scratch_dir work;
	std::string root, run_dir, dest, port;
};
