#pragma once
// The install-plan tests: a small model built in the test, the installation folder in a scratch
// folder, alerts and changed-file questions recorded instead of shown.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/Installer-f/engine/file_conflict_seam.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/install_plan.h"
#include "core/installer/sim_info.h"
#include "core/ui/alert.h"
#include "core/ui/stg.h"
#include "support/scratch_dir.h"

struct recorded_alert {
	std::string lines[4];
	RADAVI_alert_mode_t mode;
};

struct recorded_question {
	std::string path;
	bool is_delete;
};

class plan_test : public ::testing::Test {
protected:
	void SetUp() override
	{
		saved_stg_ = stg;
		sim_info.clear();
		set_install_filter(1, 1, 1);
		stg.target_os = 3;
		scenery_take_none();
		dest_dir_path = dir.path();
		s_alerts.clear();
		alert_set_gui([](const std::string lines[4], RADAVI_alert_mode_t mode, const std::string&) {
			s_alerts.push_back({{lines[0], lines[1], lines[2], lines[3]}, mode});
			return true;
		});
		set_file_conflict_answerer([this](const std::string& path, bool is_delete) {
			questions.push_back({path, is_delete});
			if (answers.empty()) {
				ADD_FAILURE() << "unexpected question about " << path;
				return int(file_conflict_keep);
			}
			const int a = answers.front();
			answers.pop_front();
			return a;
		});
	}
	void TearDown() override
	{
		set_file_conflict_answerer({});
		alert_set_gui(nullptr);
		sim_info.clear();
		dest_dir_path.clear();
		set_install_filter(1, 1, 1);
		stg = saved_stg_;
	}

	// A new manifest path; older checksums of it go first in history, the current one last.
	file_version_struct& add(const std::string& path, const std::vector<std::string>& history,
	                         const std::string& sig_have = "NONE", double disk_kb = 4, double download_kb = 1)
	{
		file_history_struct f;
		for (const std::string& sig : history) {
			file_version_struct v;
			v.path = path;
			v.sig_want = sig;
			v.disk_kb = disk_kb;
			v.download_kb = download_kb;
			f.versions.push_back(v);
		}
		f.cur().sig_have = sig_have;
		f.cur().local_ok = sig_have == f.cur().sig_want;
		sim_info.files.push_back(f);
		return sim_info.files.back().cur();
	}

	file_version_struct& add_scenery(const std::string& path, const std::string& sig_want, const std::string& sig_have,
	                                 int lon_min, int lat_min, int lon_max, int lat_max)
	{
		file_version_struct& v = add(path, {sig_want}, sig_have);
		v.is_scenery = 1;
		v.tile_lon_min = lon_min;
		v.tile_lat_min = lat_min;
		v.tile_lon_max = lon_max;
		v.tile_lat_max = lat_max;
		return v;
	}

	file_version_struct& file(const std::string& path)
	{
		for (file_history_struct& f : sim_info.files)
			if (f.cur().path == path)
				return f.cur();
		ADD_FAILURE() << "no manifest path " << path;
		return sim_info.files.front().cur();
	}

	scratch_dir dir;
	std::deque<int> answers;
	std::vector<recorded_question> questions;
	static inline std::vector<recorded_alert> s_alerts;

private:
	stg_record saved_stg_;
};
