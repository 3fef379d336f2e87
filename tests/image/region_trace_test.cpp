// SPDX-License-Identifier: GPL-3.0-or-later
// The outline tool's core: shapes whose pixels say what the fill, the boundary and the polygon
// must hold (an even-odd rasteriser at pixel centres); the colour rule on a gradient.

#include "image/region_trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "image/image.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// The bytes the heap holds now (0 where the C library does not say).
int64_t HeapInUse() {
#ifdef __GLIBC__
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
#else
    return 0;
#endif
}

using Grid = std::vector<std::string>;  // rows from the top, '#' for a pixel held

// Which pixel centres the polygon holds by the even-odd rule.
Grid Rasterise(const std::vector<TracePoint>& poly, int w, int h) {
    Grid g(h, std::string(w, '.'));
    for (int y = 0; y < h; ++y) {
        std::vector<double> xs;
        for (size_t i = 0; i < poly.size(); ++i) {
            const TracePoint a = poly[i], b = poly[(i + 1) % poly.size()];
            if ((a.y < y + 0.5) != (b.y < y + 0.5))
                xs.push_back(a.x + (y + 0.5 - a.y) * (b.x - a.x) / double(b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2)
            for (int x = 0; x < w; ++x)
                if (x + 0.5 > xs[k] && x + 0.5 < xs[k + 1]) g[y][x] = '#';
    }
    return g;
}

bool Box(int x, int y, int x0, int y0, int x1, int y1) {
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}
bool Disc(int x, int y, double cx, double cy, double r) {
    return (x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy) <= r * r;
}

// A disc whose radius wanders by sines of doubling frequency, halving amplitude.
bool Coast(int x, int y) {
    const double a = std::atan2(y + 0.5 - 200, x + 0.5 - 200);
    double r = 120;
    for (int k = 0; k < 9; ++k) r += 40.0 / (1 << k) * std::sin((3 << k) * a + 1.7 * k * k);
    return Disc(x, y, 200, 200, r);
}

// A shape's pixels: 1 the region, 0 another colour outside it, 'x' the region's
// colour not 4-connected to it, 'o' another colour in a hole, '*' the region's
// colour on an island in a hole.
struct Shape {
    const char* name;
    int w, h, sx, sy;
    std::function<int(int, int)> at;
    std::vector<TracePoint> corners = {};  // exact answer, when there is one
    int maxCorners = kMaxTraceCorners;
    bool raised = false;  // the corner limit raises the deviation
};

// clang-format off
const Shape kShapes[] = {
    {"whole picture", 33, 17, 5, 5, [](int, int) { return 1; },
     {{0, 0}, {33, 0}, {33, 17}, {0, 17}}},
    {"one-pixel line", 40, 5, 10, 2, [](int x, int y) { return Box(x, y, 3, 2, 37, 3); },
     {{3, 2}, {37, 2}, {37, 3}, {3, 3}}},
    {"diagonal touch", 40, 40, 10, 10, [](int x, int y) {
         return Box(x, y, 5, 5, 20, 20) ? 1 : x >= 20 && y >= 20 ? 'x' : 0;
     }, {{5, 5}, {20, 5}, {20, 20}, {5, 20}}},
    {"circle", 120, 100, 60, 50, [](int x, int y) { return Disc(x, y, 60, 50, 41.3); }},
    {"half disc at the edge", 60, 80, 3, 40, [](int x, int y) { return Disc(x, y, 0, 40, 30); }},
    {"concave star", 120, 120, 60, 60, [](int x, int y) {
         return Disc(x, y, 60, 60, 30 + 25 * std::cos(5 * std::atan2(y + 0.5 - 60, x + 0.5 - 60)));
     }},
    {"spiral arm", 80, 80, 40, 38, [](int x, int y) {
         const double dx = x + 0.5 - 40, dy = y + 0.5 - 40;
         const double turns = std::hypot(dx, dy) / 8 - std::atan2(dy, dx) / 6.2832;
         return turns < 4 && turns - std::floor(turns) < 0.5;
     }},
    {"one-pixel neck", 70, 30, 5, 10,
     [](int x, int y) { return (x < 20 || x >= 50 || y == 14) && y >= 5 && y < 25; }},
    {"frame closed at a corner only: no hole", 40, 40, 20, 5, [](int x, int y) {
         return (x == 6 && (y == 20 || y == 21)) || ((x != 5 || y != 20) && Box(x, y, 5, 5, 35, 35)
                && (x == 5 || x == 34 || y == 5 || y == 34));
     }},
    {"disc with holes and an island", 100, 100, 50, 10, [](int x, int y) {
         return !Disc(x, y, 50, 50, 45) ? 0 : Disc(x, y, 35, 50, 3) ? '*'
                : Disc(x, y, 35, 50, 10) || Disc(x, y, 65, 40, 8) ? 'o' : 1;
     }},
    {"fractal coastline", 400, 400, 200, 200, Coast, {}, kMaxTraceCorners, true},
    {"coastline in 40 corners", 400, 400, 200, 200, Coast, {}, 40, true},
};
// clang-format on

TEST(RegionTrace, ShapesFillTraceAndSimplify) {
    CRegionMask mask;  // reused: each fill starts clean
    for (const Shape& s : kShapes) {
        SCOPED_TRACE(s.name);
        Grid art(s.h, std::string(s.w, '.'));
        CImage image;  // the shapes take turns at the three true-colour depths
        constexpr int kDepths[] = {24, 32, 16};
        ASSERT_TRUE(image.Create(s.w, s.h, kDepths[(&s - kShapes) % 3], -1));
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) {
                const int c = s.at(x, y);
                art[y][x] = c == 1 ? '#' : c ? char(c) : '.';
                const bool in = std::strchr("#x*", art[y][x]);
                image.SetPixelRGB(x, s.h - 1 - y, in ? 200 : 30, in ? 60 : 90, in ? 40 : 160);
            }
        const auto filled = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < s.w && y < s.h && std::strchr("#o*", art[y][x]);
        };
        RegionTrace trace;
        ASSERT_TRUE(TraceRegion(image, s.sx, s.sy, {32, s.maxCorners}, &trace, &mask));
        EXPECT_EQ(trace.pixels, mask.PixelCount());
        EXPECT_GE(trace.corners.size(), 3u);
        EXPECT_LE(trace.corners.size(), size_t(s.maxCorners));
        if (!s.corners.empty()) {
            EXPECT_EQ(trace.corners, s.corners);
        }
        EXPECT_EQ(trace.deviation > 1.0, s.raised);

        // The fill holds the region; its boundary exactly the region with its
        // holes; where the polygon differs, a pixel of the other kind lies
        // within the deviation (one pixel unless the corner limit raised it).
        const Grid boundary = Rasterise(TraceOuterBoundary(mask), s.w, s.h);
        const Grid polygon = Rasterise(trace.corners, s.w, s.h);
        const int reach = std::max(1, int(std::ceil(trace.deviation)));
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) {
                ASSERT_EQ(mask.Contains(x, y), art[y][x] == '#') << x << "," << y;
                ASSERT_EQ(boundary[y][x] == '#', filled(x, y)) << x << "," << y;
                if ((polygon[y][x] == '#') == filled(x, y)) continue;
                bool near = false;
                for (int ny = y - reach; ny <= y + reach; ++ny)
                    for (int nx = x - reach; nx <= x + reach; ++nx)
                        near |= filled(nx, ny) != filled(x, y);
                EXPECT_TRUE(near) << x << "," << y;
            }
    }
}

