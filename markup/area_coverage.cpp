// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/area_coverage.h"

#include <algorithm>
#include <climits>
#include <queue>

#include "markup/area_rows.h"

namespace {

// Columns [begin, end) of one row and the rank of the area they belong to
// in the order a browser tries the areas.
struct RankedSpan {
    int begin = 0;
    int end = 0;
    int rank = 0;
};

// Whom a browser picks along a row: at each column the span of the lowest
// rank. `spans` come in any order; `out` gets the picked segments from left
// to right, neighbours of one rank joined.
void PickAlongRow(std::vector<RankedSpan>& spans, std::vector<RankedSpan>& out) {
    std::sort(spans.begin(), spans.end(),
              [](const RankedSpan& a, const RankedSpan& b) { return a.begin < b.begin; });
    out.clear();
    using Entry = std::pair<int, int>;  // rank, end
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    size_t next = 0;
    int x = 0;
    while (next < spans.size() || !open.empty()) {
        if (open.empty()) x = std::max(x, spans[next].begin);
        for (; next < spans.size() && spans[next].begin <= x; ++next)
            open.push({spans[next].rank, spans[next].end});
        while (!open.empty() && open.top().second <= x) open.pop();
        if (open.empty()) continue;
        const int until =
            std::min(open.top().second, next < spans.size() ? spans[next].begin : INT_MAX);
        const int rank = open.top().first;
        if (!out.empty() && out.back().end == x && out.back().rank == rank)
            out.back().end = until;
        else
            out.push_back({x, until, rank});
        x = until;
    }
}

// The different ranks among a row's segments [l, r) without walking every
// segment of a long range: a segment brings a rank new to the range when
// the last segment of that rank before it lies before l, and a tree of
// the smallest such index over ranges finds those segments one by one.
class CRowOwners {
public:
    void Reset(const std::vector<RankedSpan>& segments, size_t ranks) {
        m_segments = &segments;
        m_last.resize(ranks, -1);
        m_previous.resize(segments.size());
        for (size_t s = 0; s < segments.size(); ++s) {
            int& last = m_last[size_t(segments[s].rank)];
            m_previous[s] = last;
            last = int(s);
        }
        for (const RankedSpan& s : segments) m_last[size_t(s.rank)] = -1;
        m_tree.clear();
    }

    // Calls see(rank) for each rank in [l, r) (a short range may repeat
    // one) until it answers false.
    template <class See>
    void Visit(size_t l, size_t r, See see) {
        const std::vector<RankedSpan>& segments = *m_segments;
        if (r - l <= kShort) {
            for (size_t s = l; s < r; ++s)
                if (!see(segments[s].rank)) return;
            return;
        }
        if (m_tree.empty()) Build();
        m_stack.assign(1, {l, r});
        while (!m_stack.empty()) {
            const auto [a, b] = m_stack.back();
            m_stack.pop_back();
            if (a >= b) continue;
            const size_t m = Smallest(a, b);
            if (m_previous[m] >= int(l)) continue;  // nothing new in [a, b)
            if (!see(segments[m].rank)) return;
            m_stack.push_back({m + 1, b});
            m_stack.push_back({a, m});
        }
    }

private:
    static constexpr size_t kShort = 16;

    void Build() {
        m_size = 1;
        while (m_size < m_previous.size()) m_size *= 2;
        m_tree.assign(2 * m_size, 0);
        for (size_t s = 0; s < m_size; ++s) m_tree[m_size + s] = s;
        for (size_t i = m_size - 1; i > 0; --i) m_tree[i] = Less(m_tree[2 * i], m_tree[2 * i + 1]);
    }
    size_t Less(size_t a, size_t b) const { return Previous(b) < Previous(a) ? b : a; }
    int Previous(size_t s) const { return s < m_previous.size() ? m_previous[s] : INT_MAX; }
    // The index in [a, b) of the smallest m_previous.
    size_t Smallest(size_t a, size_t b) const {
        size_t best = a;
        for (size_t lo = a + m_size, hi = b + m_size; lo < hi; lo /= 2, hi /= 2) {
            if (lo & 1) best = Less(best, m_tree[lo++]);
            if (hi & 1) best = Less(best, m_tree[--hi]);
        }
        return best;
    }

