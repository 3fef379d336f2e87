// The outline tool's core against independent references: a plain
// breadth-first fill, an 8-connected search of the background for the holes,
// and an even-odd rasteriser that samples the polygon at pixel centres.

#include "image/region_trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "image/image.h"

namespace {

using Grid = std::vector<std::vector<char>>;  // [y][x], y from the top

// A depth-24 picture: colour 1 where the shape is, colour 0 elsewhere.
std::unique_ptr<CImage> Paint(int w, int h, const std::function<bool(int, int)>& shape) {
    auto image = std::make_unique<CImage>();
    image->Create(w, h, 24, -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool in = shape(x, y);
            image->SetPixelRGB(x, h - 1 - y, in ? 200 : 30, in ? 60 : 90, in ? 40 : 160);
        }
    return image;
}

// The component of (sx, sy) among pixels that `same` accepts, 4-connected
// unless `eight`.
Grid Bfs(int w, int h, int sx, int sy, const std::function<bool(int, int)>& same,
         bool eight = false) {
    Grid g(h, std::vector<char>(w, 0));
    std::deque<std::pair<int, int>> queue{{sx, sy}};
    g[sy][sx] = 1;
    while (!queue.empty()) {
        auto [x, y] = queue.front();
        queue.pop_front();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if ((dx && dy && !eight) || nx < 0 || ny < 0 || nx >= w || ny >= h || g[ny][nx] ||
                    !same(nx, ny))
                    continue;
                g[ny][nx] = 1, queue.push_back({nx, ny});
            }
    }
    return g;
}

// The region with its holes: everything the background cannot reach from
// beyond the picture, moving 8-connected (the region being 4-connected).
Grid Filled(const Grid& region) {
    const int h = int(region.size()), w = int(region[0].size());
    const Grid outside = Bfs(
        w + 2, h + 2, 0, 0,
        [&](int x, int y) { return x < 1 || y < 1 || x > w || y > h || !region[y - 1][x - 1]; },
        true);
    Grid filled(h, std::vector<char>(w, 0));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) filled[y][x] = !outside[y + 1][x + 1];
    return filled;
}

