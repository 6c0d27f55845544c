#include "app/Installer-f/flows/questions.h"

#include "app/Installer-f/engine/file_conflict_seam.h"
#include "core/ui/log.h"

bool file_modified_apply_to_all = false;

namespace {
abort_answerer_t s_abort_answerer;
file_modified_answerer_t s_file_answerer;

const char* file_answer_name(int answer)
{
	switch (answer) {
	case file_conflict_replace: return "replace";
	case file_conflict_keep: return "keep";
	case file_conflict_replace_all_in_dir: return "replace all in this folder";
	case file_conflict_keep_all_in_dir: return "keep all in this folder";
	default: return "cancel the installation";
	}
}
}  // namespace

void set_abort_answerer(abort_answerer_t fn) { s_abort_answerer = std::move(fn); }

bool abort_alert(const std::string& title, const std::string& message, const std::string& abort_label,
                 const std::string& abort_detail, const std::string& continue_label,
                 const std::string& continue_detail, question_kind kind)
{
	skyvane_log_write(log_info, "DLG", "Displaying alert:");
	skyvane_log_write(log_info, "DLG", "\t%s", title.c_str());
	skyvane_log_write(log_info, "DLG", "\t%s", message.c_str());
	bool abort;
	if (s_abort_answerer) {
		const abort_question q{kind, title, message, abort_label, abort_detail, continue_label, continue_detail};
		abort = s_abort_answerer(q);
	} else {
		// Nobody to ask: going on after an install error could leave a broken copy unnoticed.
		abort = kind == question_install_error;
	}
	skyvane_log_write(log_info, "DLG", "\tUser decided to %s.", abort ? "abort" : "continue");
	return abort;
}

int file_modified_answer(int command, bool apply_to_all)
{
	switch (command) {
	case file_conflict_replace: return apply_to_all ? file_conflict_replace_all_in_dir : file_conflict_replace;
	case file_conflict_keep: return apply_to_all ? file_conflict_keep_all_in_dir : file_conflict_keep;
	case file_conflict_cancel: return file_conflict_cancel;
	default: return file_conflict_keep;
	}
}

int file_modified_question(const std::string& path, bool is_delete)
{
	skyvane_log_write(log_info, "DLG", "Asking about the changed file %s (%s).", path.c_str(),
	                  is_delete ? "delete" : "install");
	const int command = s_file_answerer ? s_file_answerer(path, is_delete) : file_conflict_keep;
	const int answer = file_modified_answer(command, file_modified_apply_to_all);
	skyvane_log_write(log_info, "DLG", "\tUser decided to %s.", file_answer_name(answer));
	return answer;
}

void set_file_modified_answerer(file_modified_answerer_t fn)
{
	s_file_answerer = std::move(fn);
	if (s_file_answerer)
		set_file_conflict_answerer(file_modified_question);
	else
		set_file_conflict_answerer(nullptr);
}