// Within the tolerance of the clicked colour, inclusive: on a gradient an
// ellipse with pixels right on its edge (largest first, so that a reused mask
// must forget); indexed pictures; clicks outside the picture.
TEST(RegionTrace, ToleranceColoursAndOutside) {
    const int w = 64, h = 48;
    CImage ramp;
    ramp.Create(w, h, 24, -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ramp.SetPixelRGB(x, h - 1 - y, 4 * x, 4 * y, 4 * x);
    CRegionMask mask;
    for (const int tolerance : {60, 32, 20, 12, 0})
        for (const auto& [sx, sy] : {std::pair{0, 0}, {31, 20}, {63, 47}}) {
            ASSERT_TRUE(FillRegion(ramp, sx, sy, tolerance, &mask));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int dx = x - sx, dy = y - sy;
                    const int d2 = 32 * dx * dx + 16 * dy * dy;
                    ASSERT_EQ(mask.Contains(x, y), d2 <= tolerance * tolerance)
                        << tolerance << " from " << sx << "," << sy << " at " << x << "," << y;
                }
        }

    // Indexed pictures compare the colours of their entries: entries 0 and 2
    // are the same red, entry 1 is blue, entry 3 lies past the palette
    // (black). The columns hold the indices 0, 2, 1, 3, 0, 2, 1, 3 (at depth
    // 1 the low bit of each).
    const uint8_t palette[] = {255, 0, 0, 0, 0, 255, 255, 0, 0};
    for (const int depth : {8, 4, 2, 1}) {
        CImage indexed;
        ASSERT_TRUE(indexed.Create(8, 3, depth, -1)) << depth;
        indexed.SetPalette(3, palette);
        const int mask1 = (1 << std::min(depth, 2)) - 1;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 8; ++x)
                indexed.SetPixelIndex(x, y, uint8_t(std::array{0, 2, 1, 3}[x % 4] & mask1));
        ASSERT_TRUE(FillRegion(indexed, 0, 1, 0, &mask)) << depth;
        EXPECT_EQ(mask.PixelCount(), 6) << depth;  // two columns of red, blue beside them
        EXPECT_TRUE(FillRegion(indexed, 1, 0, 400, &mask));
        EXPECT_EQ(mask.PixelCount(), 24) << depth;
    }

    // Outside the picture, or no picture: nothing.
    CImage empty;
    EXPECT_FALSE(FillRegion(ramp, -1, 0, 32, &mask));
    EXPECT_FALSE(FillRegion(ramp, 0, h, 32, &mask));
    EXPECT_FALSE(FillRegion(empty, 0, 0, 32, &mask));
    EXPECT_EQ(mask.PixelCount(), 0);
    RegionTrace trace;
    EXPECT_FALSE(TraceRegion(ramp, w, 0, {}, &trace));
    EXPECT_TRUE(trace.corners.empty());
}

