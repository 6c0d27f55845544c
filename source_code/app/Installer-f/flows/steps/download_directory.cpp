#include "app/Installer-f/flows/steps/download_directory.h"

#include <algorithm>

#include "app/Installer-f/engine/install_plan.h"
#include "app/Installer-f/shell/installer_globals.h"
#include "core/installer/dvd_locate.h"
#include "core/installer/manifest_reader.h"
#include "core/installer/server_list_reader.h"
#include "core/installer/vendor_hosts.h"
#include "core/ui/app_clock.h"
#include "core/ui/log.h"
#include "core/ui/stg.h"

float s_cdn_rate_bytes_sec = 0;

namespace {
err_code_t read_error(int result) { return (static_cast<uint32_t>(result) & 0x0FFFFFFFu) | 0x80000000u; }

float clamp_percent(int p) { return static_cast<float>(std::clamp(p, 0, 100)); }
}  // namespace

download_directory::~download_directory()
{
	delete server_list_transfer;
	delete manifest_transfer;
}

float download_directory::percent() const
{
	if (state == dld_server_list && server_list_transfer)
		return 0.25f * clamp_percent(server_list_transfer->get_progress());
	if (state == dld_manifest && manifest_transfer)
		return 25.0f + 0.75f * clamp_percent(manifest_transfer->get_progress());
	return 0;
}

void download_directory::do_work()
{
	switch (state) {
	case dld_start:
		server_list_transfer =
			new UTL_http_get_file(vendor_server_list_url(), temp_path + DLD_SERVER_LIST_FILE, 0, nullptr);
		state = dld_server_list;
		break;

	case dld_server_list: {
		if (!server_list_transfer->is_done())
			break;
		const bool ok = server_list_transfer->is_ok();
		const err_code_t transfer_error = server_list_transfer->get_error();
		delete server_list_transfer;
		server_list_transfer = nullptr;
		if (!ok) {
			error = transfer_error;
			state = dld_failed;
			break;
		}
		const int r = UTL_read_server_list(temp_path + DLD_SERVER_LIST_FILE, server_list);
		if (r == ins_read_new_format) {
			state = dld_new_format;
			break;
		}
		if (r != 0) {
			error = read_error(r);
			state = dld_failed;
			break;
		}
		sim_info.clear();
		sim_info.version = -1;  // being filled until the manifest reader sets it
		sim_info.install_name = beta ? server_list.beta_name : full ? server_list.full_name : server_list.final_name;
		// A server list without the chosen mirror would leave nothing to ask; fail instead of
		// reading past the list.
		if (stg.server_index < 0 || stg.server_index >= static_cast<int>(server_list.servers.size())) {
			skyvane_log_write(log_error, "NET", "The server list has no mirror number %d (it lists %d).",
			                  stg.server_index, static_cast<int>(server_list.servers.size()));
			error = err_make(err_dom_ins, ins_err_no_server);
			state = dld_failed;
			break;
		}
		const UTL_server_info& server = server_list.servers[stg.server_index];
		manifest_transfer = new UTL_http_get_file(mirror_manifest_url(server, sim_info.install_name),
		                                          temp_path + INS_DIRECTORY_FILE, 1, nullptr);
		start_time = xtim.real_time;
		state = dld_manifest;
		break;
	}

	case dld_manifest: {
		if (!manifest_transfer->is_done())
			break;
		const bool ok = manifest_transfer->is_ok();
		const err_code_t transfer_error = manifest_transfer->get_error();
		const float rate = manifest_transfer->get_dl_rate();
		delete manifest_transfer;
		manifest_transfer = nullptr;
		if (!ok) {
			error = transfer_error;
			state = dld_failed;
			break;
		}
		if (full)
			s_cdn_rate_bytes_sec = rate;
		const int r =
			UTL_read_directory(temp_path + INS_DIRECTORY_FILE, sim_info, full ? ins_src_net_full : ins_src_net);
		if (r == ins_read_new_format) {
			state = dld_new_format;
		} else if (r != 0) {
			error = read_error(r);
			state = dld_failed;
		} else {
			state = dld_done;
			current_disk = -1;
			if (full)
				init_directory();
		}
		break;
	}

	default:
		break;
	}
}
