#pragma once
// The work-step tests: a release made by the project's release builder, served by a loopback
// server that is both the lookup host and the one mirror, and a small wizard around the step
// under test. The model globals are saved and restored around each test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_func.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/installer/sim_info.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/stg.h"
#include "support/http_fixture.h"
#include "support/scratch_dir.h"

class plain_step : public wizard_func {
public:
	plain_step(wizard_collection* w, const std::string& title, bool skips = false)
		: wizard_func(w, title, title), skips(skips) {}
	wizard_func* go(wizard_screen&) override { return this; }
	bool skip_back() override { return skips; }
	bool skips;
};

// start, the step under test, after, report (the wizard's last step).
class step_wizard : public wizard_collection {
public:
	explicit step_wizard(wizard_func* parent = nullptr) : wizard_collection(parent)
	{
		start = add_step(new plain_step(this, "start"));
	}
	template <class Step>
	Step* finish(Step* s)
	{
		add_step(s);
		after = add_step(new plain_step(this, "after"));
		report = add_step(new plain_step(this, "report"));
		return s;
	}
	plain_step* start = nullptr;
	plain_step* after = nullptr;
	plain_step* report = nullptr;
};

// Calls go() until the step returns something other than itself; none after the deadline.
inline wizard_func* run_until_moved(wizard_func* step, wizard_screen& screen, int seconds = 30,
                                    const std::function<void()>& each = {})
{
	const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
	while (std::chrono::steady_clock::now() < end) {
		screen.reset();
		wizard_func* r = step->go(screen);
		if (r != step)
			return r;
		if (each)
			each();
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	ADD_FAILURE() << "step " << step->title << " did not move on";
	return nullptr;
}

inline std::string shell_quoted(const std::string& arg)
{
	std::string out = "'";
	for (char c : arg)
		out += c == '\'' ? std::string("'\\''") : std::string(1, c);
	return out + "'";
}

class release_test : public ::testing::Test {
protected:
	static constexpr const char* final_name = "Skyvane 11 Final";
	static constexpr const char* beta_name = "Skyvane 11 Beta";

	void SetUp() override
	{
		if (!UTL_http_is_inited())
			UTL_http_init();
		saved_stg = stg;
		saved_sim = sim_info;
		saved_servers = server_list;
		saved_dest = dest_dir_path;
		saved_temp = temp_path;
		stg.server_index = 0;
		stg.target_os = 3;
		stg.get_beta = 0;
		set_install_filter(1, 1, 1);
		dir.mkdirs("tmp");
		temp_path = dir / "tmp/";
		const std::string host = "--lookup_host=" + server.host();
		const char* argv[] = {"test", host.c_str()};
		cmdline.clear();
		cmdline.parse(2, argv);
	}
	void TearDown() override
	{
		server.release();
		cmdline.clear();
		stg = saved_stg;
		sim_info = saved_sim;
		server_list = saved_servers;
		dest_dir_path = saved_dest;
		temp_path = saved_temp;
	}

	// Writes the product, builds a final and a beta release of it and serves both.
	void make_release(const std::vector<std::pair<std::string, std::string>>& files)
	{
		for (const auto& f : files) {
			dir.mkdirs(std::filesystem::path("product/" + f.first).parent_path().string());
			dir.write("product/" + f.first, f.second);
		}
		for (const char* name : {final_name, beta_name}) {
			const std::string cmd = "python3 " + shell_quoted(SKY_SOURCE_DIR "/tools/make_release.py") +
			                        " --install-name " + shell_quoted(name) + " --final-name " +
			                        shell_quoted(final_name) + " --beta-name " + shell_quoted(beta_name) +
			                        " --full-name " + shell_quoted(final_name) + " --mirror " +
			                        shell_quoted(server.host() + "/m/") + " --mirror-label 'Loopback One' " +
			                        shell_quoted(dir / "product") + " " + shell_quoted(dir / "out") + " >/dev/null";
			ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
		}
		serve_release();
	}
	// (Again) serves every file of the built releases as built.
	void serve_release()
	{
		namespace fs = std::filesystem;
		const fs::path out(dir / "out");
		for (const auto& e : fs::recursive_directory_iterator(out)) {
			if (!e.is_regular_file())
				continue;
			const std::string rel = fs::relative(e.path(), out).generic_string();
			const std::string url = rel.rfind("_lookup_11_/", 0) == 0 ? "/" + rel : "/m/" + rel;
			server.serve(url, scratch_dir::read_file(e.path().string()));
		}
	}
	static std::string manifest_route(const char* name) { return std::string("/m/") + name + "/directory.txt.zip"; }

	http_fixture server;
	scratch_dir dir;
	stg_record saved_stg;
	sim_info_struct saved_sim;
	UTL_server_info_list saved_servers;
	std::string saved_dest, saved_temp;
};

inline const char* server_list_route = "/_lookup_11_/server_list_11.txt";
