#pragma once
// One download reader between its two queues, for the url_reader tests; the fixture sets the
// process-wide pieces the reader reads (clock, proxy, manifest) and keeps it off the real system bus.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <sched.h>
#include <string>
#include <vector>

#include "app/Installer-f/engine/ins_url_reader.h"
#include "core/installer/sim_info.h"
#include "core/sockets/UTL_http.h"
#include "core/ui/app_clock.h"
#include "core/ui/proxy_setting.h"
#include "support/http_fixture.h"
#include "support/log_capture.h"

using encoded_ptr = std::unique_ptr<ins_encoded_file>;

inline std::string pattern(size_t n, unsigned seed = 0)
{
	std::string s(n, '\0');
	for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251 + seed) % 26);
	return s;
}

inline http_route faulty_route(http_fault f, std::string body = "", size_t fault_bytes = 0)
{
	http_route r;
	r.body = std::move(body);
	r.fault = f;
	r.fault_bytes = fault_bytes;
	return r;
}

inline std::string data_of(const ins_encoded_file& f) { return std::string(f.data.begin(), f.data.end()); }

// Spins (yielding) until pred holds; false if it did not within about 30 seconds, which only a
// hung reader takes.
template <class P>
bool eventually(P pred)
{
	auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	while (!pred()) {
		if (std::chrono::steady_clock::now() > give_up) return false;
		sched_yield();
	}
	return true;
}

struct reader_rig {
	explicit reader_rig(const std::string& base_url, const ins_url_reader_limits& limits = ins_url_reader_limits())
	    : reader(std::make_unique<ins_url_reader>(&in, &out, base_url, limits))
	{
	}
	~reader_rig()
	{
		reader.reset();
		for (ins_encoded_file* f = nullptr; out.read(f, 0);) delete f;
		for (ins_req_file* r = nullptr; in.read(r, 0);) delete r;
	}

	void send(const std::string& url, std::vector<int> slots = {0}) { in.write(new ins_req_file{std::move(slots), url}, -1); }
	// The next record; null when none came within wait_ms.
	encoded_ptr take(int wait_ms = -1)
	{
		ins_encoded_file* f = nullptr;
		return encoded_ptr(out.read(f, wait_ms) ? f : nullptr);
	}
	encoded_ptr fetch(const std::string& url, std::vector<int> slots = {0})
	{
		send(url, std::move(slots));
		return take();
	}
	bool resting() const { return reader->sleeping.load() == 1; }
	// Cuts a rest short, the way the stage's own wake-up does.
	void wake()
	{
		UTL_semaphore_inc(reader->sleep_sem);
		EXPECT_TRUE(eventually([&] { return !resting(); }));
	}

	UTL_atomic_fifo<ins_req_file*> in{64};
	UTL_atomic_fifo<ins_encoded_file*> out{64};
	std::unique_ptr<ins_url_reader> reader;
};

class url_reader_test : public ::testing::Test {
protected:
	void SetUp() override
	{
		UTL_http_init();
		UTL_set_proxy_host("");
		app_clock_set(1000.0);
		sim_info.clear();
		const char* bus = getenv("DBUS_SYSTEM_BUS_ADDRESS");
		saved_bus_ = bus ? bus : "";
		had_bus_ = bus != nullptr;
		setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/skyvane-test-bus", 1);
	}
	void TearDown() override
	{
		sim_info.clear();
		if (had_bus_)
			setenv("DBUS_SYSTEM_BUS_ADDRESS", saved_bus_.c_str(), 1);
		else
			unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
	}
	// Manifest entries 0..n-1, each announcing kb kilobytes of download.
	static void announce(std::vector<double> kb)
	{
		sim_info.files.clear();
		for (double k : kb) {
			file_history_struct h;
			h.versions.emplace_back();
			h.versions.back().download_kb = k;
			sim_info.files.push_back(h);
		}
	}

	log_capture log;

private:
	std::string saved_bus_;
	bool had_bus_ = false;
};
