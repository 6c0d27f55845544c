#pragma once
// The unattended mode's options, read from the command line once.
#include <string>
#include <vector>

struct unattended_options {
	int choice = -1;                 // --choice=N, -1 when not given
	bool accept_eula = false;
	std::string dest_parent;         // --dest_parent=FOLDER/
	std::string dest_name;           // --dest_name=NAME
	std::string regions = "default"; // default | all | none | R,R,...
	std::vector<int> region_list;    // the numbers of R,R,...
	int on_modified = 1;             // the changed-file question's button: 0 replace, 1 keep, 4 cancel
	bool on_error_continue = false;  // --on_error=continue
	bool launch = false;
	bool send_analytics = false;
	double disc_wait = 600;          // seconds
};

// Fills out from the global command line; false with a message for a value it cannot use.
bool unattended_read_options(unattended_options& out, std::string& problem);