// Colour noise at the tolerance where about half the colours match: the
// region percolates in runs of a pixel or two. The fill agrees with a plain
// one, and its mask takes well under a byte a pixel (a byte a pixel, and a
// stack of millions of runs, froze the editor on a large picture).
TEST(RegionTrace, NoiseWhereTheRegionPercolates) {
    const int w = 1000, h = 700;  // rows that end inside a 64-pixel word
    CImage image;
    ASSERT_TRUE(image.Create(w, h, 24, -1));
    uint32_t noise = 2463534242u;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = image.GetImpl()->PixelAddress(0, y);
        for (int i = 0; i < 3 * w; ++i) {
            noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
            row[i] = static_cast<uint8_t>(noise >> 7);
        }
    }
    image.SetPixelRGB(500, h - 1 - 350, 128, 128, 128);
    const int tolerance = 137;

    std::vector<char> plain(size_t(w) * h, 0);
    std::vector<std::pair<int, int>> todo{{500, 350}};
    plain[350 * w + 500] = 1;
    int64_t count = 0;
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        ++count;
        for (const auto& [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}) {
            if (nx < 0 || ny < 0 || nx >= w || ny >= h || plain[ny * w + nx]) continue;
            uint8_t r, g, b;
            image.GetPixelRGB(nx, h - 1 - ny, &r, &g, &b);
            if ((r - 128) * (r - 128) + (g - 128) * (g - 128) + (b - 128) * (b - 128) <=
                tolerance * tolerance)
                plain[ny * w + nx] = 1, todo.push_back({nx, ny});
        }
    }
    ASSERT_GT(count, w * h / 4);

    CRegionMask mask;
    const int64_t before = HeapInUse();
    ASSERT_TRUE(FillRegion(image, 500, 350, tolerance, &mask));
    EXPECT_LT(HeapInUse() - before, w * h / 2);
    EXPECT_EQ(mask.PixelCount(), count);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(mask.Contains(x, y), plain[y * w + x] != 0) << x << "," << y;

    RegionTrace trace;
    ASSERT_TRUE(TraceRegion(image, 500, 350, {tolerance, kMaxTraceCorners}, &trace, &mask));
    EXPECT_LE(trace.corners.size(), size_t(kMaxTraceCorners));
    EXPECT_GT(trace.deviation, 1.0);
    EXPECT_EQ(trace.pixels, count);
}

}  // namespace
