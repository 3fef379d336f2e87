#include "doc/readout.h"

#include <gtest/gtest.h>

#include <memory>

#include "image/image.h"
#include "support/gradient.h"

namespace {

// The view's cases (tests/view) and the command-line tool's (tests/tools)
// cover the formats at both zooms; here the edges of the function itself.
TEST(Readout, NothingWithoutAPictureASpaceOutsideItAndHalvesRoundedAway) {
    auto image = testutil::Gradient(100, 50);
    EXPECT_EQ(FormatReadout(image.get(), 10, 5, 90, 0, 1), " ");  // scrolled past the right edge
    // Client and scroll near the integer limit: no overflow.
    EXPECT_EQ(FormatReadout(image.get(), 2147483647, 0, 2147483647, 0, 2), " ");
    EXPECT_EQ(FormatReadout(nullptr, 10, 5, 0, 0, 1), "");
    CImage empty;
    EXPECT_EQ(FormatReadout(&empty, 10, 5, 0, 0, 1), "");
    EXPECT_EQ(FormatReadout(image.get(), 10, 5, 0, 0, 1, false), " ");
    // Left of or above the window, where a held button still reports the mouse.
    EXPECT_EQ(FormatReadout(image.get(), -1, 5, 0, 0, 2), " ");
    EXPECT_EQ(FormatReadout(image.get(), 5, -1, 0, 0, 1), " ");
    // Rounding halves away from zero.
    EXPECT_EQ(FormatRoundedHalfAway(0.5), "1");
    EXPECT_EQ(FormatRoundedHalfAway(2.5), "3");
    EXPECT_EQ(FormatRoundedHalfAway(2.4999), "2");
    EXPECT_EQ(FormatRoundedHalfAway(-2.5), "-3");
    EXPECT_EQ(FormatRoundedHalfAway(-0.4), "0");
    EXPECT_EQ(FormatRoundedHalfAway(1073741823.5), "1073741824");
}

}  // namespace
