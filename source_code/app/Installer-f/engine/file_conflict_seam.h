#pragma once
// The question asked about a file the user changed that the install would overwrite or delete.
// The plan only asks; who answers is installed from above: the modal dialog, the unattended mode
// or a test.
#include <functional>
#include <string>

enum file_conflict_answer_t {
	file_conflict_replace = 0,          // overwrite, or delete in the delete form
	file_conflict_keep = 1,
	file_conflict_replace_all_in_dir = 2,
	file_conflict_keep_all_in_dir = 3,
	file_conflict_cancel = 4            // cancel the installation
};

typedef std::function<int(const std::string& path, bool is_delete)> file_conflict_answerer_t;

// An empty function restores the default answerer.
void set_file_conflict_answerer(file_conflict_answerer_t fn);

// Returns one of file_conflict_answer_t. An answer outside 0..4 counts as keep.
int prompt_for_modified_file_decision(const std::string& path, bool is_delete);
