#pragma once
// The recorders over the usage-data client: the session start with the computer's description,
// and the installer's one event, "Ended Download", sent at the end of every installation run
// when the user allows it. The one recorder lives in g_analytics from start-up to exit.
#include <string>
#include <utility>

#include "app/Installer-f/analytics/google_analytics_desktop.h"

class gui_widget_controller;
struct dl_stats;
struct sim_info_struct;

#define INS_ANALYTICS_APP_NAME "Skyvane"
#define INS_ANALYTICS_APP_VERSION "Skyvane Installer 4.01r1"

template <class Client>
class analytics_recorder : public Client {
public:
	template <class... Args>
	explicit analytics_recorder(Args&&... args) : Client(std::forward<Args>(args)...) {}

	bool has_started_session() const { return session_started; }
	int sessions_started() const { return session_count; }

protected:
	void mark_session_started()
	{
		session_started = true;
		++session_count;
	}

private:
	bool session_started = false;
	int session_count = 0;
};

class desktop_analytics_recorder : public analytics_recorder<google_analytics_desktop_ins> {
public:
	// The vendor's tracking id; the client prints nothing.
	desktop_analytics_recorder();

	using google_analytics_desktop::start_session;
	// Nothing without the user's consent; otherwise a session-start hit with the computer's description.
	void start_session(const std::string& name, const std::string& version);
	// "Platform", "CPU Class", "GPU Class" and "RAM Class".
	void set_generic_system_parameters(event_data* data);

	virtual void viewed_screen(gui_widget_controller* screen) = 0;
	virtual bool user_allows_sending_analytics() const = 0;
};

// Buckets that keep the numbers anonymous.
// "0" below 1, else "10^p - 10^(p+1)-1" with p the number of decimal digits less one.
std::string ga_decade_bucket(double value);
// Whole minutes in 30-minute steps: "0 - 29", "30 - 59", ...
std::string ga_dl_time_bucket(double seconds);
// "0", "1 - 9", then tens: "10 - 19", "20 - 29", ...
std::string ga_fatal_error_bucket(int count);
// The source of the install model: "None", "Net", "DVD", "CDN"; empty for anything else.
const char* ga_dl_source_label(int source);
// "New Install", "Update", "Add/Remove Scenery"; empty for anything else.
const char* ga_installation_type_label(int install_type);
// The edition of the product a run installed: "Full", "Demo" or "Unknown".
const char* ins_product_type_label(const sim_info_struct& info, int install_type);

// The dimensions of an "Ended Download" event.
class event_data_ins {
public:
	event_data data;

	void set_file_count(int files) { data.set("File Count", ga_decade_bucket(files)); }
	void set_chunk_count(int chunks) { data.set("Chunk Count", ga_decade_bucket(chunks)); }
	void set_total_kb(double kb);
	void set_dl_time(double seconds) { data.set("DL Time", ga_dl_time_bucket(seconds)); }
	void set_dl_rate(double kb_per_second) { data.set("DL Rate", ga_decade_bucket(kb_per_second)); }
	void set_dl_rate_deviation(double kb_per_second) { data.set("DL Rate Deviation", ga_decade_bucket(kb_per_second)); }
	void set_retry_count(int retries) { data.set("Retry Count", ga_decade_bucket(retries)); }
	void set_product_type(const std::string& label) { data.set("Product Type", label); }
	void set_dl_source(int source) { data.set("DL Source", ga_dl_source_label(source)); }
	void set_dl_complete(bool complete) { data.set("DL Complete?", complete ? "Complete" : "Incomplete"); }
	void set_fatal_error_count(int count) { data.set("Fatal Error Count", ga_fatal_error_bucket(count)); }
	void set_installation_type(int install_type) { data.set("Installation Type", ga_installation_type_label(install_type)); }

	ga_params to_map() const { return data.to_map(); }
};

class ins_analytics_recorder : public desktop_analytics_recorder {
public:
	bool user_allows_sending_analytics() const override;
	void viewed_screen(gui_widget_controller*) override {}
	// Once at the end of every installation run, completed or not.
	void finished_download(const dl_stats& stats, const sim_info_struct& info, bool complete, int fatal_errors,
	                       int install_type);
};

// The one recorder, made by ins_analytics_start and kept until exit.
extern ins_analytics_recorder* g_analytics;

// Start-up: makes the recorder (once), sends every run's end to it, stops it at shutdown, and
// starts a session when stg.send_analytics is set. Installed with main_set_analytics_hook.
void ins_analytics_start();
// A session under the installer's name and version, when the recorder exists and the user allows it.
void ins_analytics_start_session();
