#include "core/thread/UTL_stat.h"
#include "core/thread/UTL_threads.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {
struct stat_registry {
	UTL_critical_section lock = 0;
	bool inited = false;
	std::vector<UTL_stat*> waiting;
	std::map<UTL_stat_type, std::set<UTL_stat*>> by_kind;
};
// Built on first use: stats are often globals of other files.
stat_registry& registry()
{
	static stat_registry r;
	return r;
}
}  // namespace

UTL_stat::UTL_stat(float* target, const char* name, UTL_stat_type type)
	: type_(type), float_target_(target), name_(name)
{
	enlist();
}

UTL_stat::UTL_stat(int* target, const char* name, UTL_stat_type type)
	: type_(type), int_target_(target), name_(name)
{
	enlist();
}

UTL_stat::UTL_stat(const char* name, UTL_stat_type type, float initial_value)
	: own_(initial_value), type_(type), float_target_(&own_), name_(name)
{
	enlist();
}

void UTL_stat::enlist()
{
	stat_registry& r = registry();
	bool now;
	{
		UTL_cs_guard g(&r.lock);
		now = r.inited;
		if (!now)
			r.waiting.push_back(this);
	}
	if (now)
		publish();
}

UTL_stat::~UTL_stat()
{
	stat_registry& r = registry();
	UTL_cs_guard g(&r.lock);
	r.waiting.erase(std::remove(r.waiting.begin(), r.waiting.end(), this), r.waiting.end());
	auto it = r.by_kind.find(type_);
	if (it != r.by_kind.end()) {
		it->second.erase(this);
		if (it->second.empty())
			r.by_kind.erase(it);
	}
}

void UTL_stat::publish()
{
	stat_registry& r = registry();
	UTL_cs_guard g(&r.lock);
	r.by_kind[type_].insert(this);
}

void UTL_stat::init_stats()
{
	stat_registry& r = registry();
	std::vector<UTL_stat*> w;
	{
		UTL_cs_guard g(&r.lock);
		r.inited = true;
		w.swap(r.waiting);
	}
	for (UTL_stat* s : w)
		s->publish();
}

bool UTL_stat::inited()
{
	stat_registry& r = registry();
	UTL_cs_guard g(&r.lock);
	return r.inited;
}

float UTL_stat::get() const
{
	if (int_target_)
		return static_cast<float>(*int_target_);
	return *float_target_;
}

void UTL_stat::set(float v)
{
	if (int_target_)
		*int_target_ = static_cast<int>(v);
	else
		*float_target_ = v;
}

UTL_stat* UTL_stat::find(const std::string& name)
{
	stat_registry& r = registry();
	UTL_cs_guard g(&r.lock);
	for (auto& kind : r.by_kind)
		for (UTL_stat* s : kind.second)
			if (s->name_ == name)
				return s;
	return nullptr;
}

std::set<UTL_stat*> UTL_stat::of_kind(UTL_stat_type type)
{
	stat_registry& r = registry();
	UTL_cs_guard g(&r.lock);
	auto it = r.by_kind.find(type);
	return it == r.by_kind.end() ? std::set<UTL_stat*>() : it->second;
}

void UTL_stat::reset_for_tests()
{
	stat_registry& r = registry();
	UTL_cs_guard g(&r.lock);
	r.inited = false;
	for (auto& kind : r.by_kind)
		for (UTL_stat* s : kind.second) {
			r.waiting.push_back(s);
		}
	r.by_kind.clear();
}
