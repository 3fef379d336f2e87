// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/area_coverage.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>

#include "markup/area_rows.h"

namespace {

// Columns [begin, end) of one row and the rank of the area they belong to
// in the order a browser tries the areas.
struct RankedSpan {
    int begin = 0;
    int end = 0;
    int rank = 0;
};

// Sorts a row's spans by where they begin. They come in the order of the
// row above, which they mostly keep: each costs the places it moves, and
// past a few per span on average a full sort takes over.
void SortByBegin(std::vector<RankedSpan>& spans) {
    const size_t budget = 4 * spans.size() + 64;
    size_t moved = 0;
    for (size_t i = 1; i < spans.size(); ++i) {
        const RankedSpan s = spans[i];
        size_t j = i;
        for (; j > 0 && spans[j - 1].begin > s.begin; --j) spans[j] = spans[j - 1];
        spans[j] = s;
        moved += i - j;
        if (moved > budget) {
            std::sort(spans.begin(), spans.end(),
                      [](const RankedSpan& a, const RankedSpan& b) { return a.begin < b.begin; });
            return;
        }
    }
}

// Whom a browser picks along a row: at each column the span of the lowest
// rank. Takes the spans sorted by where they begin and gives the picked
// segments from left to right, neighbours of one rank joined.
class CRowPicker {
public:
    void Pick(const std::vector<RankedSpan>& spans, std::vector<RankedSpan>& out) {
        out.clear();
        m_open.clear();
        size_t next = 0;
        int x = 0;
        while (next < spans.size() || !m_open.empty()) {
            if (m_open.empty()) x = std::max(x, spans[next].begin);
            for (; next < spans.size() && spans[next].begin <= x; ++next) Open(spans[next]);
            while (!m_open.empty() && End(m_open.front()) <= x) Close();
            if (m_open.empty()) continue;
            const int end = End(m_open.front()), rank = Rank(m_open.front());
            const int until = std::min(end, next < spans.size() ? spans[next].begin : INT_MAX);
            if (!out.empty() && out.back().end == x && out.back().rank == rank)
                out.back().end = until;
            else
                out.push_back({x, until, rank});
            x = until;
        }
    }

private:
    // The spans open at x, the lowest rank (then the nearest end) first:
    // rank and end in one number.
    void Open(const RankedSpan& s) {
        m_open.push_back(uint64_t(uint32_t(s.rank)) << 32 | uint32_t(s.end));
        std::push_heap(m_open.begin(), m_open.end(), std::greater<>());
    }
    void Close() {
        std::pop_heap(m_open.begin(), m_open.end(), std::greater<>());
        m_open.pop_back();
    }
    static int Rank(uint64_t entry) { return int(entry >> 32); }
    static int End(uint64_t entry) { return int(uint32_t(entry)); }

    std::vector<uint64_t> m_open;
};

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

// One map's areas swept down the picture's rows. On each row the areas that
// reach it give their spans, the lowest rank picks each column, and each
// span notes the areas picked on its pixels. Only the areas that reach the
// row hold their rows' state, in slots used again by those that come later.
class CCoverSweep {
public:
    CCoverSweep(const std::vector<const AreaTag*>& areas, int width, int height, Coverage& cover);
    void Run();

private:
    struct Ranked {
        int entry = 0;    // the row at which the sweep takes it up
        int slot = -1;    // its rows in m_slots while it reaches the rows
        int placed = -1;  // the last row whose order it has a place in
    };
    const AreaTag& Area(int rank) const { return *m_areas[m_order[size_t(rank)]]; }
    CAreaRows& Rows(int rank) { return m_slots[size_t(m_ranked[size_t(rank)].slot)]; }
    void TakeUp(int y);
    void Drop(int y);
    int AlikeFrom(int y);
    void Gather(int y, int times);
    void Reorder(int y);
    void NoteHiders();
    size_t SegmentsUntil(size_t l, int end) const;

