// SPDX-License-Identifier: GPL-3.0-or-later
// Pages built to make the map checker slow, each against a well-behaved page
// of the same size in the same run, one call of each side at a time; the
// counter "ratio" is hostile / well-behaved.
//   Strips:   1,000 full-height strips on 4000 x 3000 / a grid of 1,000 areas
//   Crossing: a self-crossing polygon of 2,000 corners / a round one; and
//             against the owner map of the same polygon ("to_owner_map"),
//             which walks the same crossings of each row
//   Far:      coords="0,0,100,0,1e30,1e22" on 16384 x 16384 / a thin triangle
//   OneLine:  100,000 areas on one line / one area a line
//   LoneCr:   the same areas, lines ended by a CR alone / by LF
//   SameMaps: 20,000 maps of one name / of 20,000 names

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "bench/owner_map.h"
#include "markup/map_check.h"

namespace {

std::string N(double v) {
    return std::to_string(static_cast<long long>(v));
}

std::string Page(const std::string& areas) {
    return "<img src=\"p.png\" alt=\"p\" usemap=\"#m\">\n<map name=\"m\">\n" + areas + "</map>\n";
}

std::string Area(const std::string& shape, const std::string& coords, const char* end = "\n") {
    return "<area shape=\"" + shape + "\" coords=\"" + coords + "\" href=\"a.html\" alt=\"a\">" +
           end;
}

double Seconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// `peer`, when given, does the hostile page's coverage another way.
void Compare(benchmark::State& state, const std::string& hostile, const std::string& tame,
             PictureSize picture, const std::function<void()>& peer = {}) {
    const std::vector<PictureSize> pictures(ListMapImages(hostile).size(), picture);
    const std::vector<PictureSize> tamePictures(ListMapImages(tame).size(), picture);
    double slow = 0, fast = 0, other = 0;
    for (auto _ : state) {
        const double t0 = Seconds();
        benchmark::DoNotOptimize(CheckMaps(hostile, pictures).size());
        const double t1 = Seconds();
        benchmark::DoNotOptimize(CheckMaps(tame, tamePictures).size());
        const double t2 = Seconds();
        if (peer) peer();
        slow += t1 - t0;
        fast += t2 - t1;
        other += Seconds() - t2;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["hostile_ms"] = slow * 1000 / n;
    state.counters["tame_ms"] = fast * 1000 / n;
    state.counters["ratio"] = fast > 0 ? slow / fast : 0;
    if (peer) state.counters["to_owner_map"] = other > 0 ? slow / other : 0;
}

void BM_Strips(benchmark::State& state) {
    std::string strips, grid;
    for (int i = 0; i < 1000; ++i) {
        strips += Area("rect", N(i * 4) + ",0," + N(i * 4 + 6) + ",3000");
        const int x = (i % 40) * 100, y = (i / 40) * 120;
        grid += Area("rect", N(x) + "," + N(y) + "," + N(x + 130) + "," + N(y + 150));
    }
    Compare(state, Page(strips), Page(grid), {4000, 3000});
}

void BM_Crossing(benchmark::State& state) {
    std::string star, round;
    const double pi = std::acos(-1.0);
    for (int i = 0; i < 2000; ++i) {
        // Corner i of the star jumps across the picture: every edge crosses
        // most rows.
        const double a = 2 * pi * i * 997 / 2000, b = 2 * pi * i / 2000;
        star += (i ? "," : "") + N(2000 + 1900 * std::cos(a)) + "," + N(1500 + 1400 * std::sin(a));
        round += (i ? "," : "") + N(2000 + 1900 * std::cos(b)) + "," + N(1500 + 1400 * std::sin(b));
    }
    const std::string page = Page(Area("poly", star));
    const std::vector<AreaTag> areas = ParseAreas(page);
    std::vector<int32_t> owner(size_t(4000) * 3000);
    Compare(state, page, Page(Area("poly", round)), {4000, 3000},
            [&] { benchmark::DoNotOptimize(owner_map::OwnerMap(areas, 4000, 3000, owner)); });
}

void BM_Far(benchmark::State& state) {
    Compare(state, Page(Area("poly", "0,0,100,0,1e30,1e22")),
            Page(Area("poly", "0,0,100,0,16000,16384")), {16384, 16384});
}

// Areas of no link: one finding each, to be placed.
std::string ManyAreas(const char* end) {
    std::string areas;
    for (int i = 0; i < 100000; ++i) areas += std::string("<area coords=\"0,0,10,10\">") + end;
    return areas;
}

void BM_OneLine(benchmark::State& state) {
    Compare(state, Page(ManyAreas("")), Page(ManyAreas("\n")), {});
}

void BM_LoneCr(benchmark::State& state) {
    Compare(state, Page(ManyAreas("\r")), Page(ManyAreas("\n")), {});
}

void BM_SameMaps(benchmark::State& state) {
    std::string same = "<img alt=a usemap=#m>\n", named = same;
    for (int i = 0; i < 20000; ++i) {
        same += "<map name=m></map>\n";
        named += "<map name=m" + N(i) + "></map>\n";
    }
    Compare(state, same, named, {});
}

BENCHMARK(BM_Strips)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crossing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Far)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoneCr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SameMaps)->Unit(benchmark::kMillisecond);

}  // namespace
