#include "core/thread/UTL_listener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

struct call_log {
	std::vector<int> ids;  // listener ids in call order
};

// What a listener does while it receives the message.
enum action_t { act_none, act_unregister_self, act_delete_self, act_delete_next, act_delete_prev,
                act_unregister_self_delete_next };

struct test_listener : UTL_listener {
	int id;
	call_log* log;
	action_t action = act_none;
	UTL_postcard* card = nullptr;
	std::vector<test_listener*>* slots = nullptr;  // by id; null once deleted
	long last_message = 0, last_param = 0;

	test_listener(int i, call_log* l) : id(i), log(l) {}
	~test_listener() override
	{
		if (slots)
			(*slots)[id] = nullptr;
	}
	void kill(int other)
	{
		delete (*slots)[other];
	}
	void ReceiveMessage(long message, long param) override
	{
		log->ids.push_back(id);
		last_message = message;
		last_param = param;
		switch (action) {
		case act_none: break;
		case act_unregister_self: card->RemoveListener(this); break;
		case act_delete_self: delete this; break;
		case act_delete_next: kill(id + 1); break;
		case act_delete_prev: kill(id - 1); break;
		case act_unregister_self_delete_next:
			card->RemoveListener(this);
			kill(id + 1);
			break;
		}
	}
};

struct send_case {
	const char* name;
	action_t action_of_second;  // listener 1 of 0..3 (ids in ascending address order)
	std::vector<int> expect_calls;
	std::vector<int> expect_left;
};

class postcard_send : public ::testing::TestWithParam<send_case> {};

TEST_P(postcard_send, reaches_every_live_listener_in_address_order)
{
	const send_case& c = GetParam();
	call_log log;
	// Allocate, then number by address so id order is pointer order.
	std::vector<test_listener*> slots;
	for (int i = 0; i < 4; ++i)
		slots.push_back(new test_listener(0, &log));
	std::sort(slots.begin(), slots.end(), std::less<test_listener*>());
	UTL_postcard card(nullptr, 7, -3);
	for (int i = 0; i < 4; ++i) {
		slots[i]->id = i;
		slots[i]->slots = &slots;
		slots[i]->card = &card;
		card.AddListener(slots[i]);
	}
	slots[1]->action = c.action_of_second;

	card.send();
	EXPECT_EQ(log.ids, c.expect_calls);

	std::vector<int> left;
	for (UTL_listener* l : card.listeners())
		left.push_back(static_cast<test_listener*>(l)->id);
	EXPECT_EQ(left, c.expect_left);

	// A second send reaches exactly the listeners left.
	log.ids.clear();
	card.send();
	EXPECT_EQ(log.ids, c.expect_left);

	for (int i = 0; i < 4; ++i)
		delete slots[i];  // null for the ones deleted during the send
}

INSTANTIATE_TEST_SUITE_P(
    cases, postcard_send,
    ::testing::Values(send_case{"nobody_changes", act_none, {0, 1, 2, 3}, {0, 1, 2, 3}},
                      send_case{"unregisters_itself", act_unregister_self, {0, 1, 2, 3}, {0, 2, 3}},
                      send_case{"deletes_itself", act_delete_self, {0, 1, 2, 3}, {0, 2, 3}},
                      send_case{"deletes_the_next", act_delete_next, {0, 1, 3}, {0, 1, 3}},
                      send_case{"deletes_the_one_before", act_delete_prev, {0, 1, 2, 3}, {1, 2, 3}},
                      send_case{"unregisters_itself_and_deletes_the_next", act_unregister_self_delete_next,
                                {0, 1, 3}, {0, 3}}),
    [](const ::testing::TestParamInfo<send_case>& i) { return std::string(i.param.name); });

TEST(postcard, carries_message_and_param)
{
	call_log log;
	test_listener l(0, &log);
	UTL_postcard card(&l, 42, 99);
	card.send();
	EXPECT_EQ(l.last_message, 42);
	EXPECT_EQ(l.last_param, 99);
}

TEST(listener, destroyed_while_registered_with_two_broadcasters_leaves_both)
{
	call_log log;
	auto gone = std::make_unique<test_listener>(1, &log);
	test_listener stays(2, &log);
	UTL_postcard a(gone.get(), 1, 0), b(gone.get(), 2, 0);
	a.AddListener(&stays);
	b.AddListener(&stays);
	EXPECT_EQ(gone->broadcasters().size(), 2u);

	gone.reset();
	EXPECT_EQ(a.listeners().size(), 1u);
	EXPECT_EQ(b.listeners().size(), 1u);
	a.send();
	b.send();
	EXPECT_EQ(log.ids, (std::vector<int>{2, 2}));
}

TEST(listener, destroyed_broadcaster_leaves_its_listeners)
{
	call_log log;
	test_listener l(0, &log);
	{
		UTL_postcard a(&l, 1, 0), b(&l, 2, 0);
		EXPECT_EQ(l.broadcasters().size(), 2u);
	}
	EXPECT_TRUE(l.broadcasters().empty());
}

TEST(postcard, is_dead_once_nobody_listens)
{
	call_log log;
	EXPECT_TRUE(UTL_postcard(nullptr, 1, 2).dead());

	auto l = std::make_unique<test_listener>(0, &log);
	UTL_postcard card(l.get(), 1, 2);
	EXPECT_FALSE(card.dead());
	l.reset();
	EXPECT_TRUE(card.dead());
	card.send();
	EXPECT_TRUE(log.ids.empty());
}

TEST(postcard, adding_twice_registers_once)
{
	call_log log;
	test_listener l(0, &log);
	UTL_postcard card(&l, 1, 2);
	card.AddListener(&l);
	EXPECT_EQ(card.listeners().size(), 1u);
	EXPECT_EQ(l.broadcasters().size(), 1u);
	card.send();
	EXPECT_EQ(log.ids, std::vector<int>{0});
}

TEST(postcard, copy_registers_the_same_listeners_on_its_own)
{
	call_log log;
	test_listener l1(1, &log), l2(2, &log);
	auto original = std::make_unique<UTL_postcard>(&l1, 5, 6);
	original->AddListener(&l2);
	UTL_postcard copy(*original);
	EXPECT_EQ(copy.message, 5);
	EXPECT_EQ(copy.param, 6);
	EXPECT_EQ(l1.broadcasters().size(), 2u);

	original.reset();
	EXPECT_EQ(l1.broadcasters().size(), 1u);
	copy.send();
	EXPECT_EQ(log.ids.size(), 2u);
	EXPECT_EQ(l2.last_message, 5);
}

}  // namespace
