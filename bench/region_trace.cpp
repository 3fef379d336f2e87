// SPDX-License-Identifier: GPL-3.0-or-later
// The outline tool on a 4000 x 3000 picture: fill, boundary and
// simplification of its largest region, against OpenCV's flood fill, contour
// search and polygon approximation of the same region in the same pixels.
// BM_TraceAgainstOpenCv reports the ratio (ours / OpenCV), the corners each
// keeps under the same limit and the distance each reached to keep them.
// BM_NoiseAgainstWhole: on 16384 x 16384 colour noise, a click at mid grey
// with the tolerance where tracing costs most (the region just percolates)
// against the trace of the whole picture, in turn.

#include "image/region_trace.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "image/image.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000, kTolerance = 32;
constexpr int kSeedX = kWidth / 2, kSeedY = kHeight / 2;

// A bright land mass with a fractal coast on a dark sea, some lakes in it,
// and every pixel varied by a few levels, as a photograph's flat areas are.
std::unique_ptr<CImage> MakePicture() {
    auto image = std::make_unique<CImage>();
    if (!image->Create(kWidth, kHeight, 24, -1)) return nullptr;
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = image->GetImpl()->PixelAddress(0, kHeight - 1 - y);
        for (int x = 0; x < kWidth; ++x) {
            const double dx = x + 0.5 - kSeedX, dy = y + 0.5 - kSeedY;
            const double a = std::atan2(dy, dx);
            double r = 1100;
            for (int k = 0; k < 10; ++k) r += 300.0 / (1 << k) * std::sin((3 << k) * a + 1.3 * k);
            const double d2 = dx * dx + dy * dy;
            const bool lake = std::hypot(dx - 400, dy - 300) < 150 || std::hypot(dx + 500, dy) < 90;
            const bool land = d2 <= r * r && !lake;
            noise = noise * 1664525u + 1013904223u;
            const int n = static_cast<int>(noise >> 28) - 8;  // -8..7
            row[3 * x + 0] = static_cast<uint8_t>((land ? 60 : 160) + n);
            row[3 * x + 1] = static_cast<uint8_t>((land ? 170 : 70) + n);
            row[3 * x + 2] = static_cast<uint8_t>((land ? 200 : 40) + n);
        }
    }
    return image;
}

const CImage& ThePicture() {
    static const std::unique_ptr<CImage> picture = MakePicture();
    return *picture;
}

size_t Ours(const CImage& image, CRegionMask& mask) {
    RegionTrace trace;
    TraceRegion(image, kSeedX, kSeedY, {kTolerance, kMaxTraceCorners}, &trace, &mask);
    return trace.corners.size();
}

