// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/area_rows.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The first i in [lo, hi] whose centre i + 0.5 is at or after v (after v
// when `strict`); hi when none is. Exact: the estimate is checked.
int FirstCentre(double v, bool strict, int lo, int hi) {
    if (std::isnan(v)) return hi;
    auto fits = [&](int i) { return strict ? i + 0.5 > v : i + 0.5 >= v; };
    int i = static_cast<int>(std::clamp(std::ceil(v - 0.5), double(lo), double(hi)));
    while (i > lo && fits(i - 1)) --i;
    while (i < hi && !fits(i)) ++i;
    return i;
}

int Clamped(double v, int lo, int hi) {
    if (std::isnan(v)) return lo;
    return static_cast<int>(std::clamp(std::floor(v), double(lo), double(hi)));
}

// The smallest x in [lo, hi] where `holds` turns true (it is false below
// and true from there on; hi counts as true), searched outward from `guess`
// in doubling steps, so that a guess a few pixels off costs a few tests and
// one a whole row off costs a few dozen.
template <class Holds>
int FirstTrue(int lo, int hi, int guess, Holds holds) {
    auto p = [&](int x) { return x >= hi || holds(x); };
    int a = lo, b = hi;  // the answer lies in [a, b]
    guess = std::clamp(guess, lo, hi);
    if (p(guess)) {
        b = guess;
        for (long step = 1;; step *= 2) {
            const long x = long(b) - step;
            if (x < lo) break;
            if (!p(int(x))) {
                a = int(x) + 1;
                break;
            }
            b = int(x);
        }
    } else {
        a = guess + 1;
        for (long step = 1;; step *= 2) {
            const long x = long(a) - 1 + step;
            if (x >= hi) break;
            if (p(int(x))) {
                b = int(x);
                break;
            }
            a = int(x) + 1;
        }
    }
    while (a < b) {
        const int m = a + (b - a) / 2;
        if (p(m))
            b = m;
        else
            a = m + 1;
    }
    return a;
}

// dx / dy in doubles where that holds its precision; NaN, which no crossing
// estimated with it passes for clear, where it does not (overflow, or a
// quotient so small that it lost bits).
double QuickSlope(double dx, double dy) {
    const double slope = dx / dy;
    const bool held = std::isfinite(slope) && (dx == 0 || std::fabs(slope) >= 0x1p-900);
    return held ? slope : std::numeric_limits<double>::quiet_NaN();
}

// Where a crossing estimated at v (within `slack` of the true one) lies
// clear of every pixel centre, as nearly all do: the first column right of
// it, within [0, width]. -1 when a centre may lie on it or v is far out.
int ClearCrossing(double v, double slack, int width) {
    if (!(std::fabs(v) < 0x1p30)) return -1;
    int below = static_cast<int>(v - 0.5);  // the centre below v
    if (below > v - 0.5) --below;
    // Twice the slack covers the rounding of these sums.
    if (!(v - 2 * slack > below + 0.5 && v + 2 * slack < below + 1.5)) return -1;
    return std::clamp(below + 1, 0, width);
}

}  // namespace

int CAreaRows::EntryRow(const AreaTag& area, int height) {
    if (!area.valid || height <= 0) return height;
    const std::vector<double>& c = area.coords;
    switch (area.shape) {
        case AreaShape::kDefault:
            return 0;
        case AreaShape::kRect:
            return FirstCentre(std::min(c[1], c[3]), false, 0, height);
        case AreaShape::kCircle:
            // A centre's test rounds by a few units of the last place of
            // the radius: no row it takes in lies a row above this.
            return Clamped(c[1] - c[2] - std::fabs(c[2]) * 0x1p-40 - 2, 0, height);
        case AreaShape::kPoly:
            return FirstCentre(CornersBox(c).minY, false, 0, height);
    }
    return 0;
}

