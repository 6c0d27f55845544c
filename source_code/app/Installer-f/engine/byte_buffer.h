#pragma once
// A byte vector for whole files that are read and then hashed. Growing it does not zero the
// new bytes (the read overwrites them at once), and large blocks are asked to use huge pages:
// measured on the folder scan, zeroing and page faults of a fresh buffer cost three times the
// copy from the file cache itself.
#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>
#include <sys/mman.h>

template <class T>
struct ins_uninit_allocator {
	using value_type = T;
	static constexpr size_t huge_page = size_t(2) << 20;

	ins_uninit_allocator() = default;
	template <class U>
	ins_uninit_allocator(const ins_uninit_allocator<U>&) noexcept {}

	T* allocate(size_t n)
	{
		size_t bytes = n * sizeof(T);
		if (bytes < huge_page) {
			if (void* p = std::malloc(bytes ? bytes : 1))
				return static_cast<T*>(p);
			throw std::bad_alloc();
		}
		size_t rounded = (bytes + huge_page - 1) / huge_page * huge_page;
		void* p = std::aligned_alloc(huge_page, rounded);
		if (!p)
			throw std::bad_alloc();
		madvise(p, rounded, MADV_HUGEPAGE);  // advice only: ignored where huge pages are off
		return static_cast<T*>(p);
	}
	void deallocate(T* p, size_t) noexcept { std::free(p); }

	// Default-initialise: no zeroing when the vector grows.
	template <class U>
	void construct(U* p) noexcept
	{
		::new (static_cast<void*>(p)) U;
	}
	template <class U, class... A>
	void construct(U* p, A&&... args)
	{
		::new (static_cast<void*>(p)) U(static_cast<A&&>(args)...);
	}

	template <class U>
	bool operator==(const ins_uninit_allocator<U>&) const noexcept { return true; }
};

typedef std::vector<char, ins_uninit_allocator<char>> ins_byte_vector;
