#pragma once
// Named developer statistics, kept by kind. A stat made before init_stats waits in a
// list and is published by it; later stats publish when constructed.
#include <set>
#include <string>

typedef int UTL_stat_type;

struct UTL_stat {
	UTL_stat(float* target, const char* name, UTL_stat_type type);
	UTL_stat(int* target, const char* name, UTL_stat_type type);
	UTL_stat(const char* name, UTL_stat_type type, float initial_value);  // shows its own value
	~UTL_stat();
	UTL_stat(const UTL_stat&) = delete;
	UTL_stat& operator=(const UTL_stat&) = delete;

	static void init_stats();
	void publish();

	float get() const;
	void set(float v);
	const std::string& name() const { return name_; }
	UTL_stat_type type() const { return type_; }

	// Published stats only.
	static UTL_stat* find(const std::string& name);
	static std::set<UTL_stat*> of_kind(UTL_stat_type type);
	static bool inited();

	// Tests: forget init_stats and put every stat back in the waiting list.
	static void reset_for_tests();

private:
	float own_ = 0.0f;
	UTL_stat_type type_;
	float* float_target_ = nullptr;
	int* int_target_ = nullptr;
	std::string name_;

	void enlist();
};