void CAreaRows::Reset(const AreaTag& area, int width, int height) {
    m_area = &area;
    m_width = width;
    m_height = height;
    m_top = m_bottom = m_left = m_right = 0;
    m_scale = 1;
    m_plainCircle = false;
    m_edges.clear();
    m_nextEdge = 0;
    m_active.clear();
    m_flats.clear();
    m_nextFlat = 0;
    if (!area.valid || width <= 0 || height <= 0) return;
    const std::vector<double>& c = area.coords;
    switch (area.shape) {
        case AreaShape::kDefault:
            m_bottom = height;
            m_right = width;
            return;
        case AreaShape::kRect: {
            const double left = std::min(c[0], c[2]), right = std::max(c[0], c[2]);
            const double top = std::min(c[1], c[3]), bottom = std::max(c[1], c[3]);
            if (!(left < right && top < bottom)) return;  // holds nothing
            m_left = FirstCentre(left, false, 0, width);
            m_right = FirstCentre(right, true, 0, width);
            m_top = FirstCentre(top, false, 0, height);
            m_bottom = FirstCentre(bottom, true, 0, height);
            return;
        }
        case AreaShape::kCircle: {
            // The column nearest the centre holds a pixel of every row that
            // holds any; the rows that do run from the centre's row outward.
            // Values within 2^500 need no scaling: the test is done here.
            m_plainCircle = std::fabs(c[0]) <= 0x1p500 && std::fabs(c[1]) <= 0x1p500 &&
                            std::fabs(c[2]) <= 0x1p500;
            m_left = Clamped(c[0], 0, width - 1);
            const int middle = Clamped(c[1], 0, height - 1);
            const auto rowHolds = [&](int y) { return Anchor(y) >= 0; };
            int found = -1;
            for (const int y : {middle, middle - 1, middle + 1})
                if (found < 0 && y >= 0 && y < height && rowHolds(y)) found = y;
            if (found < 0) return;
            m_top = FirstTrue(0, found, Clamped(c[1] - c[2], 0, height), rowHolds);
            m_bottom = FirstTrue(found, height, Clamped(c[1] + c[2], 0, height),
                                 [&](int y) { return !rowHolds(y); });
            return;
        }
        case AreaShape::kPoly:
            SetUpPolygon();
            return;
    }
}

bool CAreaRows::Holds(int x, int y) const {
    const std::vector<double>& c = m_area->coords;
    if (m_plainCircle) return InCircleUnscaled(c[0], c[1], c[2], x + 0.5, y + 0.5);
    return AreaContains(*m_area, x + 0.5, y + 0.5);
}

void CAreaRows::SetUpPolygon() {
    const std::vector<double>& c = m_area->coords;
    const size_t count = c.size() / 2;
    const CornerBox box = CornersBox(c);
    if (box.Flat()) return;  // as flat as a line: nothing
    m_top = FirstCentre(box.minY, false, 0, m_height);
    m_bottom = FirstCentre(box.maxY, true, 0, m_height);
    m_scale = PolygonScale(c);
    // The row a value lies on exactly, or -1.
    auto rowAt = [&](double y) {
        const int row = FirstCentre(y, false, 0, m_height);
        return row < m_height && row + 0.5 == y ? row : -1;
    };
    for (size_t i = 0, j = count - 1; i < count; j = i++) {
        const double xi = c[2 * i], yi = c[2 * i + 1], xj = c[2 * j], yj = c[2 * j + 1];
        if (const int row = rowAt(yi); row >= 0) m_flats.push_back({row, xi, xi});
        if (yi == yj) {
            if (const int row = rowAt(yi); row >= 0)
                m_flats.push_back({row, std::min(xi, xj), std::max(xi, xj)});
            continue;
        }
        // Rows whose centre line the edge crosses: min <= cy < max.
        const int first = FirstCentre(std::min(yi, yj), false, 0, m_height);
        const int last = FirstCentre(std::max(yi, yj), false, 0, m_height);
        if (first < last)
            m_edges.push_back({xi, yi, xj, yj, ((long double)xj - xi) / ((long double)yj - yi),
                               QuickSlope(xj - xi, yj - yi), first, last, yj > yi ? 1 : -1});
    }
    std::sort(m_edges.begin(), m_edges.end(),
              [](const Edge& a, const Edge& b) { return a.first < b.first; });
    std::sort(m_flats.begin(), m_flats.end(),
              [](const Flat& a, const Flat& b) { return a.row < b.row; });
}

// The first column whose centre is not left of where the edge crosses row
// cy (the width when there is none), and whether that centre lies on it.
int CAreaRows::EdgeEnd(const Edge& e, double cy, bool* onCentre) const {
    *onCentre = false;
    // From the end nearer the row: x0 + (cy - y0) * slope. In doubles the
    // slope rounds at most three times, the difference, the product and
    // the sum once each: within 8 units of the last place of the term and
    // of the sum, well inside the slack given.
    const bool first = std::fabs(cy - e.y1) <= std::fabs(cy - e.y2);
    const double x0 = first ? e.x1 : e.x2, y0 = first ? e.y1 : e.y2;
    const double term = (cy - y0) * e.quickSlope, x = x0 + term;
    const double slack = 0x1p-49 * (std::fabs(x) + std::fabs(term)) + 0x1p-1000;
    if (const int end = ClearCrossing(x, slack, m_width); end >= 0) return end;
    return SettledEnd(e, cy, x0, y0, onCentre);
}

