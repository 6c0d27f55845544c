#include "app/Installer-f/wizard/wizard_collection.h"

#include "app/Installer-f/wizard/wizard_func.h"

wizard_collection::~wizard_collection()
{
	for (wizard_func* s : steps)
		delete s;
}

int wizard_collection::index_of(const wizard_func* step) const
{
	for (size_t i = 0; i < steps.size(); ++i)
		if (steps[i] == step)
			return static_cast<int>(i);
	return -1;
}

wizard_func* wizard_collection::prev_for_step(wizard_func* step)
{
	int i = index_of(step);
	if (i < 0)
		return wiz_target_none;
	for (int j = i - 1; j >= 0; --j)
		if (!steps[j]->skip_back())
			return steps[j];
	return parent;
}

wizard_func* wizard_collection::next_for_step(wizard_func* step)
{
	int i = index_of(step);
	if (i < 0)
		return wiz_target_none;
	if (i + 1 == static_cast<int>(steps.size()))
		return wiz_target_quit;
	return steps[i + 1];
}
