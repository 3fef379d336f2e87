// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pixel tests run once at every level of vector instructions this processor
// has, plain included: ZE_AT_EVERY_SIMD_LEVEL(Suite) instantiates the
// TEST_P(Suite, ...) cases of a suite derived from AtSimdLevel, one a level,
// named after it.

#include <gtest/gtest.h>

#include "image/simd_level.h"

class AtSimdLevel : public testing::TestWithParam<ze::SimdLevel> {
protected:
    void SetUp() override {
        m_before = ze::ActiveSimdLevel();
        ASSERT_EQ(ze::SetSimdLevel(GetParam()), GetParam());
    }
    void TearDown() override { ze::SetSimdLevel(m_before); }

private:
    ze::SimdLevel m_before = ze::SimdLevel::kPlain;
};

#define ZE_AT_EVERY_SIMD_LEVEL(Suite)                                                     \
    INSTANTIATE_TEST_SUITE_P(Levels, Suite, testing::ValuesIn(ze::SupportedSimdLevels()), \
                             [](const testing::TestParamInfo<ze::SimdLevel>& info) {      \
                                 return std::string(ze::SimdLevelName(info.param));       \
                             })
