// Simplification of a traced boundary: Douglas and Peucker's recursive split,
// run once, with each kept corner's split distance recorded, so that the
// corners kept for any larger deviation can be read off without a second run.

#include <algorithm>
#include <cmath>
#include <limits>
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
    // exactly what the split would keep with deviation t.
    std::vector<double> weight(n, 0.0);
    struct Piece {
        size_t from, to;
        double cap;
    };
    constexpr double kInf = std::numeric_limits<double>::infinity();
    std::vector<Piece> pieces{{0, far, kInf}, {far, n, kInf}};
    while (!pieces.empty()) {
        const Piece p = pieces.back();
        pieces.pop_back();
        if (p.to - p.from < 2) continue;
        const auto [split, d] = Farthest(boundary, p.from, p.to, at);
        if (d <= deviation) continue;
        weight[split] = std::min(d, p.cap);
        pieces.push_back({p.from, split, weight[split]});
        pieces.push_back({split, p.to, weight[split]});
    }

    // Over the limit: the deviation rises to the weight of the first corner
    // that does not fit.
    std::vector<double> weights;
    for (size_t i = 1; i < n; ++i)
        if (i != far && weight[i] > deviation) weights.push_back(weight[i]);
    const size_t room = static_cast<size_t>(maxCorners) - 2;
    double threshold = deviation;
    if (weights.size() > room) {
        std::nth_element(weights.begin(), weights.begin() + static_cast<ptrdiff_t>(room),
                         weights.end(), std::greater<double>());
        threshold = weights[room];
        out.deviation = threshold;
    }
    std::vector<bool> keep(n, false);
    keep[0] = keep[far] = true;
    size_t kept = 2;
    for (size_t i = 1; i < n; ++i)
        if (i != far && weight[i] > threshold) keep[i] = true, ++kept;

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
