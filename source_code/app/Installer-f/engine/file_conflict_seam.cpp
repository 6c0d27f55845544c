#include "app/Installer-f/engine/file_conflict_seam.h"

#include "core/ui/log.h"

namespace {
file_conflict_answerer_t s_answerer;
}

void set_file_conflict_answerer(file_conflict_answerer_t fn) { s_answerer = std::move(fn); }

int prompt_for_modified_file_decision(const std::string& path, bool is_delete)
{
	// With nobody to ask, keep the user's copy: keeping can always be undone by a later update,
	// overwriting or deleting a changed file cannot.
	if (!s_answerer)
		return file_conflict_keep;
	const int answer = s_answerer(path, is_delete);
	if (answer < file_conflict_replace || answer > file_conflict_cancel) {
		skyvane_log_write(log_warn, "INS", "Unknown answer %d about the changed file %s; keeping it.", answer,
		                  path.c_str());
		return file_conflict_keep;
	}
	return answer;
}
