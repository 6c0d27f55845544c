#include "app/Installer-f/flows/steps/any_get_install_info_net.h"

#include "app/Installer-f/wizard/wizard_collection.h"
#include "app/Installer-f/wizard/wizard_screen.h"
#include "core/installer/new_format.h"
#include "core/installer/sim_info.h"
#include "core/ui/stg.h"
#include "core/ui/translate.h"

any_get_install_info_net::any_get_install_info_net(wizard_collection* owner, bool full, bool demo, bool beta_allowed,
                                                   const any_get_install_info_net_msgs& msgs)
	: wizard_func(owner, UTL_translate_string("Check Servers"), "Get Installation Info from Internet"),
	  full(full), demo(demo), beta_allowed(beta_allowed), msgs(msgs)
{
}

any_get_install_info_net::~any_get_install_info_net() { delete job; }

wizard_func* any_get_install_info_net::open()
{
	// A disc set found earlier in the flow is the source: nothing to fetch. A disc whose manifest
	// could not be read is no source, or nothing would be installed.
	if (full && sim_info.source == ins_src_dvd && sim_info.version != 0)
		return owner->next_for_step(this);
	return this;
}

void any_get_install_info_net::close()
{
	delete job;
	job = nullptr;
}

wizard_func* any_get_install_info_net::go(wizard_screen& screen)
{
	screen.title = msgs.title;
	screen.back_step = owner->prev_for_step(this);
	screen.next_step = wiz_target_none;

	if (!job)
		job = new download_directory(demo, full, stg.get_beta != 0 && beta_allowed);

	switch (job->state) {
	case dld_done:
		close();
		return owner->next_for_step(this);
	case dld_failed:
		owner->error_code = job->error;
		owner->error_text = error_str(job->error);
		close();
		return owner->steps.empty() ? owner->next_for_step(this) : owner->steps.back();
	case dld_new_format:
		new_format(demo);
		return this;
	case dld_manifest: {
		const int i = stg.server_index;
		const std::string label =
			i >= 0 && i < static_cast<int>(server_list.servers.size()) ? server_list.servers[i].name : std::string();
		screen.message = UTL_string_sub(msgs.downloading, label);
		screen.progress_text = UTL_string_sub(msgs.progress, std::to_string(static_cast<int>(job->percent())));
		screen.progress = job->percent() / 100.0f;
		job->do_work();
		return this;
	}
	default:
		screen.message = msgs.contacting;
		screen.progress = job->percent() / 100.0f;
		job->do_work();
		return this;
	}
}
