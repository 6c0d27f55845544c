#pragma once
// A new installation made in process by a whole wizard, unattended, against the loopback
// release of release_test: the registry in the scratch folder, the session's output kept.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "app/Installer-f/engine/install_driver.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "app/Installer-f/unattended/unattended_host.h"
#include "app/steps_fixture.h"
#include "core/installer/install_registry.h"
#include "core/thread/UTL_runloop.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/app_clock.h"

struct new_install_test : release_test {
	void SetUp() override
	{
		release_test::SetUp();
		saved_folder = registry_folder_fn;
		saved_suites = all_skysuites;
		dir.mkdirs("prefs");
		dir.mkdirs("inst");
		s_prefs = dir / "prefs/";
		registry_folder_fn = [] { return s_prefs; };
		sim_is_done = false;
		options.accept_eula = true;
		options.dest_parent = dir / "inst/";
		options.dest_name = "Skyvane 11";
		dest = dir / "inst/Skyvane 11/";
	}
	void TearDown() override
	{
		install_files_kill();
		registry_folder_fn = saved_folder;
		all_skysuites = saved_suites;
		sim_is_done = false;
		release_test::TearDown();
	}

	// Runs the wizard from first as main's loop would, at most two minutes; the exit status.
	int run(wizard_func* first)
	{
		FILE* out = std::tmpfile();
		int status;
		{
			unattended_session s(options, out);
			s.launcher = [] { return true; };
			s.start(first);
			const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
			while (!s.finished() && std::chrono::steady_clock::now() < end) {
				app_clock_advance();
				s.turn();
				UTL_runloop_run_frame();
				std::this_thread::sleep_for(std::chrono::milliseconds(1));
			}
			EXPECT_TRUE(s.finished()) << "the run did not end";
			status = s.status();
			last_screen = s.driver().screen();
			last_step = s.driver().current();
		}
		output.clear();
		std::rewind(out);
		char buf[4096];
		size_t n;
		while ((n = std::fread(buf, 1, sizeof buf, out)) > 0)
			output.append(buf, n);
		std::fclose(out);
		return status;
	}

	// Every file below folder, relative to it.
	static std::set<std::string> files_below(const std::string& folder)
	{
		std::set<std::string> out;
		std::error_code ec;
		for (const auto& e : std::filesystem::recursive_directory_iterator(folder, ec))
			if (!e.is_directory())
				out.insert(std::filesystem::relative(e.path(), folder).generic_string());
		return out;
	}

	std::string registry() const { return dir.read("prefs/" INS_REGISTRY_FILE); }

	static inline std::string s_prefs;
	registry_folder_fn_t saved_folder = nullptr;
	std::vector<std::string> saved_suites;
	unattended_options options;
	std::string dest;
	std::string output;
	wizard_screen last_screen;
	wizard_func* last_step = nullptr;
};