// Which pixel centres the polygon holds by the even-odd rule.
Grid Rasterise(const std::vector<TracePoint>& poly, int w, int h) {
    Grid g(h, std::vector<char>(w, 0));
    const size_t n = poly.size();
    for (int y = 0; y < h; ++y) {
        const double cy = y + 0.5;
        std::vector<double> xs;
        for (size_t i = 0; i < n; ++i) {
            const TracePoint a = poly[i], b = poly[(i + 1) % n];
            if ((a.y < cy) != (b.y < cy))
                xs.push_back(a.x + (cy - a.y) * (b.x - a.x) / double(b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2)
            for (int x = 0; x < w; ++x)
                if (x + 0.5 > xs[k] && x + 0.5 < xs[k + 1]) g[y][x] = 1;
    }
    return g;
}

Grid MaskGrid(const CRegionMask& mask) {
    Grid g(mask.Height(), std::vector<char>(mask.Width(), 0));
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x) g[y][x] = mask.Contains(x, y);
    return g;
}

struct Shape {
    const char* name;
    int w, h;
    std::function<bool(int, int)> in;
    int sx, sy;
    int maxCorners = kMaxTraceCorners;
    std::vector<TracePoint> corners = {};  // exact answer, when there is one
    bool raised = false;                   // the corner limit raises the deviation
};

bool Box(int x, int y, int x0, int y0, int x1, int y1) {
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}

bool Disc(int x, int y, double cx, double cy, double r) {
    return (x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy) <= r * r;
}

// A coastline: a disc whose radius wanders by the sum of sines of doubling
// frequency and halving amplitude.
bool Coast(int x, int y) {
    const double dx = x + 0.5 - 200, dy = y + 0.5 - 200;
    const double a = std::atan2(dy, dx);
    double r = 120;
    for (int k = 0; k < 9; ++k) r += 40.0 / (1 << k) * std::sin((3 << k) * a + 1.7 * k * k);
    return dx * dx + dy * dy <= r * r;
}

// A square spiral: an arm two pixels wide, walked out from the centre with
// two-pixel gaps between its turns.
bool Spiral(int x, int y) {
    static const Grid grid = [] {
        Grid g(80, std::vector<char>(80, 0));
        int px = 40, py = 40, length = 4;
        const int dx[4] = {1, 0, -1, 0}, dy[4] = {0, 1, 0, -1};
        for (int leg = 0; length < 72; ++leg) {
            for (int i = 0; i < length; ++i, px += dx[leg % 4], py += dy[leg % 4])
                for (int by = 0; by < 2; ++by)
                    for (int bx = 0; bx < 2; ++bx) g[py + by][px + bx] = 1;
            if (leg % 2) length += 4;
        }
        return g;
    }();
    return grid[y][x];
}

// A frame one pixel wide whose ends meet only at a corner: the background
// inside reaches the outside diagonally, so it is no hole.
bool PinchedFrame(int x, int y) {
    if (x == 5 && y == 20) return false;
    if (x == 6 && (y == 20 || y == 21)) return true;
    return Box(x, y, 5, 5, 35, 35) && (x == 5 || x == 34 || y == 5 || y == 34);
}

// clang-format off
const Shape kShapes[] = {
    {"rectangle", 80, 50, [](int x, int y) { return Box(x, y, 20, 10, 60, 40); }, 30, 20,
     kMaxTraceCorners, {{20, 10}, {60, 10}, {60, 40}, {20, 40}}},
    {"whole picture", 33, 17, [](int, int) { return true; }, 5, 5,
     kMaxTraceCorners, {{0, 0}, {33, 0}, {33, 17}, {0, 17}}},
    {"one-pixel line", 40, 5, [](int x, int y) { return Box(x, y, 3, 2, 37, 3); }, 10, 2,
     kMaxTraceCorners, {{3, 2}, {37, 2}, {37, 3}, {3, 3}}},
    {"circle", 120, 100, [](int x, int y) { return Disc(x, y, 60, 50, 41.3); }, 60, 50},
    {"half disc at the edge", 60, 80, [](int x, int y) { return Disc(x, y, 0, 40, 30); }, 3, 40},
    {"concave star", 120, 120, [](int x, int y) {
         return Disc(x, y, 60, 60, 30 + 25 * std::cos(5 * std::atan2(y + 0.5 - 60, x + 0.5 - 60)));
     }, 60, 60},
    {"square spiral", 80, 80, Spiral, 40, 40},
    {"one-pixel neck", 70, 30,
     [](int x, int y) { return (x < 20 || x >= 50 || y == 14) && y >= 5 && y < 25; }, 5, 10},
    {"diagonal touch", 40, 40,
     [](int x, int y) { return Box(x, y, 5, 5, 20, 20) || (x >= 20 && y >= 20); }, 10, 10,
     kMaxTraceCorners, {{5, 5}, {20, 5}, {20, 20}, {5, 20}}},
    {"frame closed at a corner", 40, 40, PinchedFrame, 20, 5},
    {"disc with holes", 100, 100, [](int x, int y) {
         return Disc(x, y, 50, 50, 45) && !Disc(x, y, 35, 50, 10) && !Disc(x, y, 65, 40, 8);
     }, 50, 10},
    {"fractal coastline", 400, 400, Coast, 200, 200, kMaxTraceCorners, {}, true},
    {"coastline in 40 corners", 400, 400, Coast, 200, 200, 40, {}, true},
};
// clang-format on

TEST(RegionTrace, ShapesAgreeWithTheRegionAtPixelCentres) {
    int64_t regionPixels = 0, differing = 0;
    for (const Shape& shape : kShapes) {
        SCOPED_TRACE(shape.name);
        const auto image = Paint(shape.w, shape.h, shape.in);
        CRegionMask mask;
        ASSERT_TRUE(FillRegion(*image, shape.sx, shape.sy, kDefaultTraceTolerance, &mask));
        const Grid region = Bfs(shape.w, shape.h, shape.sx, shape.sy, shape.in);
        ASSERT_EQ(MaskGrid(mask), region);
        const Grid filled = Filled(region);

        // The boundary itself holds exactly the region and its holes.
        const std::vector<TracePoint> boundary = TraceOuterBoundary(mask);
        EXPECT_EQ(Rasterise(boundary, shape.w, shape.h), filled);

        RegionTrace trace;
        ASSERT_TRUE(TraceRegion(*image, shape.sx, shape.sy, {32, shape.maxCorners}, &trace));
        EXPECT_EQ(trace.pixels, mask.PixelCount());
        EXPECT_GE(trace.corners.size(), 3u);
        EXPECT_LE(trace.corners.size(), size_t(shape.maxCorners));
        if (!shape.corners.empty()) {
            EXPECT_EQ(trace.corners, shape.corners);
        }
        // Where the polygon disagrees, a pixel of the other kind lies within
        // the deviation (one pixel unless the corner limit raised it).
        const Grid got = Rasterise(trace.corners, shape.w, shape.h);
        const int reach = std::max(1, int(std::ceil(trace.deviation)));
        EXPECT_EQ(trace.deviation > 1.0, shape.raised);
        int64_t diff = 0, count = 0;
        for (int y = 0; y < shape.h; ++y)
            for (int x = 0; x < shape.w; ++x) {
                count += filled[y][x];
                if (got[y][x] == filled[y][x]) continue;
                ++diff;
                bool nearEdge = false;
                for (int ny = y - reach; ny <= y + reach; ++ny)
                    for (int nx = x - reach; nx <= x + reach; ++nx)
                        nearEdge |= nx < 0 || ny < 0 || nx >= shape.w || ny >= shape.h
                                        ? bool(filled[y][x])
                                        : filled[ny][nx] != filled[y][x];
                EXPECT_TRUE(nearEdge) << "pixel " << x << "," << y;
            }
        if (reach == 1) regionPixels += count, differing += diff;
    }
    std::printf("within one pixel: %lld of %lld pixels differ (%.2f%%)\n",
                static_cast<long long>(differing), static_cast<long long>(regionPixels),
                100.0 * double(differing) / double(regionPixels));
}

// The span fill against the plain one on noise, for several tolerances, and
// the colour rule of indexed pictures.
TEST(RegionTrace, FillMatchesBreadthFirstSearch) {
    std::mt19937 random(17);
    const int w = 64, h = 48;
    CImage noise;
    noise.Create(w, h, 24, -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            noise.SetPixelRGB(x, y, uint8_t(100 + random() % 40), uint8_t(random() % 30),
                              uint8_t(50 + random() % 20));
    auto colour = [&](int x, int y) {
        uint8_t r, g, b;
        noise.GetPixelRGB(x, h - 1 - y, &r, &g, &b);
        return std::array<int, 3>{r, g, b};
    };
    CRegionMask mask;  // reused: each fill starts clean
    for (const int tolerance : {0, 12, 20, 32, 60}) {
        for (const auto& [sx, sy] : {std::pair{0, 0}, {31, 20}, {63, 47}}) {
            const auto seed = colour(sx, sy);
            const Grid expected = Bfs(w, h, sx, sy, [&](int x, int y) {
                const auto c = colour(x, y);
                const int d2 = (c[0] - seed[0]) * (c[0] - seed[0]) +
                               (c[1] - seed[1]) * (c[1] - seed[1]) +
                               (c[2] - seed[2]) * (c[2] - seed[2]);
                return d2 <= tolerance * tolerance;
            });
            ASSERT_TRUE(FillRegion(noise, sx, sy, tolerance, &mask));
            EXPECT_EQ(MaskGrid(mask), expected) << "tolerance " << tolerance << " at " << sx;
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
    EXPECT_FALSE(FillRegion(noise, -1, 0, 32, &mask));
    EXPECT_FALSE(FillRegion(noise, 0, h, 32, &mask));
    EXPECT_FALSE(FillRegion(empty, 0, 0, 32, &mask));
    EXPECT_EQ(mask.PixelCount(), 0);
    RegionTrace trace;
    EXPECT_FALSE(TraceRegion(noise, w, 0, {}, &trace));
    EXPECT_TRUE(trace.corners.empty());
}

}  // namespace