// EdgeEnd where a centre lies near the crossing or doubles do not hold it:
// the crossing is estimated in long double with a bound on its error, and
// the columns inside the bound are settled by the exact orientation test.
int CAreaRows::SettledEnd(const Edge& e, double cy, double x0, double y0, bool* onCentre) const {
    using Real = long double;
    // The slope and the product round once each, the sum once more, so the
    // error stays within a few units of the last place of x0 and of that
    // term (large only where a far corner's coordinates cancel near the
    // picture).
    const Real term = (cy - Real(y0)) * e.slope;
    const Real x = x0 + term;
    const Real slack =
        std::numeric_limits<Real>::epsilon() * (2 * std::fabs(Real(x0)) + 8 * std::fabs(term)) +
        4 * std::numeric_limits<double>::epsilon() * std::fabs(x) + 1e-290L;
    int a = 0, b = m_width;
    if (std::isfinite(x) && std::isfinite(slack)) {
        if (const int end = ClearCrossing(double(x), double(slack), m_width); end >= 0) return end;
        a = FirstCentre(double(x - slack), false, 0, m_width);
        b = FirstCentre(double(x + slack), true, 0, m_width);
    }
    const double s = m_scale;
    auto side = [&](int column) {
        return ExactOrientation(e.x1 * s, e.y1 * s, e.x2 * s, e.y2 * s, (column + 0.5) * s, cy * s);
    };
    const int end = FirstTrue(a, b, a, [&](int column) { return side(column) != e.dir; });
    *onCentre = end < b && side(end) == 0;
    return end;
}

void CAreaRows::PolygonRow(int y, std::vector<PixelSpan>& out) {
    while (m_nextEdge < m_edges.size() && m_edges[m_nextEdge].first <= y)
        m_active.push_back(m_nextEdge++);
    m_active.erase(std::remove_if(m_active.begin(), m_active.end(),
                                  [&](size_t e) { return m_edges[e].last <= y; }),
                   m_active.end());
    const double cy = y + 0.5;
    m_ends.clear();
    for (const size_t e : m_active) {
        bool on = false;
        const int end = EdgeEnd(m_edges[e], cy, &on);
        m_ends.push_back({end, on});
    }
    // Even-odd: a centre is inside when an odd number of crossings lie to
    // its right, so between the first and second end, the third and fourth,
    // ...; a centre on an edge is inside too.
    std::sort(m_ends.begin(), m_ends.end());
    for (size_t k = 0; k + 1 < m_ends.size(); k += 2)
        if (m_ends[k].first < m_ends[k + 1].first)
            out.push_back({m_ends[k].first, m_ends[k + 1].first});
    for (const auto& [end, on] : m_ends)
        if (on) out.push_back({end, end + 1});
    while (m_nextFlat < m_flats.size() && m_flats[m_nextFlat].row < y) ++m_nextFlat;
    for (size_t f = m_nextFlat; f < m_flats.size() && m_flats[f].row == y; ++f) {
        const int begin = FirstCentre(m_flats[f].left, false, 0, m_width);
        const int end = FirstCentre(m_flats[f].right, true, 0, m_width);
        if (begin < end) out.push_back({begin, end});
    }
}

// A column of row y that the circle holds, if any does: the one nearest the
// centre or a neighbour (rounding may favour either); -1 when none.
int CAreaRows::Anchor(int y) const {
    for (const int x : {m_left, m_left - 1, m_left + 1})
        if (x >= 0 && x < m_width && Holds(x, y)) return x;
    return -1;
}

void CAreaRows::CircleRow(int y, std::vector<PixelSpan>& out) const {
    const std::vector<double>& c = m_area->coords;
    const double d = (y + 0.5) - c[1];
    const double half = std::sqrt(std::max(0.0, c[2] * c[2] - d * d));
    int begin = Clamped(c[0] - half + 0.5, 0, m_width);
    int end = Clamped(c[0] + half + 0.5, 0, m_width);
    // The estimate is nearly always right: two tests at each end show it.
    const auto holds = [&](int x) { return Holds(x, y); };
    if (begin < end && holds(begin) && holds(end - 1) && (begin == 0 || !holds(begin - 1)) &&
        (end == m_width || !holds(end))) {
        out.push_back({begin, end});
        return;
    }
    const int anchor = Anchor(y);
    if (anchor < 0) return;
    begin = FirstTrue(0, anchor, begin, holds);
    end = FirstTrue(anchor, m_width, end, [&](int x) { return !holds(x); });
    out.push_back({begin, end});
}

void CAreaRows::Row(int y, std::vector<PixelSpan>& out) {
    out.clear();
    if (y < m_top || y >= m_bottom) return;
    switch (m_area->shape) {
        case AreaShape::kDefault:
        case AreaShape::kRect:
            if (m_left < m_right) out.push_back({m_left, m_right});
            return;
        case AreaShape::kCircle:
            CircleRow(y, out);
            return;
        case AreaShape::kPoly:
            PolygonRow(y, out);
            break;
    }
    if (out.size() < 2) return;
    std::sort(out.begin(), out.end(), [](PixelSpan a, PixelSpan b) { return a.begin < b.begin; });
    size_t kept = 0;
    for (size_t i = 1; i < out.size(); ++i) {
        if (out[i].begin <= out[kept].end)
            out[kept].end = std::max(out[kept].end, out[i].end);
        else
            out[++kept] = out[i];
    }
    out.resize(kept + 1);
}
