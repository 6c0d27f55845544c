#include "app/Installer-f/flows/steps/any_run_install.h"

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_driver.h"
#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/flows/questions.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/files/file_ops.h"
#include "core/files/ouf_open.h"
#include "core/installer/dvd_locate.h"
#include "core/installer/install_registry.h"
#include "core/installer/sim_info.h"
#include "core/platform/WIN_app.h"
#include "core/ui/log.h"
#include "core/ui/proxy_setting.h"
#include "core/ui/stg.h"
#include "core/ui/translate.h"

namespace {
finished_download_fn s_finished_download;

// A cancelled new installation is removed whole; never a folder that cannot be one.
void delete_new_installation()
{
	if (dest_dir_path.size() < 3 || dest_dir_path[0] != '/' || dest_dir_path.back() != '/') {
		skyvane_log_write(log_error, "INS", "Not deleting the unfinished installation at \"%s\".",
		                  dest_dir_path.c_str());
		return;
	}
	const err_code_t err = recursive_delete_folder(dest_dir_path);
	if (err != 0)
		skyvane_log_write(log_error, "INS", "Recursive delete on %s failed: %s", dest_dir_path.c_str(),
		                  error_str(err).c_str());
}

wizard_func* report_step(wizard_collection* w, wizard_func* self)
{
	return w->steps.empty() ? w->next_for_step(self) : w->steps.back();
}
}  // namespace

void set_finished_download_reporter(finished_download_fn fn) { s_finished_download = std::move(fn); }

std::string run_install_message(const std::vector<std::pair<std::string, float>>& servers, float done, float total)
{
	float sum = 0;
	bool all_failing = !servers.empty();
	for (const auto& s : servers) {
		if (s.second > 0)
			sum += s.second;
		if (s.second >= 0)
			all_failing = false;
	}
	const float seconds_left = sum != 0 && done < total ? (total - done) / sum : 0;

	std::string m;
	if (servers.empty()) {
		m = UTL_translate_string("Installing files from DVD.");
	} else if (all_failing) {
		m = UTL_translate_string("Unable to download. Please check your internet connection.") + "\n" +
		    UTL_translate_string("The installer will try to download again shortly.") + "\n" +
		    UTL_translate_string("Press the Back button to cancel installation.");
	} else {
		const int n = static_cast<int>(servers.size());
		m = UTL_string_sub(
			UTL_translate_plural(n, "About %1:time% left in the install, downloading at %2:rate% from %3:number% download server.",
		                         "About %1:time% left in the install, downloading at %2:rate% from %3:number% download servers."),
			get_time_str_one_unit(seconds_left), rate_str(sum), std::to_string(n));
	}
	for (const auto& s : servers) {
		m += "\n\n";
		if (s.second > 0)
			m += UTL_string_sub(UTL_translate_string("Downloading at %1:rate% from %2:server%."), rate_str(s.second), s.first);
		else if (s.second < 0)
			m += UTL_string_sub(UTL_translate_string("Unable to download from server %1:server%."), s.first);
		else
			m += UTL_string_sub(UTL_translate_string("Contacting %1:server%."), s.first);
	}
	return m;
}

std::string rate_str(float kilobytes_per_second)
{
	const int n = static_cast<int>(kilobytes_per_second);
	return UTL_string_sub(UTL_translate_plural(n, "%1:rate% kilobyte/second", "%1:rate% kilobytes/second"),
	                      std::to_string(n));
}

bool UTIL_cancel_install(const std::string& lead_in, const std::string& options, const std::string& stop_label,
                         const std::string& stop_detail, const std::string& continue_label,
                         const std::string& continue_detail)
{
	std::string specific;
	install_files_get_error(specific, false);
	return abort_alert(UTL_translate_string("CANCEL INSTALLATION IN PROGRESS?"),
	                   UTL_string_sub("%1:general error%\n\n%2:specific error%.\n\n%3:options%", lead_in, specific, options),
	                   stop_label, stop_detail, continue_label, continue_detail, question_install_error);
}

err_code_t write_analytics_pref(const std::string& folder, int send_analytics, const std::string& proxy_host)
{
	std::ofstream out;
	errno = 0;
	if (!ouf_open(out, folder + INS_ANALYTICS_PREF_FILE, ouf_kind_text, 10, "no-copyright-string"))
		return err_from_errno(errno ? errno : EIO);
	out << "_send_analytics " << (send_analytics + 1) << "\n";
	if (!proxy_host.empty())
		out << "_proxy_host " << proxy_host << "\n";
	out.close();
	return out.fail() ? err_from_errno(EIO) : 0;
}

any_run_install::any_run_install(wizard_collection* owner, int new_installation, const any_run_install_msgs& msgs,
                                 ins_install_type install_type)
	: wizard_func(owner, UTL_translate_string("Install"), "Run Install"), new_installation(new_installation),
	  msgs(msgs), install_type(install_type)
{
}