    const std::vector<const AreaTag*>& m_areas;
    const int m_width;
    const int m_height;
    Coverage& m_cover;
    std::vector<size_t> m_order;  // rank -> area: the order a browser tries them
    std::vector<Ranked> m_ranked;
    std::vector<int> m_byEntry;  // ranks by the row they are taken up at
    size_t m_next = 0;           // the first of them not yet taken up
    std::vector<CAreaRows> m_slots;
    std::vector<int> m_freeSlots;
    std::vector<int> m_live;  // the ranks that reach the row, in the row above's order
    std::vector<int> m_reordered;
    std::vector<PixelSpan> m_own;
    std::vector<RankedSpan> m_spans;     // the row's, by where they begin
    std::vector<RankedSpan> m_segments;  // who is picked, left to right
    CRowPicker m_picker;
    CRowOwners m_owners;
};

CCoverSweep::CCoverSweep(const std::vector<const AreaTag*>& areas, int width, int height,
                         Coverage& cover)
    : m_areas(areas), m_width(width), m_height(height), m_cover(cover) {
    for (int pass = 0; pass < 2; ++pass)
        for (size_t k = 0; k < areas.size(); ++k)
            if (areas[k]->valid && (areas[k]->shape == AreaShape::kDefault) == (pass == 1))
                m_order.push_back(k);
    m_ranked.resize(m_order.size());
    for (size_t rank = 0; rank < m_order.size(); ++rank) {
        m_ranked[rank].entry = CAreaRows::EntryRow(Area(int(rank)), height);
        if (m_ranked[rank].entry < height) m_byEntry.push_back(int(rank));
    }
    std::stable_sort(m_byEntry.begin(), m_byEntry.end(), [&](int a, int b) {
        return m_ranked[size_t(a)].entry < m_ranked[size_t(b)].entry;
    });
}

void CCoverSweep::Run() {
    for (int y = 0, times = 1; y < m_height; y += times) {
        TakeUp(y);
        Drop(y);
        times = AlikeFrom(y);
        Gather(y, times);
        if (m_spans.empty()) continue;
        Reorder(y);
        m_picker.Pick(m_spans, m_segments);
        for (const RankedSpan& s : m_segments)
            m_cover.picked[m_order[size_t(s.rank)]] += int64_t(s.end - s.begin) * times;
        NoteHiders();
    }
}

void CCoverSweep::TakeUp(int y) {
    for (; m_next < m_byEntry.size() && m_ranked[size_t(m_byEntry[m_next])].entry <= y; ++m_next) {
        const int rank = m_byEntry[m_next];
        int& slot = m_ranked[size_t(rank)].slot;
        if (m_freeSlots.empty()) {
            slot = int(m_slots.size());
            m_slots.emplace_back();
        } else {
            slot = m_freeSlots.back();
            m_freeSlots.pop_back();
        }
        Rows(rank).Reset(Area(rank), m_width, m_height);
        m_live.push_back(rank);
    }
}

void CCoverSweep::Drop(int y) {
    std::erase_if(m_live, [&](int rank) {
        if (Rows(rank).Bottom() > y) return false;
        m_freeSlots.push_back(m_ranked[size_t(rank)].slot);
        return true;
    });
}

// While only rectangles (and default areas) reach the rows and none starts
// or ends, every row is as this one: the rows it counts for.
int CCoverSweep::AlikeFrom(int y) {
    int until = m_next < m_byEntry.size() ? m_ranked[size_t(m_byEntry[m_next])].entry : m_height;
    for (const int rank : m_live) {
        const AreaShape shape = Area(rank).shape;
        if (shape != AreaShape::kRect && shape != AreaShape::kDefault) return 1;
        until = std::min(until, Rows(rank).Bottom());
    }
    return until - y;
}

void CCoverSweep::Gather(int y, int times) {
    m_spans.clear();
    for (const int rank : m_live) {
        Rows(rank).Row(y, m_own);
        for (const PixelSpan& s : m_own) {
            m_spans.push_back({s.begin, s.end, rank});
            m_cover.inside[m_order[size_t(rank)]] += int64_t(s.end - s.begin) * times;
        }
    }
    SortByBegin(m_spans);
}

// The areas in the order of their first span on this row (those without
// one last), which the next row's spans mostly keep.
void CCoverSweep::Reorder(int y) {
    m_reordered.clear();
    const auto place = [&](int rank) {
        int& placed = m_ranked[size_t(rank)].placed;
        if (placed != y) m_reordered.push_back(rank);
        placed = y;
    };
    for (const RankedSpan& s : m_spans) place(s.rank);
    for (const int rank : m_live) place(rank);
    m_live.swap(m_reordered);
}

// The areas picked on the pixels of each span, other than its own.
void CCoverSweep::NoteHiders() {
    m_owners.Reset(m_segments, m_order.size());
    size_t l = 0;  // the first segment that ends after the span begins
    for (const RankedSpan& s : m_spans) {
        while (m_segments[l].end <= s.begin) ++l;
        std::vector<int>& by = m_cover.hiddenBy[m_order[size_t(s.rank)]];
        if (by.size() >= kMaxHiders) continue;
        m_owners.Visit(l, SegmentsUntil(l, s.end), [&](int rank) {
            const int owner = int(m_order[size_t(rank)]);
            if (rank != s.rank && std::find(by.begin(), by.end(), owner) == by.end())
                by.push_back(owner);
            return by.size() < kMaxHiders;
        });
    }
}

// The first segment from l on that begins at or after `end`: a short walk,
// or a search where the span covers many segments.
size_t CCoverSweep::SegmentsUntil(size_t l, int end) const {
    size_t r = l;
    while (r < m_segments.size() && m_segments[r].begin < end && r - l <= kShortWalk) ++r;
    if (r - l <= kShortWalk) return r;
    return size_t(std::lower_bound(m_segments.begin() + long(r), m_segments.end(), end,
                                   [](const RankedSpan& seg, int x) { return seg.begin < x; }) -
                  m_segments.begin());
}

}  // namespace

Coverage Cover(const std::vector<const AreaTag*>& areas, int width, int height) {
    const size_t n = areas.size();
    Coverage cover;
    cover.inside.assign(n, 0);
    cover.picked.assign(n, 0);
    cover.hiddenBy.assign(n, {});
    if (width > 0 && height > 0) CCoverSweep(areas, width, height, cover).Run();
    return cover;
}
