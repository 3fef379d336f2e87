// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/simd_level.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace ze {

namespace {

constexpr const char* kNames[] = {"plain", "ssse3", "avx2", "vbmi"};

SimdLevel DetectLevel() {
#if defined(__x86_64__)
    // May run from a static constructor, before libgcc has looked.
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("ssse3")) return SimdLevel::kPlain;
    if (!__builtin_cpu_supports("avx2")) return SimdLevel::kSsse3;
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi"))
        return SimdLevel::kVbmi;
    return SimdLevel::kAvx2;
#else
    return SimdLevel::kPlain;
#endif
}

// The processor's level, lowered by ZE_SIMD when that names a known level.
SimdLevel StartLevel() {
    const SimdLevel most = ProcessorSimdLevel();
    const char* asked = std::getenv("ZE_SIMD");
    const std::optional<SimdLevel> wanted = asked ? ParseSimdLevel(asked) : std::nullopt;
    return wanted ? std::min(*wanted, most) : most;
}

std::atomic<SimdLevel>& Level() {
    static std::atomic<SimdLevel> level{StartLevel()};
    return level;
}

}  // namespace

SimdLevel ProcessorSimdLevel() {
    static const SimdLevel level = DetectLevel();
    return level;
}

std::vector<SimdLevel> SupportedSimdLevels() {
    std::vector<SimdLevel> levels;
    for (int i = 0; i <= static_cast<int>(ProcessorSimdLevel()); ++i)
        levels.push_back(static_cast<SimdLevel>(i));
    return levels;
}

SimdLevel ActiveSimdLevel() {
    return Level().load(std::memory_order_relaxed);
}

SimdLevel SetSimdLevel(SimdLevel wanted) {
    const SimdLevel level = std::min(wanted, ProcessorSimdLevel());
    Level().store(level, std::memory_order_relaxed);
    return level;
}

const char* SimdLevelName(SimdLevel level) {
    return kNames[static_cast<int>(level)];
}

std::optional<SimdLevel> ParseSimdLevel(std::string_view name) {
    for (int i = 0; i < 4; ++i)
        if (name == kNames[i]) return static_cast<SimdLevel>(i);
    return std::nullopt;
}

}  // namespace ze
