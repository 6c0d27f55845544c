#pragma once
// The usage-data protocol client: hits are built and queued on the main thread and POSTed one at
// a time to the collector ("http://" + analytics host + "/collect"). The transfer's thread only
// flips the completion flag and queues the client on the main run loop, which drops the finished
// hit (sent or not: nothing is retried) and sends the next.
#include <atomic>
#include <list>
#include <map>
#include <string>

#include "core/sockets/UTL_http.h"
#include "core/thread/UTL_runloop.h"

// Dimension name to value, in name order.
typedef std::map<std::string, std::string> ga_params;

// The dimensions of one hit. A new one already names the platform.
class event_data {
public:
	event_data();
	void set(const std::string& name, const std::string& value) { values[name] = value; }
	ga_params to_map() const { return values; }

private:
	ga_params values;
};

// The custom dimensions the collector knows, in the order they are sent.
extern const char* const ga_custom_dimension_name[];
extern const int ga_custom_dimension_id[];
extern const int ga_custom_dimension_count;

// A text as it goes into a hit: every space as "%20" (UTL_http_encode_url), and the characters
// that would end or split a form field ("%", "&", "+", "=", "#", control bytes) as %XX.
std::string ga_encode(const std::string& text);

class google_analytics_desktop : public UTL_runloop_task, public UTL_http_subscriber {
public:
	google_analytics_desktop(const std::string& tracking_id, bool debug);
	// Cancels the transfer in flight and discards the queue.
	~google_analytics_desktop() override;
	google_analytics_desktop(const google_analytics_desktop&) = delete;
	google_analytics_desktop& operator=(const google_analytics_desktop&) = delete;

	// Main thread: the finished hit leaves the queue and the next one goes out.
	void do_runloop_work() override;
	const char* get_runloop_name() override { return "google_analytics_desktop"; }
	// Keeps name and version for every later hit and queues a session-start hit.
	virtual void start_session(const std::string& name, const std::string& version, const ga_params& parameters);
	// Transfer thread.
	void request_complete() override;
	virtual void append_custom_dimensions_to_url(const ga_params& parameters, std::string& payload) = 0;

	// An event hit of the category, action and label left to their defaults.
	void log_event(const std::string& category, const ga_params& parameters);
	// Builds one hit and queues it; dropped when this computer has no client identifier.
	void schedule_post_request(const std::string& hit_type, const std::string& category, const ga_params& parameters,
	                           const std::string& label, const std::string& action, int timing);

	// Shutdown: the transfer in flight is cancelled, the queue emptied, and nothing is sent again.
	void stop_sending();

	const std::list<std::string>& queued_hits() const { return hit_queue; }
	bool is_sending() const { return transfer != nullptr; }

	static bool s_debug;

protected:
	std::string get_payload_boilerplate() const;
	void attempt_post_request_send();
	void queue_hit(const std::string& payload);

private:
	enum { completion_idle = 0, completion_queued = 1, completion_stopped = 2 };

	const std::string tracking_id;
	std::string app_name;
	std::string app_version;
	std::list<std::string> hit_queue;       // oldest first; the head is the one in flight
	UTL_http_get_file* transfer = nullptr;
	std::atomic<int> completion{completion_idle};
};

// The installer's dimension table.
class google_analytics_desktop_ins : public google_analytics_desktop {
public:
	using google_analytics_desktop::google_analytics_desktop;
	void append_custom_dimensions_to_url(const ga_params& parameters, std::string& payload) override;
};
