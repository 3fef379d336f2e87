// SPDX-License-Identifier: GPL-3.0-or-later
// The level of vector instructions: ZE_SIMD lowers it and never raises it
// above the processor's, and asking for a level does the same. CTest also
// runs this with ZE_SIMD=plain, as CI runs the whole suite once.

#include "image/simd_level.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

TEST(SimdLevel, EnvironmentAndRequestsStayWithinTheProcessor) {
    const ze::SimdLevel most = ze::ProcessorSimdLevel();
    const char* asked = std::getenv("ZE_SIMD");
    const auto wanted = asked ? ze::ParseSimdLevel(asked) : std::nullopt;
    EXPECT_EQ(ze::ActiveSimdLevel(), wanted ? std::min(*wanted, most) : most)
        << (asked ? asked : "(unset)");

    const ze::SimdLevel before = ze::ActiveSimdLevel();
    EXPECT_EQ(ze::SetSimdLevel(ze::SimdLevel::kVbmi), most);
    EXPECT_EQ(ze::ActiveSimdLevel(), most);
    EXPECT_EQ(ze::SetSimdLevel(ze::SimdLevel::kPlain), ze::SimdLevel::kPlain);
    ze::SetSimdLevel(before);

    EXPECT_EQ(ze::SupportedSimdLevels().front(), ze::SimdLevel::kPlain);
    EXPECT_EQ(ze::SupportedSimdLevels().back(), most);
    EXPECT_FALSE(ze::ParseSimdLevel("AVX2"));
    EXPECT_FALSE(ze::ParseSimdLevel(""));
}

}  // namespace
