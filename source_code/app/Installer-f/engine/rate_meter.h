#pragma once
// Download-rate samples of one reader: a ring of the last N (seconds, kilobytes) pairs, both
// the reader's running totals when the sample was taken, and running statistics (Welford) of
// the rate over each interval. Written by the reader's worker, read by the main thread.
#include "core/thread/UTL_threads.h"

template <int N>
struct rate_meter {
	struct sample {
		float t = 0;   // seconds in transfers so far
		float kb = 0;  // kilobytes received so far
	};

	UTL_critical_section lock = 0;
	sample samples[N];
	int count = 0;  // samples ever added
	float n = 0;    // intervals in the statistics
	float mean = 0; // mean interval rate, kilobytes per second
	float m2 = 0;   // sum of squared deviations from the mean

	// A sample at the same time as the latest one is not recorded (it has no interval).
	void add_rate_sample(float t, float kb)
	{
		UTL_cs_guard g(&lock);
		if (count > 0) {
			const sample& last = samples[(count - 1) % N];
			if (t == last.t)
				return;
			float r = (kb - last.kb) / (t - last.t);
			n += 1;
			float d = r - mean;
			mean += d / n;
			m2 += (r - mean) * d;
		}
		samples[count % N] = sample{t, kb};
		++count;
	}

	// Mean of the interval rates between consecutive samples still in the ring; -1 with fewer
	// than two. The caller holds lock.
	float recent_rate_locked() const
	{
		int kept = count < N ? count : N;
		if (kept < 2)
			return -1;
		float sum = 0;
		for (int i = count - kept + 1; i < count; ++i) {
			const sample& a = samples[(i - 1) % N];
			const sample& b = samples[i % N];
			sum += (b.kb - a.kb) / (b.t - a.t);
		}
		return sum / static_cast<float>(kept - 1);
	}

	void get_stats(float& out_n, float& out_mean, float& out_m2)
	{
		UTL_cs_guard g(&lock);
		out_n = n;
		out_mean = mean;
		out_m2 = m2;
	}
};