wizard_func* any_run_install::open()
{
	fatal_errors = wanted_file = current_file = running = waiting_for_disc = 0;
	if (choose_files(1) == 0 || make_dirs() != 0) {
		wizard_func* back = owner->prev_for_step(this);
		return wiz_is_step(back) ? back : report_step(owner, this);
	}
	UTL_register_skyvane(dest_dir_path);
	delete_files();
	make_dirs();
	return this;
}

void any_run_install::close()
{
	if (running) {
		install_files_kill();
		if (new_installation)
			delete_new_installation();
		dump_stats(false);
	}
	running = 0;
}

bool any_run_install::check_can_close(ins_btn_type)
{
	return abort_alert(UTL_translate_string("CANCEL INSTALLATION IN PROGRESS?"), msgs.cancel_question,
	                   msgs.cancel_label, msgs.cancel_detail, msgs.continue_label, msgs.continue_detail,
	                   question_cancel_install);
}

void any_run_install::dump_stats(bool complete)
{
	dl_stats s;
	install_get_download_stats(s);
	if (s.files_installed > 0 && sim_info.source != ins_src_dvd) {
		std::printf("Files: %d\n", s.files_installed);
		std::printf("Chunks: %d\n", s.tickets_done);
		std::printf("Total kbytes: %f\n", s.kb_done);
		std::printf("DL Time: %f\n", s.seconds);
		std::printf("DL Rate: %f\n", s.rate_mean);
		std::printf("DL deviation: %f\n", s.rate_stddev);
		std::printf("Retries: %d\n", s.error_count);
		std::printf("Source: %d\n", static_cast<int>(sim_info.source));
		std::printf("Complete: %s\n", complete ? "yes" : "no");
		std::printf("Fatal Errors: %d\n", fatal_errors);
		std::fflush(stdout);
	}
	if (s_finished_download)
		s_finished_download(s, sim_info, complete, fatal_errors, install_type);
}

wizard_func* any_run_install::go(wizard_screen& screen)
{
	screen.title = msgs.title;
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = wiz_target_none;
	const int file_count = static_cast<int>(sim_info.files.size());

	if (running && waiting_for_disc) {
		const int disc = wanted_file >= 0 && wanted_file < file_count ? sim_info.files[wanted_file].cur().disk : 0;
		screen.title = msgs.disc_title;
		screen.message = UTL_string_sub(UTL_translate_string("Please insert DVD number %1:disk number%, then wait a few "
		                                                     "moments for the DVD to be recognized by your computer."),
		                                std::to_string(disc + 1));
		if (g_new_disc_flag) {
			g_new_disc_flag = 0;
			if (UTIL_verify_disk())
				waiting_for_disc = 0;
		}
		return this;
	}

	running = 1;
	const int r = install_files(wanted_file, current_disk, current_file);
	switch (r) {
	case install_files_done: {
		running = 0;
		if (new_installation) {
			std::string proxy;
			UTL_get_proxy_host(proxy);
			const std::string folder = dest_dir_path + INS_ANALYTICS_PREF_FOLDER;
			const err_code_t err = write_analytics_pref(folder, stg.send_analytics, proxy);
			if (err != 0)
				skyvane_log_write(log_error, "INS", "Could not write %s%s: %s", folder.c_str(), INS_ANALYTICS_PREF_FILE,
				                  error_str(err).c_str());
		}
		dump_stats(true);
		return owner->next_for_step(this);
	}
	case install_files_next_disc:
		want_file_disk = wanted_file;
		waiting_for_disc = 1;
		if (!sim_info.dvd_root.empty()) {
			eject_dvd(sim_info.dvd_root);
			sim_info.dvd_root.clear();
		}
		return this;
	case install_files_failed: {
		++fatal_errors;
		const bool stop = UTIL_cancel_install(msgs.error_lead_in, msgs.error_options, msgs.error_stop_label,
		                                      msgs.error_stop_detail, msgs.error_continue_label,
		                                      msgs.error_continue_detail);
		if (stop) {
			running = 0;
			install_files_kill();
			if (new_installation)
				delete_new_installation();
		}
		std::string text;
		owner->error_code = install_files_get_error(text, true);
		owner->error_text = text;
		if (!stop)
			return this;
		dump_stats(false);
		return owner->next_for_step(this);
	}
	default:
		break;
	}

	float progress = current_file < file_count ? sim_info.files[current_file].cur().progress_start : 1.0f;
	std::vector<std::pair<std::string, float>> servers;
	float done = 0, total = 0;
	install_get_download_rates(servers, done, total);
	if (total > 0)
		progress = done / total;
	screen.progress = progress;
	screen.progress_text = current_file < file_count
		                       ? UTL_string_sub(UTL_translate_string("Installing: %1:file%"), sim_info.files[current_file].cur().path)
		                       : UTL_translate_string("Finishing up...");

	screen.message = run_install_message(servers, done, total);
	return this;
}