// OpenCV's nearest equivalent: a fixed-range fill of the mask only (each
// channel within the tolerance of the seed's: a cube where ours is a
// sphere), the outer contours of that mask, and Douglas-Peucker of the
// largest, held to the same corner limit as ours: at 1 pixel, or where that
// keeps too many corners at the smallest distance (to 1/100 pixel) that
// keeps no more than the limit, found by halving.
struct OpenCvPeer {
    cv::Mat pixels;
    cv::Mat mask;
    double epsilon = 0;  // the distance the last run reached
    explicit OpenCvPeer(const CImage& image)
        : pixels(image.GetHeight(), image.GetWidth(), CV_8UC3, image.GetBits(),
                 static_cast<size_t>(image.GetRowBytes())),
          mask(image.GetHeight() + 2, image.GetWidth() + 2, CV_8UC1) {}
    size_t Run() {
        mask.setTo(0);
        // The pixel array runs bottom-up: the seed's row is counted from there.
        const cv::Point seed(kSeedX, pixels.rows - 1 - kSeedY);
        const cv::Scalar range(kTolerance, kTolerance, kTolerance);
        cv::floodFill(pixels, mask, seed, cv::Scalar(), nullptr, range, range,
                      4 | cv::FLOODFILL_FIXED_RANGE | cv::FLOODFILL_MASK_ONLY | (1 << 8));
        // The fill marks the mask's frame too: the contours are sought inside it.
        std::vector<std::vector<cv::Point>> contours;
        cv::findContours(mask(cv::Rect(1, 1, pixels.cols, pixels.rows)), contours,
                         cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
        if (contours.empty()) return 0;
        const auto& outline =
            *std::max_element(contours.begin(), contours.end(),
                              [](const auto& a, const auto& b) { return a.size() < b.size(); });
        std::vector<cv::Point> polygon;
        const auto fits = [&](double e) {
            cv::approxPolyDP(outline, polygon, e, true);
            return polygon.size() <= static_cast<size_t>(kMaxTraceCorners);
        };
        double low = 1.0, high = 1.0;
        if (!fits(high)) {
            do low = high, high *= 2;
            while (!fits(high));
            while (high - low > 0.01) {
                const double mid = (low + high) / 2;
                (fits(mid) ? high : low) = mid;
            }
        }
        epsilon = high;
        fits(high);
        return polygon.size();
    }
};

void BM_Trace(benchmark::State& state) {
    const CImage& image = ThePicture();
    CRegionMask mask;
    for (auto _ : state) benchmark::DoNotOptimize(Ours(image, mask));
    RegionTrace trace;
    TraceRegion(image, kSeedX, kSeedY, {}, &trace);
    state.counters["pixels"] = static_cast<double>(trace.pixels);
    state.counters["corners"] = static_cast<double>(trace.corners.size());
    state.counters["deviation"] = trace.deviation;
}
BENCHMARK(BM_Trace)->Unit(benchmark::kMillisecond);

void BM_OpenCv(benchmark::State& state) {
    OpenCvPeer peer(ThePicture());
    size_t corners = 0;
    for (auto _ : state) benchmark::DoNotOptimize(corners = peer.Run());
    state.counters["corners"] = static_cast<double>(corners);
    state.counters["distance"] = peer.epsilon;
}
BENCHMARK(BM_OpenCv)->Unit(benchmark::kMillisecond);

// The thread's processor time in seconds: on a shared machine it says more
// than the wall clock, which counts other programs' turns too.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Both in turn, so that they meet the same cache and machine load.
void BM_TraceAgainstOpenCv(benchmark::State& state) {
    const CImage& image = ThePicture();
    CRegionMask mask;
    OpenCvPeer peer(image);
    using Clock = std::chrono::steady_clock;
    double ours = 0, theirs = 0, oursCpu = 0, theirsCpu = 0;
    RegionTrace trace;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const double c0 = CpuSeconds();
        TraceRegion(image, kSeedX, kSeedY, {kTolerance, kMaxTraceCorners}, &trace, &mask);
        const auto t1 = Clock::now();
        const double c1 = CpuSeconds();
        benchmark::DoNotOptimize(peer.Run());
        const auto t2 = Clock::now();
        const double c2 = CpuSeconds();
        ours += std::chrono::duration<double>(t1 - t0).count();
        theirs += std::chrono::duration<double>(t2 - t1).count();
        oursCpu += c1 - c0;
        theirsCpu += c2 - c1;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = ours * 1000 / n;
    state.counters["opencv_ms"] = theirs * 1000 / n;
    state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
    state.counters["ours_cpu_ms"] = oursCpu * 1000 / n;
    state.counters["opencv_cpu_ms"] = theirsCpu * 1000 / n;
    state.counters["cpu_ratio"] = theirsCpu > 0 ? oursCpu / theirsCpu : 0;
    state.counters["ours_corners"] = static_cast<double>(trace.corners.size());
    state.counters["ours_distance"] = trace.deviation;
    state.counters["opencv_corners"] = static_cast<double>(peer.Run());
    state.counters["opencv_distance"] = peer.epsilon;
}
BENCHMARK(BM_TraceAgainstOpenCv)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A region of one million pixels (1000 x 1000) in the same kind of picture:
// the time a hover of the outline tool takes at most for that size.
void BM_TraceMegapixel(benchmark::State& state) {
    CImage image;
    image.Create(1600, 1200, 24, -1);
    for (int y = 0; y < 1200; ++y) {
        uint8_t* row = image.GetImpl()->PixelAddress(0, y);
        for (int x = 0; x < 1600; ++x) {
            const bool in = x >= 300 && x < 1300 && y >= 100 && y < 1100;
            const uint8_t v = static_cast<uint8_t>((in ? 200 : 40) + ((x * 7 + y * 13) & 7));
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
        }
    }
    CRegionMask mask;
    RegionTrace trace;
    for (auto _ : state) TraceRegion(image, 800, 600, {}, &trace, &mask);
    state.counters["pixels"] = static_cast<double>(trace.pixels);
}
BENCHMARK(BM_TraceMegapixel)->Unit(benchmark::kMillisecond);

// 16384 x 16384 colour noise (768 MiB), the pixel at the centre mid grey.
// Of the tolerances tried (120 to 180), 136 costs most: about as many
// colours lie within it of mid grey as not, so the region there just
// percolates, with millions of runs of a pixel or two and a boundary of
// 800,000 corners.
constexpr int kNoiseSize = 16384, kWorstNoiseTolerance = 136;

const CImage& TheNoise() {
    static const std::unique_ptr<CImage> picture = [] {
        auto image = std::make_unique<CImage>();
        if (!image->Create(kNoiseSize, kNoiseSize, 24, -1)) return image;
        uint64_t noise = 0x9E3779B97F4A7C15ull;
        for (int y = 0; y < kNoiseSize; ++y) {
            uint8_t* row = image->GetImpl()->PixelAddress(0, y);
            for (int x = 0; x < 3 * kNoiseSize; ++x) {
                noise ^= noise << 13, noise ^= noise >> 7, noise ^= noise << 17;
                row[x] = static_cast<uint8_t>(noise >> 24);
            }
        }
        image->SetPixelRGB(kNoiseSize / 2, kNoiseSize / 2 - 1, 128, 128, 128);
        return image;
    }();
    return *picture;
}

void BM_NoiseAgainstWhole(benchmark::State& state) {
    const CImage& image = TheNoise();
    const int tolerance = static_cast<int>(state.range(0));
    CRegionMask mask;
    RegionTrace noise, whole;
    // The mask is sized for the picture before either is timed (as the
    // editor keeps it between clicks), so that neither pays for it alone.
    TraceRegion(image, 0, 0, {0, kMaxTraceCorners}, &noise, &mask);
    using Clock = std::chrono::steady_clock;
    double ours = 0, all = 0, oursCpu = 0, allCpu = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const double c0 = CpuSeconds();
        TraceRegion(image, kNoiseSize / 2, kNoiseSize / 2, {tolerance, kMaxTraceCorners}, &noise,
                    &mask);
        const auto t1 = Clock::now();
        const double c1 = CpuSeconds();
        TraceRegion(image, kNoiseSize / 2, kNoiseSize / 2, {kMaxTraceTolerance, kMaxTraceCorners},
                    &whole, &mask);
        const auto t2 = Clock::now();
        const double c2 = CpuSeconds();
        ours += std::chrono::duration<double>(t1 - t0).count();
        all += std::chrono::duration<double>(t2 - t1).count();
        oursCpu += c1 - c0;
        allCpu += c2 - c1;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["pixels"] = static_cast<double>(noise.pixels);
    state.counters["deviation"] = noise.deviation;
    state.counters["noise_ms"] = ours * 1000 / n;
    state.counters["whole_ms"] = all * 1000 / n;
    state.counters["ratio"] = all > 0 ? ours / all : 0;
    state.counters["noise_cpu_ms"] = oursCpu * 1000 / n;
    state.counters["whole_cpu_ms"] = allCpu * 1000 / n;
    state.counters["cpu_ratio"] = allCpu > 0 ? oursCpu / allCpu : 0;
}
BENCHMARK(BM_NoiseAgainstWhole)
    ->Arg(kWorstNoiseTolerance)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
