#pragma once
// A wizard: its ordered steps, the step Back leads to from the first one, and the last
// failure recorded by one of its work steps.
#include "core/ui/err_code.h"

#include <string>
#include <vector>

class wizard_func;

class wizard_collection {
public:
	explicit wizard_collection(wizard_func* parent) : parent(parent) {}
	virtual ~wizard_collection();  // deletes the steps in list order
	wizard_collection(const wizard_collection&) = delete;
	wizard_collection& operator=(const wizard_collection&) = delete;

	// Takes ownership; concrete wizards append their steps in their constructors.
	template <class Step>
	Step* add_step(Step* step)
	{
		steps.push_back(step);
		return step;
	}

	// Back from step: parent for the first; else the nearest earlier step that does not skip
	// back, or parent when all of them skip. None for a step not in this wizard.
	wizard_func* prev_for_step(wizard_func* step);
	// The step after step; wiz_target_quit after the last; none for a step not in this wizard.
	wizard_func* next_for_step(wizard_func* step);
	// Position of step in steps, or -1.
	int index_of(const wizard_func* step) const;
	// A final step forgets the failure it showed when it closes.
	void clear_error()
	{
		error_code = 0;
		error_text.clear();
	}

	wizard_func* parent;
	std::vector<wizard_func*> steps;
	err_code_t error_code = 0;
	std::string error_text;
};
