// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Timing sides in turn, by the wall clock: each iteration runs every side
// once, starting with the next side each time, so that all meet the same
// cache and machine load and none always follows another.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Side = std::pair<std::string, std::function<bool()>>;

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Reports "<side>_ms" (median) and for every peer "ratio_<peer>" (our median
// over its median) and "min_ratio_<peer>" (our fastest over its fastest).
// The first side is ours.
inline void InTurn(benchmark::State& state, const std::vector<Side>& sides) {
    std::vector<std::vector<double>> times(sides.size());
    size_t first = 0;
    for (auto _ : state) {
        for (size_t k = 0; k < sides.size(); ++k) {
            const size_t i = (first + k) % sides.size();
            const auto t0 = std::chrono::steady_clock::now();
            if (!sides[i].second())
                return state.SkipWithError((sides[i].first + " failed").c_str());
            const std::chrono::duration<double, std::milli> t =
                std::chrono::steady_clock::now() - t0;
            times[i].push_back(t.count());
        }
        first = (first + 1) % sides.size();
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
