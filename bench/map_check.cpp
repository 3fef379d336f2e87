// SPDX-License-Identifier: GPL-3.0-or-later
// The map checker on a page of 1,000 areas (rectangles, circles and
// polygons that overlap their neighbours) over a 4000 x 3000 picture,
// against a plain pass over the picture's pixels: one 32-bit write per
// pixel, the floor of any check that looks at every pixel centre once.
// BM_CheckAgainstPixelPass reports both times and their ratio.

#include "markup/map_check.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

std::string MakePage() {
    std::string text = "<img src=\"photo.png\" alt=\"photo\" usemap=\"#m\">\n<map name=\"m\">\n";
    for (int i = 0; i < 1000; ++i) {
        const int x = (i % 40) * 100, y = (i / 40) * 120;
        const std::string link =
            "href=\"p" + std::to_string(i) + ".html\" alt=\"area " + std::to_string(i) + "\">\n";
        auto n = [](int v) { return std::to_string(v); };
        switch (i % 3) {
            case 0:
                text += "<area shape=rect coords=\"" + n(x) + "," + n(y) + "," + n(x + 130) + "," +
                        n(y + 150) + "\" " + link;
                break;
            case 1:
                text +=
                    "<area shape=circle coords=\"" + n(x + 50) + "," + n(y + 60) + ",70\" " + link;
                break;
            default:
                text += "<area shape=poly coords=\"" + n(x) + "," + n(y) + "," + n(x + 140) + "," +
                        n(y + 20) + "," + n(x + 90) + "," + n(y + 150) + "," + n(x + 10) + "," +
                        n(y + 100) + "\" " + link;
        }
    }
    return text + "</map>\n";
}

const std::string& Page() {
    static const std::string page = MakePage();
    return page;
}

double Seconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

uint64_t PixelPass(std::vector<int32_t>& owners) {
    uint64_t sum = 0;
    for (int y = 0; y < kHeight; ++y) {
        int32_t* row = owners.data() + size_t(y) * kWidth;
        for (int x = 0; x < kWidth; ++x) row[x] = (x ^ y) & 1023;
        benchmark::ClobberMemory();
        sum += uint64_t(row[y % kWidth]);
    }
    return sum;
}

void BM_CheckAgainstPixelPass(benchmark::State& state) {
    const std::vector<PictureSize> pictures{{kWidth, kHeight}};
    std::vector<int32_t> owners(size_t(kWidth) * kHeight);
    double check = 0, pass = 0;
    for (auto _ : state) {
        const auto t0 = Seconds();
        const size_t findings = CheckMaps(Page(), pictures).size();
        const auto t1 = Seconds();
        benchmark::DoNotOptimize(PixelPass(owners));
        const auto t2 = Seconds();
        if (findings == 0) return state.SkipWithError("no overlaps found");
        check += t1 - t0;
        pass += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["check_ms"] = check * 1000 / n;
    state.counters["pixel_pass_ms"] = pass * 1000 / n;
    state.counters["ratio"] = pass > 0 ? check / pass : 0;
}
BENCHMARK(BM_CheckAgainstPixelPass)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
