// SPDX-License-Identifier: GPL-3.0-or-later
// The map checker on pages of 1,000 and 10,000 areas (rectangles, circles
// and polygons that overlap their neighbours) over a 4000 x 3000 picture,
// and of 10,000 areas twice as tall over 4000 x 6000, against an owner map
// (bench/owner_map.h). The peer
// reads the areas and gives the same coverage (checked each run); the
// checker also runs every other rule. One call of each side at a time;
// BM_CheckAgainstOwnerMap reports both times and their ratio, and the
// checker's time per area and row it reaches (flat when linear).

#include "markup/map_check.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "bench/owner_map.h"
#include "markup/area_coverage.h"
#include "markup/area_model.h"

namespace {

constexpr int kWidth = 4000;

// `count` areas in a grid over a picture `height` tall, each overlapping its
// neighbours.
std::string MakePage(int count, int height) {
    const int columns = count <= 1000 ? 40 : 125, rows = (count + columns - 1) / columns;
    const int dx = kWidth / columns, dy = height / rows;
    auto n = [](int v) { return std::to_string(v); };
    std::string text = "<img src=\"photo.png\" alt=\"photo\" usemap=\"#m\">\n<map name=\"m\">\n";
    for (int i = 0; i < count; ++i) {
        const int x = (i % columns) * dx, y = (i / columns) * dy;
        const std::string link = "href=\"p" + n(i) + ".html\" alt=\"area " + n(i) + "\">\n";
        switch (i % 3) {
            case 0:
                text += "<area shape=rect coords=\"" + n(x) + "," + n(y) + "," +
                        n(x + dx * 13 / 10) + "," + n(y + dy * 5 / 4) + "\" " + link;
                break;
            case 1:
                text += "<area shape=circle coords=\"" + n(x + dx / 2) + "," + n(y + dy / 2) + "," +
                        n(dx * 7 / 10) + "\" " + link;
                break;
            default:
                text += "<area shape=poly coords=\"" + n(x) + "," + n(y) + "," +
                        n(x + dx * 14 / 10) + "," + n(y + dy / 6) + "," + n(x + dx * 9 / 10) + "," +
                        n(y + dy * 5 / 4) + "," + n(x + dx / 10) + "," + n(y + dy * 5 / 6) + "\" " +
                        link;
        }
    }
    return text + "</map>\n";
}

int64_t RowsReached(const AreaTag& a, int height) {
    const std::vector<double>& c = a.coords;
    double top = c[1], bottom = c[1];
    if (a.shape == AreaShape::kCircle) {
        top -= c[2];
        bottom += c[2];
    }
    for (size_t i = 3; i < c.size() && a.shape != AreaShape::kCircle; i += 2) {
        top = std::min(top, c[i]);
        bottom = std::max(bottom, c[i]);
    }
    return int64_t(std::min<double>(bottom, height) - std::max<double>(top, 0));
}

double Seconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void BM_CheckAgainstOwnerMap(benchmark::State& state) {
    const int height = int(state.range(1));
    const std::string page = MakePage(int(state.range(0)), height);
    const std::vector<PictureSize> pictures{{kWidth, height}};
    std::vector<int32_t> owner(size_t(kWidth) * size_t(height));
    double check = 0, peer = 0;
    int64_t areaRows = 0;
    for (auto _ : state) {
        const double t0 = Seconds();
        const size_t findings = CheckMaps(page, pictures).size();
        const double t1 = Seconds();
        const std::vector<AreaTag> areas = ParseAreas(page);
        const Coverage byPeer = owner_map::OwnerMap(areas, kWidth, height, owner);
        const double t2 = Seconds();
        check += t1 - t0;
        peer += t2 - t1;
        std::vector<const AreaTag*> all;
        for (const AreaTag& a : areas) all.push_back(&a);
        const Coverage ours = Cover(all, kWidth, height);
        if (findings == 0 || ours.inside != byPeer.inside || ours.picked != byPeer.picked)
            return state.SkipWithError("the checker and the owner map disagree");
        areaRows = 0;
        for (const AreaTag& a : areas) areaRows += RowsReached(a, height);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["check_ms"] = check * 1000 / n;
    state.counters["owner_map_ms"] = peer * 1000 / n;
    state.counters["ratio"] = peer > 0 ? check / peer : 0;
    state.counters["check_ns_per_area_row"] = areaRows > 0 ? check * 1e9 / n / double(areaRows) : 0;
}
// 1,000 and 10,000 areas on 4000 x 3000, and the 10,000 twice as tall on a
// picture twice as tall: the time per area row stays flat when the work is
// linear in areas x rows.
BENCHMARK(BM_CheckAgainstOwnerMap)
    ->Args({1000, 3000})
    ->Args({10000, 3000})
    ->Args({10000, 6000})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace
