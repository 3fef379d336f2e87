// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Cases whose time depends on the vector instructions the pixel conversions
// use run once at every level this processor has: "<name>/<level>", the
// level also in the case's label. Every program names the processor's level
// in its context (the lines before the table).

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

#include "image/simd_level.h"

namespace {

// Registers `run` once a level; answers the cases, for their settings.
inline std::vector<benchmark::internal::Benchmark*> AtEverySimdLevel(
    const std::string& name, std::function<void(benchmark::State&)> run) {
    static const bool named = [] {
        benchmark::AddCustomContext("simd_level_of_processor",
                                    ze::SimdLevelName(ze::ProcessorSimdLevel()));
        return true;
    }();
    (void)named;
    std::vector<benchmark::internal::Benchmark*> cases;
    for (const ze::SimdLevel level : ze::SupportedSimdLevels()) {
        const std::string full = name + "/" + ze::SimdLevelName(level);
        cases.push_back(
            benchmark::RegisterBenchmark(full.c_str(), [run, level](benchmark::State& state) {
                const ze::SimdLevel before = ze::ActiveSimdLevel();
                ze::SetSimdLevel(level);
                state.SetLabel(ze::SimdLevelName(level));
                run(state);
                ze::SetSimdLevel(before);
            }));
    }
    return cases;
}

}  // namespace
