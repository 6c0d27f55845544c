#pragma once
// The install step: starts the install driver, polls it once per frame and shows progress,
// the time left and one line per download server; asks for discs, puts fatal errors to the
// user, and on success records the usage-data consent in a new installation.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/Installer-f/wizard/wizard_func.h"
#include "core/ui/err_code.h"

struct dl_stats;
struct sim_info_struct;

enum ins_install_type { ins_install_new = 0, ins_install_update = 1, ins_install_scenery = 2 };

struct any_run_install_msgs {
	std::string cancel_question;   // 0
	std::string cancel_label;      // 1
	std::string cancel_detail;     // 2
	std::string continue_label;    // 3
	std::string continue_detail;   // 4
	std::string title;             // 5
	std::string disc_title;        // 6 while waiting for a disc
	std::string error_lead_in;     // 7
	std::string error_options;     // 8
	std::string error_stop_label;  // 9
	std::string error_stop_detail;       // 10
	std::string error_continue_label;    // 11
	std::string error_continue_detail;   // 12
};

#define INS_ANALYTICS_PREF_FOLDER "Output/preferences/"
#define INS_ANALYTICS_PREF_FILE "Skyvane Analytics.prf"

class any_run_install : public wizard_func {
public:
	any_run_install(wizard_collection* owner, int new_installation, const any_run_install_msgs& msgs,
	                ins_install_type install_type);

	wizard_func* go(wizard_screen& screen) override;
	wizard_func* open() override;
	void close() override;
	bool check_can_close(ins_btn_type cause) override;
	void dump_stats(bool complete);

	int fatal_errors = 0;
	int wanted_file = 0;
	int current_file = 0;
	int running = 0;
	int waiting_for_disc = 0;
	int new_installation;
	any_run_install_msgs msgs;
	ins_install_type install_type;
};

// The install screen's message from the driver's per-server rates (kilobytes per second:
// positive delivering, negative failing, 0 being contacted) and kilobytes done and in all.
std::string run_install_message(const std::vector<std::pair<std::string, float>>& servers, float kb_done,
                                float kb_total);

// "%1:rate% kilobyte/second" or "... kilobytes/second" with the whole number.
std::string rate_str(float kilobytes_per_second);
// The install-error question; true when the user chose to stop.
bool UTIL_cancel_install(const std::string& lead_in, const std::string& options, const std::string& stop_label,
                         const std::string& stop_detail, const std::string& continue_label,
                         const std::string& continue_detail);

// Writes the consent file of a new installation into folder (ending with "/"): "_send_analytics "
// + (send_analytics + 1), and "_proxy_host " + host when there is one. 0 or the error.
err_code_t write_analytics_pref(const std::string& folder, int send_analytics, const std::string& proxy_host);

// Every run's end goes to usage analytics through this (installed by the analytics recorder).
typedef std::function<void(const dl_stats& stats, const sim_info_struct& info, bool complete, int fatal_errors,
                           ins_install_type type)>
	finished_download_fn;
void set_finished_download_reporter(finished_download_fn fn);
