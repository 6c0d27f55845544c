// The install step end to end against a loopback mirror: a new installation written with its
// consent file and registry line, cancelling (a new installation is removed, an update kept), a
// fatal error stopped or gone on with, the scan step over the result, and the run-simulator step.
#include "app/Installer-f/engine/checksum_directory.h"
#include "app/Installer-f/engine/install_driver.h"
#include "app/Installer-f/flows/questions.h"
#include "app/Installer-f/flows/steps/any_checksum.h"
#include "app/Installer-f/flows/steps/any_get_install_info_net.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/flows/steps/pick_run_sim.h"
#include "app/steps_fixture.h"
#include "core/installer/install_registry.h"
#include "core/ui/stg.h"

namespace {

const std::vector<std::pair<std::string, std::string>> k_product = {
	{"Skyvane.app", "#!/bin/sh\necho fly\n"},
	{"Resources/a.txt", "alpha alpha alpha\n"},
	{"Resources/b.txt", "bravo\n"},
	{"Output/readme.txt", "out\n"},
};

const any_run_install_msgs k_msgs = {
	"Stop the update?", "Stop", "the update.", "Continue", "the update process.", "Updating", "Insert a disc",
	"An error occurred during update:", "You can continue or stop.", "Cancel", "the update.", "Continue", "the update.",
};

struct reported {
	bool complete;
	int fatal_errors;
	ins_install_type type;
	int files_installed;
};

struct install_step : release_test {
	void SetUp() override
	{
		release_test::SetUp();
		saved_folder = registry_folder_fn;
		saved_suites = all_skysuites;
		dir.mkdirs("prefs");
		s_prefs = dir / "prefs/";
		registry_folder_fn = [] { return s_prefs; };
		set_finished_download_reporter([this](const dl_stats& s, const sim_info_struct&, bool complete, int fatal,
		                                      ins_install_type type) {
			reports.push_back({complete, fatal, type, s.files_installed});
		});
		set_abort_answerer([this](const abort_question& q) {
			questions.push_back(q.kind);
			return stop_on_error;
		});
		stg.send_analytics = 1;
		make_release(k_product);
	}
	void TearDown() override
	{
		install_files_kill();
		set_abort_answerer(nullptr);
		set_finished_download_reporter(nullptr);
		registry_folder_fn = saved_folder;
		all_skysuites = saved_suites;
		release_test::TearDown();
	}
	// The network step fills sim_info and server_list; then the plan for a folder that is new.
	void fetch_and_plan(const std::string& dest)
	{
		step_wizard w;
		auto* s = w.finish(new any_get_install_info_net(&w, false, false, false, {}));
		ASSERT_EQ(s->open(), s);
		wizard_screen screen;
		ASSERT_EQ(run_until_moved(s, screen), w.after);
		s->close();
		dest_dir_path = dest;
		set_install_filter(1, 1, 1);
		int next = 0;
		float progress = 0;
		int r;
		while ((r = checksum_directory(next, 0, progress)) == 0)
			std::this_thread::yield();
		ASSERT_EQ(r, 1);
	}
	// Every product file's download stalls after a few bytes (the manifest stays whole).
	void stall_downloads(http_fault fault)
	{
		namespace fs = std::filesystem;
		const fs::path rel_root(dir / ("out/" + std::string(final_name)));
		for (const auto& e : fs::recursive_directory_iterator(rel_root)) {
			const std::string rel = fs::relative(e.path(), rel_root).generic_string();
			if (!e.is_regular_file() || rel.rfind("directory.txt", 0) == 0)
				continue;
			http_route r;
			r.body = scratch_dir::read_file(e.path().string());
			r.fault = fault;
			r.fault_bytes = 2;
			server.serve("/m/" + std::string(final_name) + "/" + rel, r);
		}
	}

