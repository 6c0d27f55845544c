#pragma once
// The run rig with the project's sample releases on its mirror (full release r1, update r2,
// scenery for several map regions), installations made from the sample products, and the
// registry of the installer run.
#include "update_run_rig.h"

#include <filesystem>
#include <string>
#include <vector>

class sample_release_rig : public update_run_rig {
public:
	sample_release_rig()
	{
		samples = work / "samples/";
		std::string out;
		int rc = sh("bash " + script("tools/make_sample_release.sh") + " " + q(samples) + " " + q(root) +
		                " --mirror 127.0.0.1:" + port + "/",
		            &out);
		EXPECT_EQ(rc, 0) << out;
	}

	// A sample product written as an installation at folder ("/" ended).
	void make_installation(const std::string& folder, int version, bool demo)
	{
		std::string out;
		std::string cmd = "python3 " + script("tools/make_sample_product.py") + " " +
		                  q(folder.substr(0, folder.size() - 1)) + " --overwrite --version " + std::to_string(version);
		if (demo)
			cmd += " --demo";
		ASSERT_EQ(sh(cmd, &out), 0) << out;
	}

	// The installer run's registry holds these folders.
	void register_installations(const std::vector<std::string>& folders)
	{
		std::string text;
		for (const std::string& f : folders)
			text += f + "\n";
		work.write("config/skyvane_install_11.txt", text);
	}

	// Relative paths of the regular files and links of a sample product (1 or 2).
	std::vector<std::string> product_files(int version) const
	{
		namespace fs = std::filesystem;
		std::vector<std::string> out;
		const fs::path base(product(version));
		for (auto it = fs::recursive_directory_iterator(base); it != fs::recursive_directory_iterator(); ++it)
			if (!it->is_directory() || it->is_symlink())
				out.push_back(fs::relative(it->path(), base).generic_string());
		return out;
	}
	std::string product(int version) const { return samples + "product_r" + std::to_string(version) + "/"; }
	std::string product_bytes(int version, const std::string& rel) const
	{
		return scratch_dir::read_file(product(version) + rel);
	}

	std::string samples;
};
