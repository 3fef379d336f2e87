// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which of the processor's vector instructions the pixel conversions use
// (the view's 24-bit rows). By
// default the most the processor has; ZE_SIMD=plain|ssse3|avx2|vbmi in the
// environment (read once, before the first conversion) or SetSimdLevel
// lowers it, never above what the processor has, so that one machine can
// run and measure every path.

#include <optional>
#include <string_view>
#include <vector>

namespace ze {

// In order: each level has the instructions of those before it.
enum class SimdLevel { kPlain, kSsse3, kAvx2, kVbmi };

// The most the processor (and the system, for AVX-512's registers) offers.
SimdLevel ProcessorSimdLevel();
// Plain up to ProcessorSimdLevel(), in order.
std::vector<SimdLevel> SupportedSimdLevels();
// The level in use.
SimdLevel ActiveSimdLevel();
// Uses `wanted`, or the processor's level where that is lower; answers the
// level now in use. Meant for tests and benchmarks, between conversions.
SimdLevel SetSimdLevel(SimdLevel wanted);

// "plain", "ssse3", "avx2", "vbmi"; ParseSimdLevel takes those (and no other).
const char* SimdLevelName(SimdLevel level);
std::optional<SimdLevel> ParseSimdLevel(std::string_view name);

}  // namespace ze
