#include "app/Installer-f/analytics/analytics_env.h"

#include <systemd/sd-id128.h>

#include <cstdio>
#include <mutex>

#include "core/ui/log.h"

namespace {

// This application's own key: the machine id hashed with it cannot be matched with what other
// programs derive from the same machine id.
const sd_id128_t k_app_id = SD_ID128_ARRAY(a4, 4a, 31, a0, b7, 3b, 42, 36, ad, f0, 44, 66, 8a, c7, ce, a6);

// Seams are set on the main thread at start-up and read when hits are built (main thread too);
// the lock only guards against a window layer that sets them from elsewhere.
std::mutex s_lock;
std::function<std::string()> s_client_id_source;
std::string s_gpu_renderer;
ga_size_source s_window_size;
ga_size_source s_monitor_size;

void read_size(const ga_size_source& source, int& width, int& height)
{
	width = 0;
	height = 0;
	if (source)
		source(width, height);
	if (width < 0 || height < 0)
		width = height = 0;
}

}  // namespace

const char* ga_platform_name() { return "Linux"; }

std::string ga_machine_client_id()
{
	static const std::string id = [] {
		sd_id128_t v;
		const int r = sd_id128_get_machine_app_specific(k_app_id, &v);
		if (r < 0) {
			skyvane_log_write(log_warn, "SYS", "No machine identifier for usage data (error %d)", -r);
			return std::string();
		}
		char text[37];
		std::snprintf(text, sizeof text, SD_ID128_UUID_FORMAT_STR, SD_ID128_FORMAT_VAL(v));
		return std::string(text);
	}();
	return id;
}

std::string ga_client_id()
{
	std::function<std::string()> source;
	{
		std::lock_guard<std::mutex> g(s_lock);
		source = s_client_id_source;
	}
	return source ? source() : ga_machine_client_id();
}

void ga_set_client_id_source(std::function<std::string()> source)
{
	std::lock_guard<std::mutex> g(s_lock);
	s_client_id_source = std::move(source);
}

void ga_set_gpu_renderer(const std::string& name)
{
	std::lock_guard<std::mutex> g(s_lock);
	s_gpu_renderer = name;
}

std::string ga_gpu_renderer()
{
	std::lock_guard<std::mutex> g(s_lock);
	return s_gpu_renderer;
}

void ga_set_window_size_source(ga_size_source source)
{
	std::lock_guard<std::mutex> g(s_lock);
	s_window_size = std::move(source);
}

void ga_set_monitor_size_source(ga_size_source source)
{
	std::lock_guard<std::mutex> g(s_lock);
	s_monitor_size = std::move(source);
}

void ga_window_size(int& width, int& height)
{
	ga_size_source source;
	{
		std::lock_guard<std::mutex> g(s_lock);
		source = s_window_size;
	}
	read_size(source, width, height);
}

void ga_monitor_size(int& width, int& height)
{
	ga_size_source source;
	{
		std::lock_guard<std::mutex> g(s_lock);
		source = s_monitor_size;
	}
	read_size(source, width, height);
}
