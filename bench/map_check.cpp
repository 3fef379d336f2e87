// SPDX-License-Identifier: GPL-3.0-or-later
// The map checker on pages of 1,000 and 10,000 areas (rectangles, circles
// and polygons that overlap their neighbours) over a 4000 x 3000 picture,
// against an owner map: one int per pixel, the areas in the order a browser
// tries them claiming the pixel centres of their row spans that no area
// before them holds, noting the owners of those already held. The peer
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

#include "markup/area_coverage.h"
#include "markup/area_model.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// `count` areas in a grid over the picture, each overlapping its neighbours.
std::string MakePage(int count) {
    const int columns = count <= 1000 ? 40 : 125, rows = (count + columns - 1) / columns;
    const int dx = kWidth / columns, dy = kHeight / rows;
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

// The peer's row spans: the textbook even-odd fill in doubles.
void PeerSpans(const AreaTag& a, int y, std::vector<std::pair<int, int>>& out) {
    out.clear();
    const std::vector<double>& c = a.coords;
    const double cy = y + 0.5;
    auto add = [&](double from, double to) {
        const int b = std::max(0, int(std::ceil(from - 0.5)));
        const int e = std::min(kWidth, int(std::floor(to - 0.5)) + 1);
        if (b < e) out.push_back({b, e});
    };
    if (a.shape == AreaShape::kDefault) {
        out.push_back({0, kWidth});
    } else if (a.shape == AreaShape::kRect) {
        if (cy >= std::min(c[1], c[3]) && cy <= std::max(c[1], c[3]))
            add(std::min(c[0], c[2]), std::max(c[0], c[2]));
    } else if (a.shape == AreaShape::kCircle) {
        const double d = cy - c[1];
        if (std::fabs(d) <= c[2]) {
            const double half = std::sqrt(c[2] * c[2] - d * d);
            add(c[0] - half, c[0] + half);
        }
    } else {
        std::vector<double> xs;
        const size_t count = c.size() / 2;
        for (size_t i = 0, j = count - 1; i < count; j = i++)
            if ((c[2 * i + 1] > cy) != (c[2 * j + 1] > cy))
                xs.push_back(c[2 * i] + (cy - c[2 * i + 1]) * (c[2 * j] - c[2 * i]) /
                                            (c[2 * j + 1] - c[2 * i + 1]));
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2) add(xs[k], xs[k + 1]);
    }
}

Coverage OwnerMap(const std::vector<AreaTag>& areas, std::vector<int32_t>& owner) {
    std::fill(owner.begin(), owner.end(), -1);
    Coverage cover;
    cover.inside.assign(areas.size(), 0);
    cover.picked.assign(areas.size(), 0);
    cover.hiddenBy.assign(areas.size(), {});
    std::vector<std::pair<int, int>> spans;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t k = 0; k < areas.size(); ++k) {
            const AreaTag& a = areas[k];
            if (!a.valid || (a.shape == AreaShape::kDefault) != (pass == 1)) continue;
            double top = 0, bottom = kHeight;
            for (size_t i = 1; i < a.coords.size() && a.shape != AreaShape::kDefault; i += 2) {
                const double r = a.shape == AreaShape::kCircle ? a.coords[2] : 0;
                top = i == 1 ? a.coords[i] - r : std::min(top, a.coords[i]);
                bottom = i == 1 ? a.coords[i] + r : std::max(bottom, a.coords[i]);
                if (a.shape == AreaShape::kCircle) break;
            }
            std::vector<int>& by = cover.hiddenBy[k];
            int last = -1;
            for (int y = std::max(0, int(top) - 1); y < std::min(kHeight, int(bottom) + 2); ++y) {
                PeerSpans(a, y, spans);
                int32_t* row = owner.data() + size_t(y) * kWidth;
                for (const auto& [b, e] : spans)
                    for (int x = b; x < e; ++x) {
                        ++cover.inside[k];
                        if (row[x] < 0) {
                            row[x] = int32_t(k);
                            ++cover.picked[k];
                        } else if (row[x] != last && by.size() < kMaxHiders) {
                            last = row[x];
                            if (std::find(by.begin(), by.end(), last) == by.end())
                                by.push_back(last);
                        }
                    }
            }
        }
    return cover;
}

int64_t RowsReached(const AreaTag& a) {
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
    return int64_t(std::min<double>(bottom, kHeight) - std::max<double>(top, 0));
}

double Seconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void BM_CheckAgainstOwnerMap(benchmark::State& state) {
    const std::string page = MakePage(int(state.range(0)));
    const std::vector<PictureSize> pictures{{kWidth, kHeight}};
    std::vector<int32_t> owner(size_t(kWidth) * kHeight);
    double check = 0, peer = 0;
    int64_t areaRows = 0;
    for (auto _ : state) {
        const double t0 = Seconds();
        const size_t findings = CheckMaps(page, pictures).size();
        const double t1 = Seconds();
        const std::vector<AreaTag> areas = ParseAreas(page);
        const Coverage byPeer = OwnerMap(areas, owner);
        const double t2 = Seconds();
        check += t1 - t0;
        peer += t2 - t1;
        std::vector<const AreaTag*> all;
        for (const AreaTag& a : areas) all.push_back(&a);
        const Coverage ours = Cover(all, kWidth, kHeight);
        if (findings == 0 || ours.inside != byPeer.inside || ours.picked != byPeer.picked)
            return state.SkipWithError("the checker and the owner map disagree");
        areaRows = 0;
        for (const AreaTag& a : areas) areaRows += RowsReached(a);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["check_ms"] = check * 1000 / n;
    state.counters["owner_map_ms"] = peer * 1000 / n;
    state.counters["ratio"] = peer > 0 ? check / peer : 0;
    state.counters["check_ns_per_area_row"] = areaRows > 0 ? check * 1e9 / n / double(areaRows) : 0;
}
BENCHMARK(BM_CheckAgainstOwnerMap)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace
