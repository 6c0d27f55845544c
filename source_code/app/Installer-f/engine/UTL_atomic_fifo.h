#pragma once
// A bounded queue between pipeline stages. T is a record pointer; the queue never owns or
// frees what it holds. The semaphores carry the blocking; the lock is held only to move an
// index and one pointer. Items leave in the order they entered, each to exactly one reader.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include "core/thread/UTL_threads.h"

template <class T>
class UTL_atomic_fifo {
public:
	explicit UTL_atomic_fifo(int capacity) : capacity(std::max(capacity, 1))
	{
		UTL_critical_section_create(&lock);
		UTL_semaphore_create(&free_slots, this->capacity);
		UTL_semaphore_create(&filled_slots, 0);
		slots = new T[this->capacity]();
	}
	~UTL_atomic_fifo()
	{
		UTL_semaphore_destroy(free_slots);
		UTL_semaphore_destroy(filled_slots);
		UTL_critical_section_destroy(&lock);
		delete[] slots;
	}
	UTL_atomic_fifo(const UTL_atomic_fifo&) = delete;
	UTL_atomic_fifo& operator=(const UTL_atomic_fifo&) = delete;

	// timeout_ms: -1 waits without limit, 0 never waits, > 0 waits at most that long.
	// False only when no slot became free in time.
	bool write(const T& item, int timeout_ms)
	{
		if (!UTL_semaphore_dec(free_slots, timeout_ms))
			return false;
		UTL_critical_section_lock(&lock);
		int32_t at = advance(write_index);
		slots[at] = item;
		UTL_critical_section_unlock(&lock);
		UTL_semaphore_inc(filled_slots);
		return true;
	}

	// False only when no item arrived in time; item is then left as it was.
	bool read(T& item, int timeout_ms)
	{
		if (!UTL_semaphore_dec(filled_slots, timeout_ms))
			return false;
		UTL_critical_section_lock(&lock);
		int32_t at = advance(read_index);
		item = slots[at];
		slots[at] = T();
		UTL_critical_section_unlock(&lock);
		UTL_semaphore_inc(free_slots);
		return true;
	}

	int get_capacity() const { return capacity; }

private:
	// Moves index one on, modulo the capacity; returns the slot it pointed at.
	int32_t advance(std::atomic<int32_t>& index)
	{
		int32_t old = index.load(std::memory_order_relaxed);
		while (!index.compare_exchange_weak(old, (old + 1) % capacity, std::memory_order_relaxed))
			;
		return old;
	}

	UTL_critical_section lock;
	UTL_semaphore* free_slots = nullptr;
	UTL_semaphore* filled_slots = nullptr;
	std::atomic<int32_t> read_index{0};
	std::atomic<int32_t> write_index{0};
	int capacity;
	T* slots = nullptr;
};
