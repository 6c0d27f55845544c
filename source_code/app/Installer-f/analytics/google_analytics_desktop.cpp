#include "app/Installer-f/analytics/google_analytics_desktop.h"

#include <cstdio>

#include "app/Installer-f/analytics/analytics_env.h"
#include "core/installer/vendor_hosts.h"
#include "core/ui/lang_setting.h"
#include "core/ui/log.h"
#include "core/ui/translate.h"

bool google_analytics_desktop::s_debug = false;

const char* const ga_custom_dimension_name[] = {
	"File Count", "Chunk Count", "Total MB", "DL Time", "DL Rate", "DL Rate Deviation", "Retry Count",
	"Product Type", "DL Source", "Screen", "DL Complete?", "Fatal Error Count", "Installation Type", "Platform",
	"CPU Class", "GPU Class", "RAM Class",
};
const int ga_custom_dimension_id[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 18, 19};
const int ga_custom_dimension_count = sizeof ga_custom_dimension_id / sizeof ga_custom_dimension_id[0];
static_assert(sizeof ga_custom_dimension_name / sizeof ga_custom_dimension_name[0] ==
              sizeof ga_custom_dimension_id / sizeof ga_custom_dimension_id[0]);

namespace {

// The collector answers with a few bytes; anything long is not a collector.
UTL_http_limits collector_limits()
{
	UTL_http_limits l;
	l.max_bytes = 64 * 1024;
	return l;
}

}  // namespace

event_data::event_data() { values["Platform"] = ga_platform_name(); }

std::string ga_encode(const std::string& text)
{
	static const char hex[] = "0123456789ABCDEF";
	std::string out;
	out.reserve(text.size());
	for (unsigned char c : text) {
		if (c < 0x20 || c == 0x7F || c == '%' || c == '&' || c == '+' || c == '=' || c == '#') {
			out += '%';
			out += hex[c >> 4];
			out += hex[c & 15];
		} else {
			out += static_cast<char>(c);
		}
	}
	UTL_http_encode_url(out);
	return out;
}

google_analytics_desktop::google_analytics_desktop(const std::string& id, bool debug) : tracking_id(id)
{
	s_debug = debug;
}

google_analytics_desktop::~google_analytics_desktop()
{
	if (completion.load() == completion_queued)
		skyvane_log_write(log_error, "NET", "Usage-data client destroyed while the run loop still holds it");
	stop_sending();
}

void google_analytics_desktop::stop_sending()
{
	// Closes the flag first, so a transfer that ends while it is cancelled queues nothing.
	int expected = completion_idle;
	completion.compare_exchange_strong(expected, completion_stopped);
	if (expected == completion_queued)
		completion.store(completion_stopped);  // the run loop's visit will find nothing to do
	delete transfer;
	transfer = nullptr;
	hit_queue.clear();
}

void google_analytics_desktop::request_complete()
{
	int expected = completion_idle;
	if (completion.compare_exchange_strong(expected, completion_queued))
		UTL_runloop_queue(this);
}

void google_analytics_desktop::do_runloop_work()
{
	if (completion.load() == completion_stopped)
		return;
	if (s_debug && transfer)
		std::printf("google_analytics_desktop: hit %s (0x%08X)\n", transfer->is_ok() ? "sent" : "failed",
		            static_cast<unsigned>(transfer->get_error()));
	if (!hit_queue.empty())
		hit_queue.pop_front();
	delete transfer;
	transfer = nullptr;
	completion.store(completion_idle);
	attempt_post_request_send();
}

void google_analytics_desktop::attempt_post_request_send()
{
	if (transfer || hit_queue.empty() || completion.load() == completion_stopped)
		return;
	const std::string url = "http://" + vendor_analytics_host() + "/collect";
	transfer = new UTL_http_get_file(url, &hit_queue.front(), "application/x-www-form-urlencoded", this,
	                                 collector_limits());
}

void google_analytics_desktop::queue_hit(const std::string& payload)
{
	if (completion.load() == completion_stopped)
		return;
	if (s_debug)
		std::printf("google_analytics_desktop: queued %s\n", payload.c_str());
	hit_queue.push_back(payload);
	attempt_post_request_send();
}

std::string google_analytics_desktop::get_payload_boilerplate() const
{
	int vw, vh, sw, sh;
	ga_window_size(vw, vh);
	ga_monitor_size(sw, sh);
	char sizes[64];
	std::snprintf(sizes, sizeof sizes, "&vp=%dx%d", vw, vh);
	std::string p = "v=1&tid=" + tracking_id + "&an=" + app_name + "&av=" + app_version + sizes;
	p += std::string("&ul=") + UTL_get_iso_639_language_code(UTL_get_lang_index());
	std::snprintf(sizes, sizeof sizes, "&sr=%dx%d", sw, sh);
	p += sizes;
	const std::string cid = ga_client_id();
	if (!cid.empty())
		p += "&cid=" + cid;
	return p;
}

void google_analytics_desktop::start_session(const std::string& name, const std::string& version,
                                             const ga_params& parameters)
{
	app_name = name;
	app_version = version;
	std::string p = get_payload_boilerplate() + "&t=event&sc=start&ni=1&ec=Session_Control&ea=Start_Session";
	append_custom_dimensions_to_url(parameters, p);
	queue_hit(p);
}

void google_analytics_desktop::log_event(const std::string& category, const ga_params& parameters)
{
	schedule_post_request("event", category, parameters, "", "", 0);
}

void google_analytics_desktop::schedule_post_request(const std::string& hit_type, const std::string& category,
                                                     const ga_params& parameters, const std::string& label,
                                                     const std::string& action, int timing)
{
	const std::string cat = ga_encode(category);
	const std::string act = action.empty() ? std::string("app_action") : ga_encode(action);
	const std::string lab = label.empty() ? cat : ga_encode(label);
	std::string p = get_payload_boilerplate() + "&t=" + hit_type + "&ea=" + act + "&ec=" + cat + "&el=" + lab;
	if (timing > 0)
		p += "&utt=" + std::to_string(timing);  // the protocol's user-timing milliseconds
	append_custom_dimensions_to_url(parameters, p);
	// Events are only worth anything when they can be told apart by computer.
	if (ga_client_id().empty())
		return;
	queue_hit(p);
}

void google_analytics_desktop_ins::append_custom_dimensions_to_url(const ga_params& parameters, std::string& payload)
{
	for (int i = 0; i < ga_custom_dimension_count; ++i) {
		auto it = parameters.find(ga_custom_dimension_name[i]);
		if (it == parameters.end() || it->second.empty())
			continue;
		payload += "&cd" + std::to_string(ga_custom_dimension_id[i]) + "=" + ga_encode(it->second);
	}
}
