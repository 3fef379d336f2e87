// SPDX-License-Identifier: GPL-3.0-or-later
// Simplification of a traced boundary: Douglas and Peucker's recursive split,
// run once, with each kept corner's split distance recorded, so that the
// corners kept for any larger deviation can be read off without a second run.

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <utility>

#include "image/region_trace.h"

namespace {

// Squared distance of p from the segment a-b.
double SegmentDistance2(TracePoint p, TracePoint a, TracePoint b) {
    const double vx = double(b.x) - a.x, vy = double(b.y) - a.y;
    const double wx = double(p.x) - a.x, wy = double(p.y) - a.y;
    const double length2 = vx * vx + vy * vy;
    double t = length2 > 0 ? (wx * vx + wy * vy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = wx - t * vx, ey = wy - t * vy;
    return ex * ex + ey * ey;
}

// The corner of boundary[from + 1 .. to - 1] farthest from the segment
// at(from)-at(to), and its distance.
template <class At>
std::pair<size_t, double> Farthest(const std::vector<TracePoint>& boundary, size_t from, size_t to,
                                   const At& at) {
    const TracePoint a = at(from), b = at(to);
    size_t split = from + 1;
    double d2 = -1;
    for (size_t i = from + 1; i < to; ++i) {
        const double di = SegmentDistance2(boundary[i], a, b);
        if (di > d2) d2 = di, split = i;
    }
    return {split, std::sqrt(d2)};
}

}  // namespace

SimplifiedOutline SimplifyOutline(const std::vector<TracePoint>& boundary, int maxCorners,
                                  double deviation) {
    SimplifiedOutline out;
    out.deviation = deviation;
    const size_t n = boundary.size();
    maxCorners = std::max(maxCorners, 3);
    if (n <= 3) {
        out.corners = boundary;
        return out;
    }
    // Index n stands for corner 0 again, closing the ring.
    auto at = [&](size_t i) { return boundary[i == n ? 0 : i]; };

    // The ring is cut at corner 0 and at the corner farthest from it; both
    // stay. On a traced boundary that corner is neither neighbour of 0.
    size_t far = 1;
    int64_t best = -1;
    for (size_t i = 1; i < n; ++i) {
        const int64_t dx = boundary[i].x - boundary[0].x, dy = boundary[i].y - boundary[0].y;
        if (dx * dx + dy * dy > best) best = dx * dx + dy * dy, far = i;
    }

    // A corner's weight: the deviation below which it is kept. It is its
    // distance from the segment it split, capped by the weight of that
    // segment's own split, so that the corners with weight over any t are
    // exactly what the split would keep with deviation t. No piece weighs
    // more than the piece it came from, so splitting the heaviest piece
    // first finds the corners in the order of their weights, and the split
    // stops once the limit is known: a long boundary is not split down to
    // its last pixel.
    struct Piece {
        size_t from, to, split;
        double weight;
        bool operator<(const Piece& other) const { return weight < other.weight; }
    };
    std::priority_queue<Piece> pieces;
    const auto add = [&](size_t from, size_t to, double cap) {
        if (to - from < 2) return;
        const auto [split, d] = Farthest(boundary, from, to, at);
        if (d > deviation) pieces.push({from, to, split, std::min(d, cap)});
    };
    constexpr double kInf = std::numeric_limits<double>::infinity();
    add(0, far, kInf);
    add(far, n, kInf);
    std::vector<bool> keep(n, false);
    keep[0] = keep[far] = true;
    // Over the limit: the deviation rises to the weight of the first corner
    // that does not fit, and corners of that weight go too.
    const size_t room = static_cast<size_t>(maxCorners) - 2;
    std::vector<std::pair<size_t, double>> found;
    while (!pieces.empty()) {
        const Piece p = pieces.top();
        pieces.pop();
        if (found.size() == room) {
            out.deviation = p.weight;
            break;
        }
        found.push_back({p.split, p.weight});
        add(p.from, p.split, p.weight);
        add(p.split, p.to, p.weight);
    }
    size_t kept = 2;
    for (const auto& [corner, weight] : found)
        if (weight > out.deviation) keep[corner] = true, ++kept;

    // Two corners make no area: a thin region keeps the corner farthest off
    // each side's chord, so that it still has one to click.
    if (kept < 3) {
        for (const auto& [from, to] : {std::pair{size_t{0}, far}, std::pair{far, n}}) {
            if (kept >= static_cast<size_t>(maxCorners)) break;
            keep[Farthest(boundary, from, to, at).first] = true;
            ++kept;
        }
    }
    for (size_t i = 0; i < n; ++i)
        if (keep[i]) out.corners.push_back(boundary[i]);
    return out;
}
