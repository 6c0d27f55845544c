#pragma once
// Usage-data tests: a loopback collector that records every POST to "/collect", the vendor's
// analytics host and tracking id pointed at it, a fixed client identifier and display, and a
// known computer description. pump() drives the main-thread run loop as the main loop does.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Installer-f/analytics/analytics_env.h"
#include "app/Installer-f/analytics/analytics_recorder.h"
#include "app/Installer-f/shell/system_info.h"
#include "core/sockets/UTL_http.h"
#include "core/thread/UTL_runloop.h"
#include "core/ui/UTL_cmdline.h"
#include "core/ui/lang_setting.h"
#include "core/ui/stg.h"
#include "support/http_fixture.h"

inline const char* const k_test_cid = "0f8b1c2d-3e4f-4a5b-8c6d-7e8f9a0b1c2d";
inline const char* const k_test_cpu = "Test CPU 3000 - Speed: 2.50 GHz - Cores: 4";
inline const char* const k_test_gpu = "llvmpipe (LLVM 15.0.6, 256 bits)";

class analytics_test : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (!UTL_http_is_inited())
			UTL_http_init();
		UTL_runloop_init();
		saved_stg = stg;
		saved_info = system_info;
		saved_lang = UTL_get_lang_index();
		collector.serve("/collect", "ok");
		point_at(collector.host());
		ga_set_client_id_source([] { return std::string(k_test_cid); });
		ga_set_gpu_renderer(k_test_gpu);
		ga_set_window_size_source([](int& w, int& h) { w = 1024, h = 768; });
		ga_set_monitor_size_source([](int& w, int& h) { w = 1920, h = 1080; });
		system_info.processor = k_test_cpu;
		system_info.memory_class = 8;
		UTL_set_lang_index(0);
		stg.send_analytics = 1;
	}
	void TearDown() override
	{
		if (recorder) {
			pump([this] { return idle(); });
			recorder.reset();
		}
		ga_set_client_id_source(nullptr);
		ga_set_gpu_renderer("");
		ga_set_window_size_source(nullptr);
		ga_set_monitor_size_source(nullptr);
		cmdline.clear();
		stg = saved_stg;
		system_info = saved_info;
		UTL_set_lang_index(saved_lang);
	}

	// The collector's host for --analytics_host, tracking id "UA-1-2".
	void point_at(const std::string& host)
	{
		std::string a = "--analytics_host=" + host;
		const char* argv[] = {"skyvane-installer", a.c_str(), "--analytics_id=UA-1-2"};
		cmdline.clear();
		cmdline.parse(3, argv);
	}

	ins_analytics_recorder& make_recorder()
	{
		recorder = std::make_unique<ins_analytics_recorder>();
		return *recorder;
	}

	bool idle() const { return recorder->queued_hits().empty() && !recorder->is_sending(); }

	// Runs the main-thread run loop until done() holds; false after 20 seconds.
	static bool pump(const std::function<bool()>& done)
	{
		const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
		while (!done()) {
			if (std::chrono::steady_clock::now() > end)
				return false;
			UTL_runloop_run(100, 1000000);
			std::this_thread::sleep_for(std::chrono::milliseconds(1));
		}
		return true;
	}

	// The bodies the collector received, in order.
	std::vector<std::string> bodies() const
	{
		std::vector<std::string> out;
		for (const http_request_record& r : collector.requests("/collect"))
			out.push_back(r.body);
		return out;
	}

	// What every hit starts with under the fixture's settings.
	static std::string boilerplate(const std::string& cid = k_test_cid)
	{
		std::string p = "v=1&tid=UA-1-2&an=Skyvane&av=Skyvane Installer 4.01r1&vp=1024x768&ul=en&sr=1920x1080";
		if (!cid.empty())
			p += "&cid=" + cid;
		return p;
	}
	static std::string computer_dims()
	{
		return "&cd16=Linux&cd17=Test%20CPU%203000%20-%20Speed:%202.50%20GHz%20-%20Cores:%204"
		       "&cd18=llvmpipe%20(LLVM%2015.0.6,%20256%20bits)&cd19=8";
	}

	http_fixture collector;
	std::unique_ptr<ins_analytics_recorder> recorder;
	stg_record saved_stg;
	system_info_record saved_info;
	int saved_lang = 0;
};