    const std::vector<RankedSpan>* m_segments = nullptr;
    std::vector<int> m_last;      // per rank, while Reset runs
    std::vector<int> m_previous;  // per segment: the last one of its rank before it, or -1
    std::vector<size_t> m_tree;
    size_t m_size = 0;
    std::vector<std::pair<size_t, size_t>> m_stack;
};

constexpr size_t kShortWalk = 16;

}  // namespace

Coverage Cover(const std::vector<const AreaTag*>& areas, int width, int height) {
    const size_t n = areas.size();
    Coverage cover;
    cover.inside.assign(n, 0);
    cover.picked.assign(n, 0);
    cover.hiddenBy.assign(n, {});
    if (width <= 0 || height <= 0) return cover;
    std::vector<size_t> order;  // rank -> area
    for (int pass = 0; pass < 2; ++pass)
        for (size_t k = 0; k < n; ++k)
            if (areas[k]->valid && (areas[k]->shape == AreaShape::kDefault) == (pass == 1))
                order.push_back(k);
    std::vector<CAreaRows> rows;
    rows.reserve(order.size());
    for (const size_t k : order) rows.emplace_back(*areas[k], width, height);
    // The areas that reach each row, in rank order: a sweep, so that a map
    // of many small areas costs what its areas hold.
    std::vector<int> byTop;
    for (size_t rank = 0; rank < rows.size(); ++rank)
        if (rows[rank].Top() < rows[rank].Bottom()) byTop.push_back(int(rank));
    std::stable_sort(byTop.begin(), byTop.end(),
                     [&](int a, int b) { return rows[size_t(a)].Top() < rows[size_t(b)].Top(); });
    std::vector<int> active;
    std::vector<PixelSpan> own;
    std::vector<RankedSpan> spans, segments;
    CRowOwners owners;
    size_t next = 0;
    for (int y = 0, times = 1; y < height; y += times) {
        const size_t before = active.size();
        while (next < byTop.size() && rows[size_t(byTop[next])].Top() <= y)
            active.push_back(byTop[next++]);
        if (active.size() != before) {
            std::sort(active.begin() + long(before), active.end());
            std::inplace_merge(active.begin(), active.begin() + long(before), active.end());
        }
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](int rank) { return rows[size_t(rank)].Bottom() <= y; }),
                     active.end());
        // While only rectangles (and default areas) reach the rows and none
        // starts or ends, every row is as this one: it counts for them all.
        int until = next < byTop.size() ? rows[size_t(byTop[next])].Top() : height;
        bool steady = true;
        for (const int rank : active) {
            const AreaShape shape = areas[order[size_t(rank)]]->shape;
            steady = steady && (shape == AreaShape::kRect || shape == AreaShape::kDefault);
            until = std::min(until, rows[size_t(rank)].Bottom());
        }
        times = steady ? until - y : 1;
        spans.clear();
        for (const int rank : active) {
            rows[size_t(rank)].Row(y, own);
            for (const PixelSpan& s : own) {
                spans.push_back({s.begin, s.end, rank});
                cover.inside[order[size_t(rank)]] += int64_t(s.end - s.begin) * times;
            }
        }
        if (spans.empty()) continue;
        PickAlongRow(spans, segments);  // also sorts the spans from left to right
        for (const RankedSpan& s : segments)
            cover.picked[order[size_t(s.rank)]] += int64_t(s.end - s.begin) * times;
        owners.Reset(segments, order.size());
        // The areas picked on the pixels of each span, other than its own.
        size_t l = 0;  // the first segment that ends after the span begins
        for (const RankedSpan& s : spans) {
            while (segments[l].end <= s.begin) ++l;
            std::vector<int>& by = cover.hiddenBy[order[size_t(s.rank)]];
            if (by.size() >= kMaxHiders) continue;
            size_t r = l;
            while (r < segments.size() && segments[r].begin < s.end && r - l <= kShortWalk) ++r;
            if (r - l > kShortWalk)
                r = size_t(
                    std::lower_bound(segments.begin() + long(r), segments.end(), s.end,
                                     [](const RankedSpan& seg, int x) { return seg.begin < x; }) -
                    segments.begin());
            owners.Visit(l, r, [&](int rank) {
                const int owner = int(order[size_t(rank)]);
                if (rank != s.rank && std::find(by.begin(), by.end(), owner) == by.end())
                    by.push_back(owner);
                return by.size() < kMaxHiders;
            });
        }
    }
    return cover;
}
