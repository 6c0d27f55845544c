#include "app/Installer-f/analytics/analytics_recorder.h"

#include <cmath>
#include <cstdio>

#include "app/Installer-f/analytics/analytics_env.h"
#include "app/Installer-f/engine/install_driver.h"
#include "app/Installer-f/flows/steps/any_run_install.h"
#include "app/Installer-f/shell/system_info.h"
#include "core/installer/sim_info.h"
#include "core/installer/vendor_hosts.h"
#include "core/ui/RADAVI_shell.h"
#include "core/ui/stg.h"

ins_analytics_recorder* g_analytics = nullptr;

namespace {

// Values past this are clamped, so the bucket bounds stay within 64 bits.
constexpr double k_bucket_cap = 1e17;

long long clamped_whole(double v)
{
	if (!(v > 0))  // also NaN
		return 0;
	return static_cast<long long>(v < k_bucket_cap ? v : k_bucket_cap);
}

std::string range_text(long long low, long long high)
{
	char text[64];
	std::snprintf(text, sizeof text, "%lld - %lld", low, high);
	return text;
}

void analytics_teardown()
{
	if (g_analytics)
		g_analytics->stop_sending();
}

}  // namespace

std::string ga_decade_bucket(double value)
{
	const long long v = clamped_whole(value);
	if (v < 1)
		return "0";
	// Digits counted on the whole number: log10 of a float can land just under a power of ten.
	long long low = 1;
	while (low <= v / 10)
		low *= 10;
	return range_text(low, low * 10 - 1);
}

std::string ga_dl_time_bucket(double seconds)
{
	const long long minutes = clamped_whole(seconds) / 60;
	const long long a = 30 * (minutes / 30);
	return range_text(a, a + 29);
}

std::string ga_fatal_error_bucket(int count)
{
	if (count < 1)
		return "0";
	if (count <= 9)
		return "1 - 9";
	const long long a = 10LL * (count / 10);
	return range_text(a, a + 9);
}

const char* ga_dl_source_label(int source)
{
	switch (source) {
	case ins_src_none: return "None";
	case ins_src_net: return "Net";
	case ins_src_dvd: return "DVD";
	case ins_src_net_full: return "CDN";
	}
	return "";
}

const char* ga_installation_type_label(int install_type)
{
	switch (install_type) {
	case ins_install_new: return "New Install";
	case ins_install_update: return "Update";
	case ins_install_scenery: return "Add/Remove Scenery";
	}
	return "";
}

// The install model keeps no edition field; what it records tells them apart. Discs and the full
// network release (source CDN) always hold the full product. The release of the update install
// names is fetched for a new installation only by the demo flow (the full install fetches the full
// release); on an existing installation it brings that installation up to the whole product, so
// an update counts as full. Without a source nothing was read.
const char* ins_product_type_label(const sim_info_struct& info, int install_type)
{
	switch (info.source) {
	case ins_src_dvd:
	case ins_src_net_full: return "Full";
	case ins_src_net: return install_type == ins_install_new ? "Demo" : "Full";
	case ins_src_none: break;
	}
	return "Unknown";
}

void event_data_ins::set_total_kb(double kb)
{
	data.set("Total MB", ga_decade_bucket(static_cast<double>(clamped_whole(kb) / 1024)));
}

desktop_analytics_recorder::desktop_analytics_recorder() : analytics_recorder(vendor_tracking_id(), false) {}

void desktop_analytics_recorder::start_session(const std::string& name, const std::string& version)
{
	if (!user_allows_sending_analytics())
		return;
	event_data e;
	set_generic_system_parameters(&e);
	start_session(name, version, e.to_map());
	mark_session_started();
}

void desktop_analytics_recorder::set_generic_system_parameters(event_data* data)
{
	data->set("CPU Class", system_info.processor);
	data->set("GPU Class", ga_gpu_renderer());
	data->set("RAM Class", std::to_string(system_info.memory_class));
	data->set("Platform", ga_platform_name());
}

bool ins_analytics_recorder::user_allows_sending_analytics() const { return stg.send_analytics != 0; }

void ins_analytics_recorder::finished_download(const dl_stats& stats, const sim_info_struct& info, bool complete,
                                               int fatal_errors, int install_type)
{
	if (!user_allows_sending_analytics())
		return;
	event_data_ins e;
	set_generic_system_parameters(&e.data);
	e.set_file_count(stats.files_installed);
	e.set_chunk_count(stats.tickets_done);
	e.set_total_kb(stats.kb_done);
	e.set_dl_time(stats.seconds);
	e.set_dl_rate(stats.rate_mean);
	e.set_dl_rate_deviation(stats.rate_stddev);
	e.set_retry_count(stats.error_count);
	e.set_product_type(ins_product_type_label(info, install_type));
	e.set_dl_source(info.source);
	e.set_dl_complete(complete);
	e.set_fatal_error_count(fatal_errors);
	e.set_installation_type(install_type);
	log_event("Ended Download", e.to_map());
}

void ins_analytics_start()
{
	if (!g_analytics) {
		g_analytics = new ins_analytics_recorder();
		// Registered after the network's teardown, so it runs before it: no transfer outlives libcurl.
		RADAVI_add_teardown(analytics_teardown);
	}
	set_finished_download_reporter([](const dl_stats& stats, const sim_info_struct& info, bool complete,
	                                  int fatal_errors, ins_install_type type) {
		g_analytics->finished_download(stats, info, complete, fatal_errors, type);
	});
	if (stg.send_analytics)
		ins_analytics_start_session();
}

void ins_analytics_start_session()
{
	if (g_analytics)
		g_analytics->start_session(INS_ANALYTICS_APP_NAME, INS_ANALYTICS_APP_VERSION);
}