	static inline std::string s_prefs;
	registry_folder_fn_t saved_folder;
	std::vector<std::string> saved_suites;
	std::vector<reported> reports;
	std::vector<question_kind> questions;
	bool stop_on_error = true;
};

TEST_F(install_step, new_installation_is_written_with_consent_and_registry)
{
	fetch_and_plan(dir / "new/");
	step_wizard w;
	auto* run = w.finish(new any_run_install(&w, 1, k_msgs, ins_install_new));
	ASSERT_EQ(run->open(), run);
	EXPECT_TRUE(dir.exists("new"));
	wizard_screen screen;
	EXPECT_EQ(run_until_moved(run, screen), w.after);
	run->close();
	for (const auto& f : k_product)
		EXPECT_EQ(dir.read("new/" + f.first), f.second) << f.first;
	EXPECT_EQ(dir.read("new/Output/preferences/Skyvane Analytics.prf"), "I\n10 version\n_send_analytics 2\n");
	EXPECT_NE(dir.read("prefs/" INS_REGISTRY_FILE).find(dir / "new/"), std::string::npos);
	ASSERT_EQ(reports.size(), 1u);
	EXPECT_TRUE(reports[0].complete);
	EXPECT_EQ(reports[0].type, ins_install_new);
	EXPECT_EQ(reports[0].files_installed, static_cast<int>(k_product.size()));
	EXPECT_EQ(reports[0].fatal_errors, 0);
	EXPECT_TRUE(questions.empty());

	// The scan step over the result finds every file as the manifest wants it.
	auto* scan = w.finish(new any_checksum(&w, {1, 1, 1, 0}, {"Checking", "Scanning %1:folder path% now."}));
	ASSERT_EQ(scan->open(), scan);
	wizard_screen s;
	EXPECT_EQ(run_until_moved(scan, s), w.after);
	EXPECT_EQ(s.message, "Scanning " + dir / "new/" + " now.");
	for (const file_history_struct& f : sim_info.files)
		EXPECT_TRUE(f.cur().local_ok) << f.cur().path;
}

TEST_F(install_step, cancelling_removes_only_a_new_installation)
{
	stall_downloads(http_fault::stall_after);
	for (int fresh : {1, 0}) {
		const std::string folder = fresh ? "fresh/" : "update/";
		fetch_and_plan(dir / folder);
		step_wizard w;
		auto* run = w.finish(new any_run_install(&w, fresh, k_msgs, fresh ? ins_install_new : ins_install_update));
		ASSERT_EQ(run->open(), run);
		for (int i = 0; i < 5; ++i) {
			wizard_screen s;
			ASSERT_EQ(run->go(s), run);
			EXPECT_EQ(s.title, "Updating");
			EXPECT_EQ(s.next_step, nullptr);
			EXPECT_NE(s.message.find("Loopback One"), std::string::npos) << s.message;
		}
		stop_on_error = false;  // the user is asked before a button leaves: keep going first
		EXPECT_FALSE(run->check_can_close(ins_btn_back));
		stop_on_error = true;
		EXPECT_TRUE(run->check_can_close(ins_btn_back));
		server.release();
		run->close();
		EXPECT_EQ(dir.exists(folder), !fresh) << folder;
		ASSERT_FALSE(reports.empty());
		EXPECT_FALSE(reports.back().complete);
		EXPECT_FALSE(install_files_running());
	}
	EXPECT_EQ(questions, (std::vector<question_kind>{question_cancel_install, question_cancel_install,
	                                                 question_cancel_install, question_cancel_install}));
}

TEST_F(install_step, fatal_error_stops_or_goes_on)
{
	stall_downloads(http_fault::status_404);
	for (bool stop : {true, false}) {
		stop_on_error = stop;
		questions.clear();
		fetch_and_plan(dir / (stop ? "stop/" : "go_on/"));
		step_wizard w;
		auto* run = w.finish(new any_run_install(&w, 1, k_msgs, ins_install_new));
		ASSERT_EQ(run->open(), run);
		wizard_screen s;
		wizard_func* r = nullptr;
		const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
		while (questions.empty() && std::chrono::steady_clock::now() < end) {
			s.reset();
			r = run->go(s);
			std::this_thread::sleep_for(std::chrono::milliseconds(2));
		}
		ASSERT_EQ(questions, std::vector<question_kind>{question_install_error});
		EXPECT_EQ(err_domain(w.error_code), err_dom_http);
		EXPECT_EQ(w.error_text, error_str(w.error_code));
		EXPECT_EQ(run->fatal_errors, 1);
		if (stop) {
			EXPECT_EQ(r, w.after);
			EXPECT_FALSE(dir.exists("stop"));
			ASSERT_FALSE(reports.empty());
			EXPECT_FALSE(reports.back().complete);
			EXPECT_FALSE(install_files_running());
		} else {
			EXPECT_EQ(r, run);
			EXPECT_TRUE(install_files_running());
			run->close();
			EXPECT_FALSE(dir.exists("go_on"));
		}
	}
}

TEST(run_sim, launches_the_only_copy_or_waits_for_a_choice)
{
	const std::vector<std::string> saved = all_skysuites;
	const std::string saved_dest = dest_dir_path;
	run_sim_wizard w(nullptr, 0);
	auto* step = static_cast<pick_run_sim*>(w.steps.at(0));
	struct run_case {
		std::vector<std::string> known;
		std::string dest;
		wizard_func* result;
		wizard_func* next;
		std::string dest_after;
	};
	const run_case cases[] = {
		{{"/a/"}, "", wiz_target_run_sim, nullptr, "/a/"},
		{{"/a/", "/b/"}, "", step, wiz_target_none, ""},
		{{"/a/", "/b/"}, "/b/", step, wiz_target_run_sim, "/b/"},
		{{}, "", step, wiz_target_none, ""},
	};
	for (const run_case& c : cases) {
		all_skysuites = c.known;
		dest_dir_path = c.dest;
		wizard_screen s;
		EXPECT_EQ(step->go(s), c.result);
		if (c.result == step)
			EXPECT_EQ(s.next_step, c.next);
		EXPECT_EQ(dest_dir_path, c.dest_after);
		EXPECT_EQ(s.title, "Run Skyvane");
		EXPECT_EQ(s.back_step, nullptr);
	}
	all_skysuites = saved;
	dest_dir_path = saved_dest;
}

}  // namespace
