// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map checker's peer: an owner map, one int per pixel, the areas in the
// order a browser tries them (default areas last) claiming the pixel centres
// of their row spans that no area before them holds, noting the owners of
// those already held. Gives the checker's coverage for its benchmarks.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "markup/area_coverage.h"
#include "markup/area_model.h"

namespace owner_map {

// The peer's row spans: the textbook even-odd fill in doubles.
inline void PeerSpans(const AreaTag& a, int y, int width, std::vector<std::pair<int, int>>& out) {
    out.clear();
    const std::vector<double>& c = a.coords;
    const double cy = y + 0.5;
    auto add = [&](double from, double to) {
        const int b = std::max(0, int(std::ceil(from - 0.5)));
        const int e = std::min(width, int(std::floor(to - 0.5)) + 1);
        if (b < e) out.push_back({b, e});
    };
    if (a.shape == AreaShape::kDefault) {
        out.push_back({0, width});
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

// `owner`: width x height ints, overwritten.
inline Coverage OwnerMap(const std::vector<AreaTag>& areas, int width, int height,
                         std::vector<int32_t>& owner) {
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
            double top = 0, bottom = height;
            for (size_t i = 1; i < a.coords.size() && a.shape != AreaShape::kDefault; i += 2) {
                const double r = a.shape == AreaShape::kCircle ? a.coords[2] : 0;
                top = i == 1 ? a.coords[i] - r : std::min(top, a.coords[i]);
                bottom = i == 1 ? a.coords[i] + r : std::max(bottom, a.coords[i]);
                if (a.shape == AreaShape::kCircle) break;
            }
            std::vector<int>& by = cover.hiddenBy[k];
            int last = -1;
            for (int y = std::max(0, int(top) - 1); y < std::min(height, int(bottom) + 2); ++y) {
                PeerSpans(a, y, width, spans);
                int32_t* row = owner.data() + size_t(y) * size_t(width);
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

}  // namespace owner_map
