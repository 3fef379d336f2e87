// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/bgr_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "simd_levels.h"

namespace {

class BgrRowsAtLevel : public AtSimdLevel {};

// Packed and spread again, every opaque pixel comes back whole, at every
// width (the tails of the vector steps) and from any byte; nothing past the
// row is written either way.
TEST_P(BgrRowsAtLevel, PackedRowsComeBackWholeAtAnyWidthAndOffset) {
    std::vector<uint32_t> pixels(80);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xff000000u | ((static_cast<uint32_t>(i) * 0x9e3779b1u) >> 8);
    constexpr uint8_t kUntouched = 0xab;
    constexpr uint32_t kUntouchedPixel = 0x12345678u;
    for (int offset = 0; offset < 3; ++offset) {
        for (int n = 0; n <= 70; ++n) {
            std::vector<uint8_t> packed(3 * 80 + 8, kUntouched);
            PackBgr(pixels.data() + offset, packed.data() + offset, n);
            for (int i = 0; i < n; ++i) {
                const uint32_t p = pixels[static_cast<size_t>(offset + i)];
                const uint8_t* bgr = packed.data() + offset + 3 * i;
                ASSERT_EQ(bgr[0] | bgr[1] << 8 | bgr[2] << 16, static_cast<int>(p & 0xffffff))
                    << "width " << n << ", pixel " << i;
            }
            for (size_t k = static_cast<size_t>(offset + 3 * n); k < packed.size(); ++k)
                ASSERT_EQ(packed[k], kUntouched) << "width " << n << ", byte " << k;
            std::vector<uint32_t> spread(80, kUntouchedPixel), converted(80, kUntouchedPixel);
            UnpackBgr(packed.data() + offset, spread.data() + offset, n);
            BgrToArgb(packed.data() + offset, converted.data() + offset, n);
            for (int i = 0; i < 80; ++i) {
                const bool inRow = i >= offset && i < offset + n;
                const uint32_t want = inRow ? pixels[static_cast<size_t>(i)] : kUntouchedPixel;
                ASSERT_EQ(spread[static_cast<size_t>(i)], want) << "width " << n << ", at " << i;
                ASSERT_EQ(converted[static_cast<size_t>(i)], want) << "width " << n << ", at " << i;
            }
        }
    }
}

ZE_AT_EVERY_SIMD_LEVEL(BgrRowsAtLevel);

}  // namespace
