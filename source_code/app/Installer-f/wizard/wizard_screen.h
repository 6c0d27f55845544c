#pragma once
// What the current step wants shown this frame. Reset to these defaults before every go(),
// so a step states everything each frame.
#include <string>
#include <vector>

class wizard_func;

enum { wiz_max_choice_rows = 10 };  // menu rows the window can show

struct wizard_screen {
	std::string title;
	std::string message;               // its frame is hidden when empty
	wizard_func* back_step = nullptr;  // none disables Back
	wizard_func* next_step = nullptr;  // none disables Continue; wiz_target_quit relabels it "Quit"
	float progress = -1.0f;            // the bar is shown only above 0
	std::string progress_text;
	int show_settings = 0;             // and next_step is not wiz_target_quit
	std::vector<std::string> choice_labels;  // menu rows; the first wiz_max_choice_rows are shown
	std::vector<wizard_func*> choice_steps;  // the target of each row

	void reset() { *this = wizard_screen(); }
};
