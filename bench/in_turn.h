// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Timing sides in turn: each iteration runs every side once, so that all
// meet the same machine load. The order goes forwards and backwards in turn
// after the first side (0 1 2, 0 2 1, 0 1 2...), so that each side follows
// every other one equally often: a side that always came after a heavy one
// would always find the caches emptied by it. By the wall clock (what a
// save waits for), or by the processor time of this thread (painting
// offscreen, which other work on a shared machine then leaves out).

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Side = std::pair<std::string, std::function<bool()>>;

enum class Clock { kWall, kThread };

inline double NowMs(Clock clock) {
    if (clock == Clock::kWall)
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Reports "<side>_ms" (median) and for every peer "ratio_<peer>" (our median
// over its median) and "min_ratio_<peer>" (our fastest over its fastest).
// The first side is ours.
inline void InTurn(benchmark::State& state, const std::vector<Side>& sides,
                   Clock clock = Clock::kWall) {
    const size_t n = sides.size();
    std::vector<std::vector<double>> times(n);
    bool backwards = false;
    for (auto _ : state) {
        for (size_t k = 0; k < n; ++k) {
            const size_t i = k == 0 || !backwards ? k : n - k;
            const double t0 = NowMs(clock);
            if (!sides[i].second())
                return state.SkipWithError((sides[i].first + " failed").c_str());
            times[i].push_back(NowMs(clock) - t0);
        }
        backwards = !backwards;
    }
    const double ours = Median(times[0]);
    const double oursMin = *std::min_element(times[0].begin(), times[0].end());
    for (size_t i = 0; i < sides.size(); ++i) {
        const double median = Median(times[i]);
        state.counters[sides[i].first + "_ms"] = median;
        if (i == 0) continue;
        state.counters["ratio_" + sides[i].first] = ours / median;
        state.counters["min_ratio_" + sides[i].first] =
            oursMin / *std::min_element(times[i].begin(), times[i].end());
    }
}

}  // namespace
