#include "core/thread/UTL_stat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class stats : public ::testing::Test {
protected:
	void SetUp() override { UTL_stat::reset_for_tests(); }
	void TearDown() override { UTL_stat::init_stats(); }
};

TEST_F(stats, wait_until_init_then_publish_by_kind)
{
	float f = 2.5f;
	int n = 7;
	UTL_stat sf(&f, "test/float_stat", 91);
	UTL_stat si(&n, "test/int_stat", 91);
	UTL_stat own("test/own_stat", 92, 4.0f);

	EXPECT_EQ(UTL_stat::find("test/float_stat"), nullptr);
	EXPECT_TRUE(UTL_stat::of_kind(91).empty());
	EXPECT_FALSE(UTL_stat::inited());

	UTL_stat::init_stats();
	EXPECT_EQ(UTL_stat::find("test/float_stat"), &sf);
	EXPECT_EQ(UTL_stat::find("test/own_stat"), &own);
	EXPECT_EQ(UTL_stat::of_kind(91), (std::set<UTL_stat*>{&sf, &si}));
	EXPECT_EQ(UTL_stat::of_kind(92), std::set<UTL_stat*>{&own});

	UTL_stat late("test/late_stat", 91, 1.0f);
	EXPECT_EQ(UTL_stat::find("test/late_stat"), &late);
	EXPECT_EQ(UTL_stat::of_kind(91).size(), 3u);
}

TEST_F(stats, destroyed_stat_leaves_the_map)
{
	UTL_stat::init_stats();
	{
		UTL_stat brief("test/brief_stat", 93, 0.0f);
		EXPECT_EQ(UTL_stat::of_kind(93).size(), 1u);
	}
	EXPECT_TRUE(UTL_stat::of_kind(93).empty());
	EXPECT_EQ(UTL_stat::find("test/brief_stat"), nullptr);
}

TEST_F(stats, values_read_and_write_their_target)
{
	float f = 2.5f;
	int n = 7;
	UTL_stat sf(&f, "test/f", 94), si(&n, "test/i", 94), own("test/o", 94, 4.0f);
	EXPECT_FLOAT_EQ(sf.get(), 2.5f);
	EXPECT_FLOAT_EQ(si.get(), 7.0f);
	EXPECT_FLOAT_EQ(own.get(), 4.0f);
	f = 3.0f;
	n = 9;
	EXPECT_FLOAT_EQ(sf.get(), 3.0f);
	EXPECT_FLOAT_EQ(si.get(), 9.0f);
	si.set(11.0f);
	own.set(6.0f);
	EXPECT_EQ(n, 11);
	EXPECT_FLOAT_EQ(own.get(), 6.0f);
}

struct builtin_case {
	const char* name;
	int kind;
	float value;
};

class builtin_stats : public stats, public ::testing::WithParamInterface<builtin_case> {};

TEST_P(builtin_stats, are_found_after_init)
{
	const builtin_case& c = GetParam();
	EXPECT_EQ(UTL_stat::find(c.name), nullptr);
	UTL_stat::init_stats();
	UTL_stat* s = UTL_stat::find(c.name);
	ASSERT_NE(s, nullptr);
	EXPECT_EQ(s->type(), c.kind);
	EXPECT_FLOAT_EQ(s->get(), c.value);
	EXPECT_EQ(UTL_stat::of_kind(c.kind).count(s), 1u);
}

INSTANTIATE_TEST_SUITE_P(cases, builtin_stats,
                         ::testing::Values(builtin_case{"runloop/tasks_per_frame", 5, 15.0f},
                                           builtin_case{"runloop/time_per_frame_usec", 5, 5000.0f},
                                           builtin_case{"time/thread_sync_wait", 4, 0.0f},
                                           builtin_case{"time/wait_workers", 5, 0.0f}));

}  // namespace
