// SPDX-License-Identifier: GPL-3.0-or-later
// Edits of many areas at once on a pane of 10,000 area lines: every area
// moved by a pixel, aligned, or removed, as one edit, against reading the
// whole text again (ParseAreas), which the view does after every edit
// anyway. A ratio near 1 or below means the group edit costs no more than
// what follows it.

#include "markup/area_group.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <numeric>
#include <string>

namespace {

constexpr int kAreas = 10000;

std::string MakePane() {
    std::string text = "<map name=\"m\">\r\n";
    for (int i = 0; i < kAreas; ++i) {
        const int x = 10 + i % 1500, y = 10 + i / 10;
        text += "<area shape=\"rect\" coords=\"" + std::to_string(x) + "," + std::to_string(y) +
                "," + std::to_string(x + 40) + "," + std::to_string(y + 30) + "\" href=\"p" +
                std::to_string(i) + ".html\">\r\n";
    }
    return text + "</map>";
}

double Seconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Arg: 0 moves every area, 1 aligns them left, 2 removes them.
void BM_GroupEditAgainstParse(benchmark::State& state) {
    const std::string text = MakePane();
    const std::vector<AreaTag> areas = ParseAreas(text);
    std::vector<int> all(areas.size());
    std::iota(all.begin(), all.end(), 0);
    double edit = 0, parse = 0;
    for (auto _ : state) {
        const auto t0 = Seconds();
        const TextEdit e = state.range(0) == 0 ? MoveAreasEdit(text, areas, all, 1, 1, 4000, 4000)
                           : state.range(0) == 1
                               ? AlignAreasEdit(text, areas, all, AreaAlign::kLeft)
                               : DeleteAreasEdit(text, areas, all);
        const auto t1 = Seconds();
        benchmark::DoNotOptimize(ParseAreas(text).size());
        const auto t2 = Seconds();
        if (e.removed == 0) return state.SkipWithError("no edit");
        edit += t1 - t0;
        parse += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["edit_ms"] = edit * 1000 / n;
    state.counters["parse_ms"] = parse * 1000 / n;
    state.counters["vs_parse"] = parse > 0 ? edit / parse : 0;
}
BENCHMARK(BM_GroupEditAgainstParse)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
