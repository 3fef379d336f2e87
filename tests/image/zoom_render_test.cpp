// SPDX-License-Identifier: GPL-3.0-or-later
// The view's scales (ZoomScale) and the picture as painted at them.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "image/image.h"
#include "image/image_impl.h"
#include "image/view_render.h"
#include "image/zoom_scale.h"
#include "simd_levels.h"

namespace {

TEST(ZoomScale, ParsesPrintsStepsAndFits) {
    const struct {
        const char* text;
        int num, den;  // 0: refused
    } parsed[] = {{"400%", 4, 1}, {"6.25%", 1, 16}, {"33.3%", 1, 3}, {"66.7%", 2, 3},
                  {"1", 1, 1},    {"2", 2, 1},      {"3", 0, 0},     {"400", 0, 0},
                  {"0%", 0, 0},   {"50 %", 0, 0},   {"", 0, 0},      {"1600%%", 0, 0}};
    for (const auto& c : parsed) {
        const auto z = ZoomScale::Parse(c.text);
        EXPECT_EQ(z ? z->num * 100 + z->den : 0, c.num * 100 + c.den) << c.text;
    }
    // A fit between two levels: its own percentage, the levels either side.
    const ZoomScale fit = ZoomScale::Fit(4032, 3024, 1000, 500);
    EXPECT_EQ(fit.PercentText(), "16.5%");
    EXPECT_EQ(fit.Step(true).PercentText(), "25%");
    EXPECT_EQ(fit.Step(false).PercentText(), "12.5%");
    EXPECT_EQ(fit.ViewLength(3024), 500);
    EXPECT_EQ(ZoomScale::Fit(10, 10, 1000, 1000).PercentText(), "1600%");
    EXPECT_EQ(ZoomScale::Level(0).Step(false).PercentText(), "6.25%");
    // Floors also left of and above the picture.
    EXPECT_EQ(ZoomScale::Ratio(2, 3).ToPicture(-1), -2);
}

TEST(ViewRender, AveragesBelowActualSizeAndKeepsThePyramidSmall) {
    // One-pixel black and white checks: every pixel at 25 % is their mean,
    // with the pyramid and without it.
    CImage checks;
    ASSERT_EQ(checks.Create(64, 48, 24, -1), 1);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if ((x + y) % 2) checks.SetPixelRGB(x, y, 255, 255, 255);
    CPicturePyramid pyramid(checks, 0);
    EXPECT_TRUE(pyramid.Step(checks, 48));
    const CPictureRows rows(checks);
    for (const CPicturePyramid* p : {&pyramid, static_cast<CPicturePyramid*>(nullptr)}) {
        std::vector<uint32_t> out(16 * 12, 0);
        RenderView(rows, p, ZoomScale::Ratio(1, 4), 0, 0, 16, 12, out.data(), 16, 0);
        for (uint32_t v : out) ASSERT_EQ(v, 0xff808080u);
    }

    // The levels kept: a third of the picture's own bytes at most.
    const struct { int depth, first; } depths[] = {{24, 1}, {8, 2}, {4, 3}, {1, 4}};
    for (const auto& d : depths) {
        CImage image;
        ASSERT_EQ(image.Create(1001, 777, d.depth, -1), 1);
        CPicturePyramid p(image, 0);
        EXPECT_EQ(p.First(), d.first) << d.depth;
        EXPECT_LE(p.LevelBytes() * 3, size_t(image.GetRowBytes()) * 777) << d.depth;
    }

    // A transparent index shows the background, averaged with the rest.
    CImage indexed;
    ASSERT_EQ(indexed.Create(2, 1, 8, -1), 1);
    const uint8_t palette[6] = {200, 100, 0, 0, 0, 0};
    indexed.SetPalette(2, palette);
    indexed.Pixels().transparentIndex = 1;
    indexed.SetPixelIndex(1, 0, 1);
    uint32_t pixel[2] = {};
    const CPictureRows two(indexed);
    RenderView(two, nullptr, 1, 0, 0, 2, 1, pixel, 2, 0x0000ff);
    EXPECT_EQ(pixel[1], 0xff0000ffu);
    RenderView(two, nullptr, ZoomScale::Ratio(1, 2), 0, 0, 1, 1, pixel, 1, 0x0000ff);
    EXPECT_EQ(pixel[0], 0xff643280u);
}

class ViewRenderAtLevel : public AtSimdLevel {};

TEST_P(ViewRenderAtLevel, ActualSizeGivesEachPixelAtAnyWidthAndOffset) {
    // Widths around the vector steps, up to the picture's last byte (the top
    // row is the last in memory).
    CImage image;
    ASSERT_EQ(image.Create(37, 2, 24, -1), 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 37; ++x) image.SetPixelRGB(x, y, uint8_t(x), uint8_t(7 * x), 200);
    const CPictureRows rows(image);
    for (int x0 = 0; x0 < 37; ++x0)
        for (int n = 1; x0 + n <= 37; ++n) {
            std::vector<uint32_t> out(static_cast<size_t>(n));
            RenderView(rows, nullptr, 1, x0, 0, n, 1, out.data(), n, 0);
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(out[size_t(i)],
                          0xff0000c8u | uint32_t(x0 + i) << 16 | uint32_t(7 * (x0 + i) & 0xff) << 8)
                    << x0 << " " << n;
        }
}
TEST_P(ViewRenderAtLevel, WholeFactorsRepeatEachPixelAtAnyWidthAndOffset) {
    CImage image;
    ASSERT_EQ(image.Create(21, 1, 24, -1), 1);
    for (int x = 0; x < 21; ++x) image.SetPixelRGB(x, 0, uint8_t(x), uint8_t(9 * x), 50);
    const CPictureRows rows(image);
    for (int k = 2; k <= 3; ++k)
        for (int x0 = 0; x0 < 21 * k; ++x0)
            for (int n = 1; x0 + n <= 21 * k; ++n) {
                std::vector<uint32_t> out(static_cast<size_t>(n) + 1, 7u);
                RenderView(rows, nullptr, k, x0, 0, n, 1, out.data(), n, 0);
                for (int i = 0; i < n; ++i) {
                    const int x = (x0 + i) / k;
                    ASSERT_EQ(out[size_t(i)],
                              0xff000032u | uint32_t(x) << 16 | uint32_t(9 * x) << 8)
                        << k << " " << x0 << " " << n;
                }
                ASSERT_EQ(out[size_t(n)], 7u) << k << " " << x0 << " " << n;
            }
}

// The window colour: every length around the vector steps, nothing past it.
TEST_P(ViewRenderAtLevel, FillsExactlyThePixelsAsked) {
    for (size_t n = 0; n <= 40; ++n) {
        std::vector<uint32_t> out(n + 1, 7u);
        FillPixels(out.data(), n, 0xff102030u);
        EXPECT_EQ(std::count(out.begin(), out.end(), 0xff102030u), std::ptrdiff_t(n)) << n;
        EXPECT_EQ(out[n], 7u) << n;
    }
}

ZE_AT_EVERY_SIMD_LEVEL(ViewRenderAtLevel);

}  // namespace
