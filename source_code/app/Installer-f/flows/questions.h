#pragma once
// The questions that interrupt a run until they are answered: the two-choice abort question
// (cancel an install in progress, go on after an install error, a very large download) and the
// changed-file question of the install plan. Who answers is installed from above: the modal
// dialogs, the unattended mode or a test. Main thread only.
#include <functional>
#include <string>

// What a two-choice question is about, so that an answerer without a person (the unattended
// mode) can tell them apart.
enum question_kind {
	question_other = 0,
	question_cancel_install = 1,  // "CANCEL INSTALLATION IN PROGRESS?" from a button
	question_install_error = 2,   // a fatal error during an install: stop or go on
	question_huge_download = 3    // "LONG INSTALLATION TIME EXPECTED"
};

struct abort_question {
	question_kind kind = question_other;
	std::string title;  // every text already translated
	std::string message;
	std::string abort_label;
	std::string abort_detail;
	std::string continue_label;
	std::string continue_detail;
};

// Returns true when the abort choice was taken.
typedef std::function<bool(const abort_question&)> abort_answerer_t;
// An empty function restores the default: with nobody to ask, an install error stops the run
// and every other question goes on.
void set_abort_answerer(abort_answerer_t fn);

// Logs the question, asks it, logs the answer ("abort" or "continue"); true = abort.
bool abort_alert(const std::string& title, const std::string& message, const std::string& abort_label,
                 const std::string& abort_detail, const std::string& continue_label,
                 const std::string& continue_detail, question_kind kind = question_other);

// The changed-file question. The answerer returns the button pressed: 0 replace (or delete in the
// delete form), 1 keep, 4 cancel the installation; the "Do this for all files in this directory"
// check box is file_modified_apply_to_all, which keeps its value for the rest of the run.
typedef std::function<int(const std::string& path, bool is_delete)> file_modified_answerer_t;
// Installing one also hooks the install plan's question to file_modified_question; an empty
// function unhooks it (the plan then keeps changed files).
void set_file_modified_answerer(file_modified_answerer_t fn);
extern bool file_modified_apply_to_all;

// Button and check box to the plan's answer: with the box ticked keep becomes 3 (keep all in
// this folder), replace becomes 2 (replace all); cancel stays 4. Unknown buttons keep (1).
int file_modified_answer(int command, bool apply_to_all);

// Logs, asks the installed answerer, maps its button with the check box, logs the answer.
int file_modified_question(const std::string& path, bool is_delete);
