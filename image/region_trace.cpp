// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/region_trace.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <new>
#include <utility>

#include "image/flatten.h"
#include "image/image.h"
#include "io/large_pages.h"

namespace {

// The colour test against the seed: squared channel differences looked up,
// summed and compared, with no multiplication per pixel.
class ColourTest {
public:
    ColourTest(uint8_t r, uint8_t g, uint8_t b, int tolerance)
        : m_limit(static_cast<int32_t>(tolerance) * tolerance) {
        for (int v = 0; v < 256; ++v) {
            m_red[v] = (v - r) * (v - r);
            m_green[v] = (v - g) * (v - g);
            m_blue[v] = (v - b) * (v - b);
        }
    }
    bool operator()(uint8_t r, uint8_t g, uint8_t b) const {
        return m_red[r] + m_green[g] + m_blue[b] <= m_limit;
    }

private:
    int32_t m_red[256], m_green[256], m_blue[256];
    int32_t m_limit;
};

// Pixel tests by depth: test(row, x) for a row of the pixel array.
struct Match24 {
    const ColourTest& test;
    bool operator()(const uint8_t* row, int x) const {
        const uint8_t* p = row + 3 * static_cast<size_t>(x);
        return test(p[2], p[1], p[0]);
    }
};
struct Match32 {
    const ColourTest& test;
    bool operator()(const uint8_t* row, int x) const {
        const uint8_t* p = row + 4 * static_cast<size_t>(x);
        return test(p[2], p[1], p[0]);
    }
};
// The 5-5-5 layout that the pixel model keeps at depth 16.
struct Match16 {
    const ColourTest& test;
    bool operator()(const uint8_t* row, int x) const {
        const uint8_t* p = row + 2 * static_cast<size_t>(x);
        const int v = p[0] | (p[1] << 8);
        return test(static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31),
                    static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31),
                    static_cast<uint8_t>((v & 31) * 255 / 31));
    }
};
struct Match8 {
    const bool* matches;  // by palette index
    bool operator()(const uint8_t* row, int x) const { return matches[row[x]]; }
};
// Depths 1, 2 and 4: the leftmost pixel in the high bits.
struct MatchPacked {
    const bool* matches;
    int depth;
    bool operator()(const uint8_t* row, int x) const {
        const int bit = x * depth;
        const int index = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
        return matches[index];
    }
};

// The runs of `m` that hold a bit of `s` (a subset of `m`), grown towards the
// high bits and towards the low bits. Upwards an addition does it: the carry
// from a run's lowest bit of `s` runs through the rest of that run, and
// stops at the zero above it. Downwards each doubling step lets a bit pass
// through twice as many matching bits.
uint64_t GrowUp(uint64_t s, uint64_t m) {
    return m & (((m + s) ^ m) | s);
}
uint64_t GrowDown(uint64_t s, uint64_t m) {
    s |= m & (s >> 1);
    m &= m >> 1;
    s |= m & (s >> 2);
    m &= m >> 2;
    s |= m & (s >> 4);
    m &= m >> 4;
    s |= m & (s >> 8);
    m &= m >> 8;
    s |= m & (s >> 16);
    m &= m >> 16;
    return s | (m & (s >> 32));
}

// The bits set in a word, in a few inline steps: without a target that
// has the instruction, std::popcount is a call into the runtime library.
int CountBits(uint64_t v) {
    v -= (v >> 1) & 0x5555555555555555u;
    v = (v & 0x3333333333333333u) + ((v >> 2) & 0x3333333333333333u);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((v * 0x0101010101010101u) >> 56);
}

using Clock = std::chrono::steady_clock;

}  // namespace

bool CRegionMask::Reset(int width, int height) {
    m_count = 0;
    if (width == m_width && height == m_height && !m_words.empty()) {
        // Only what the last fill wrote; the frame never changes.
        const size_t words = static_cast<size_t>(m_stride) - 2;
        for (int y = m_touchedTop; y <= m_touchedBottom; ++y) {
            const size_t row = (static_cast<size_t>(y) + 1) * m_stride;
            std::fill(m_words.begin() + 2 * (static_cast<ptrdiff_t>(row) + m_touchedLeft),
                      m_words.begin() + 2 * (static_cast<ptrdiff_t>(row) + m_touchedRight + 1), 0);
            const size_t known = static_cast<size_t>(y) * words;
            std::fill(m_known.begin() + static_cast<ptrdiff_t>(known) + m_touchedLeft - 1,
                      m_known.begin() + static_cast<ptrdiff_t>(known) + m_touchedRight, 0);
        }
    } else {
        m_width = m_height = 0;
        m_stride = 0;
        m_words = {};
        m_known = {};
        const size_t words = (static_cast<size_t>(width) + 63) / 64;
        const size_t all = (words + 2) * (static_cast<size_t>(height) + 2);
        try {
            // Zeroed in large pages: a large picture's words take tens of
            // megabytes.
            m_words.reserve(2 * all);
            ze::AdviseLargePages(m_words.data(), m_words.capacity() * sizeof(uint64_t));
            m_words.assign(2 * all, 0);
            m_known.assign(words * static_cast<size_t>(height), 0);
        } catch (const std::bad_alloc&) {
            m_words = {};
            m_known = {};
            return false;
        }
        m_width = width;
        m_height = height;
        m_stride = words + 2;
    }
    m_touchedTop = m_touchedLeft = INT_MAX;
    m_touchedBottom = m_touchedRight = -1;
    return true;
}

// The flood fill, a row at a time. A row's region bits are the runs of
// matching pixels that the rows beside it reach, grown along the row 64
// pixels a step; each word's 64 colour tests are made when the fill first
// needs them, so a small region costs little on a large picture. Rows whose
// region grew are searched again from, in sweeps down and up the picture,
// so that the rows being read stay in the cache.
struct RegionFill {
    const PixelStore* impl = nullptr;
    // A picture with alpha is filled by its colours as shown: over this copy.
    PixelStore shown;
    CRegionMask* mask = nullptr;
    int depth = 0;
    ColourTest test{0, 0, 0, 0};
    bool matches[256] = {};  // by palette index, at depths up to 8

    // The words of each row that grew since it was last searched from, a
    // bit each: a row may grow at many places far apart.
    std::vector<uint64_t> grown;
    size_t grownStride = 0;
    // The rows that grew, a bit each, and how many they are. The sweep takes
    // them in the order of `dir` from `row` on, and turns at the last.
    std::vector<uint64_t> rowsGrown;
    int64_t rowsPending = 0;
    int dir = 1, row = 0;
    bool done = false;

    bool Begin(const CImage& image, int x, int y, int tolerance, CRegionMask* into);
    // Fills until done (true) or `until` has passed.
    bool Run(Clock::time_point until);

    uint64_t Classify(int y, int k) const;
    uint64_t Match(int y, int k) {
        CRegionMask& m = *mask;
        const size_t at = static_cast<size_t>(y) * (m.m_stride - 2) + static_cast<size_t>(k) - 1;
        uint64_t& word =
            m.m_words[2 * ((static_cast<size_t>(y) + 1) * m.m_stride + static_cast<size_t>(k)) + 1];
        if (!m.m_known[at]) {
            m.m_known[at] = 1;
            word = Classify(y, k);
            m.m_touchedTop = std::min(m.m_touchedTop, y);
            m.m_touchedBottom = std::max(m.m_touchedBottom, y);
            m.m_touchedLeft = std::min(m.m_touchedLeft, k);
            m.m_touchedRight = std::max(m.m_touchedRight, k);
        }
        return word;
    }
    static constexpr int kBacktrackRows = 8;
    void Grew(int y, int lo, int hi);
    int NextRow(int from, int dir, int reach = INT_MAX) const;
    void Spread(int y, int k, uint64_t seed);
    void SearchFrom(int y);
};

uint64_t RegionFill::Classify(int y, int k) const {
    const int x0 = (k - 1) * 64;
    const int count = std::min(64, mask->m_width - x0);
    const uint8_t* row = impl->PixelAddress(0, mask->m_height - 1 - y);
    uint64_t bits = 0;
    auto each = [&](const auto& match) {
        for (int i = 0; i < count; ++i) bits |= uint64_t{match(row, x0 + i)} << i;
    };
    switch (depth) {
        case 24:
            each(Match24{test});
            break;
        case 32:
            each(Match32{test});
            break;
        case 16:
            each(Match16{test});
            break;
        case 8:
            each(Match8{matches});
            break;
        default:
            each(MatchPacked{matches, depth});
            break;
    }
    return bits;
}

void RegionFill::Grew(int y, int lo, int hi) {
    uint64_t* bits = grown.data() + static_cast<size_t>(y) * grownStride;
    for (int k = lo; k <= hi; ++k) bits[(k - 1) >> 6] |= uint64_t{1} << ((k - 1) & 63);
    uint64_t& rows = rowsGrown[static_cast<size_t>(y) >> 6];
    const uint64_t bit = uint64_t{1} << (y & 63);
    if (!(rows & bit)) rows |= bit, ++rowsPending;
}

// The first row that grew from row `from` on in direction `dir`, no
// further than `reach` rows from it; -1 if none.
int RegionFill::NextRow(int from, int dir, int reach) const {
    if (from < 0 || from >= mask->m_height) return -1;
    const int64_t span = std::min<int64_t>(reach, mask->m_height) - 1;
    if (dir > 0) {
        const int last = static_cast<int>(std::min<int64_t>(from + span, mask->m_height - 1));
        for (size_t w = static_cast<size_t>(from) >> 6; w <= static_cast<size_t>(last) >> 6; ++w) {
            uint64_t bits = rowsGrown[w];
            if (w == static_cast<size_t>(from) >> 6) bits &= ~uint64_t{0} << (from & 63);
            if (bits) {
                const int next = static_cast<int>(w * 64) + std::countr_zero(bits);
                return next <= last ? next : -1;
            }
        }
    } else {
        const int last = static_cast<int>(std::max<int64_t>(from - span, 0));
        for (ptrdiff_t w = from >> 6; w >= last >> 6; --w) {
            uint64_t bits = rowsGrown[static_cast<size_t>(w)];
            if (w == from >> 6) bits &= ~uint64_t{0} >> (63 - (from & 63));
            if (bits) {
                const int next = static_cast<int>(w * 64) + 63 - std::countl_zero(bits);
                return next >= last ? next : -1;
            }
        }
    }
    return -1;
}

// Adds to row y the runs of matching pixels that hold a bit of `seed` (in
// word k, matching and not yet in the region), across word boundaries.
void RegionFill::Spread(int y, int k, uint64_t seed) {
    CRegionMask& m = *mask;
    uint64_t* in = m.m_words.data() + 2 * (static_cast<size_t>(y) + 1) * m.m_stride;
    const int words = static_cast<int>(m.m_stride) - 2;
    const uint64_t free = Match(y, k) & ~in[2 * k];
    const uint64_t grown = GrowUp(seed, free) | GrowDown(seed, free);
    in[2 * k] |= grown;
    m.m_count += CountBits(grown);
    int lo = k, hi = k;
    // A run that reaches the end of the word goes on in the next.
    for (uint64_t g = grown; (g >> 63) && hi < words;) {
        const uint64_t next = Match(y, hi + 1) & ~in[2 * (hi + 1)];
        if (!(next & 1)) break;
        g = GrowUp(1, next);
        in[2 * ++hi] |= g;
        m.m_count += CountBits(g);
    }
    for (uint64_t g = grown; (g & 1) && lo > 1;) {
        const uint64_t next = Match(y, lo - 1) & ~in[2 * (lo - 1)];
        if (!(next >> 63)) break;
        g = GrowDown(uint64_t{1} << 63, next);
        in[2 * --lo] |= g;
        m.m_count += CountBits(g);
    }
    Grew(y, lo, hi);
}

// Grows the rows beside row y from the words of row y that grew.
void RegionFill::SearchFrom(int y) {
    CRegionMask& m = *mask;
    uint64_t* bits = grown.data() + static_cast<size_t>(y) * grownStride;
    const uint64_t* from = m.m_words.data() + 2 * (static_cast<size_t>(y) + 1) * m.m_stride;
    for (size_t w = 0; w < grownStride; ++w) {
        for (uint64_t pending = std::exchange(bits[w], 0); pending; pending &= pending - 1) {
            const int k = static_cast<int>(w * 64) + std::countr_zero(pending) + 1;
            for (const int ny : {y + dir, y - dir}) {
                if (ny < 0 || ny >= m.m_height) continue;
                const uint64_t* to =
                    m.m_words.data() + 2 * (static_cast<size_t>(ny) + 1) * m.m_stride;
                const uint64_t open = from[2 * k] & ~to[2 * k];
                if (!open) continue;
                if (const uint64_t seed = open & Match(ny, k)) Spread(ny, k, seed);
            }
        }
    }
}

bool RegionFill::Begin(const CImage& image, int x, int y, int tolerance, CRegionMask* into) {
    mask = into;
    impl = image.GetImpl() ? &image.Pixels() : nullptr;
    if (impl && impl->HasAlpha() &&
        ze::Flatten(*impl, &shown, int64_t{impl->imageWidth} * impl->imageHeight))
        impl = &shown;
    const bool usable = impl && impl->imageBits && impl->imageWidth > 0 && impl->imageHeight > 0 &&
                        x >= 0 && y >= 0 && x < impl->imageWidth && y < impl->imageHeight;
    if (!mask->Reset(usable ? impl->imageWidth : 0, usable ? impl->imageHeight : 0) || !usable)
        return false;
    depth = impl->imageDepth;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16 && depth != 24 &&
        depth != 32)
        return false;
    tolerance = std::clamp(tolerance, 0, kMaxTraceTolerance);
    const uint8_t* seedRow = impl->PixelAddress(0, impl->imageHeight - 1 - y);
    if (depth <= 8) {
        // Every index's colour, as the view shows it: through the palette
        // (an index past its entries is black), or a grey ramp without one.
        uint8_t colours[256][3] = {};
        const int levels = (1 << depth) - 1;
        for (int i = 0; i < 256; ++i) {
            uint8_t* c = colours[i];
            if (impl->imagePalette)
                impl->imagePalette->GetEntryRGB(i, c, c + 1, c + 2);
            else
                c[0] = c[1] = c[2] = static_cast<uint8_t>(std::min(i, levels) * 255 / levels);
        }
        const int seed = depth == 8 ? seedRow[x] : [&] {
            const int bit = x * depth;
            return (seedRow[bit / 8] >> (8 - depth - bit % 8)) & levels;
        }();
        const uint8_t* c = colours[seed];
        const ColourTest seedTest(c[0], c[1], c[2], tolerance);
        for (int i = 0; i < 256; ++i)
            matches[i] = seedTest(colours[i][0], colours[i][1], colours[i][2]);
    } else {
        uint8_t r = 0, g = 0, b = 0;
        impl->GetStraightRGB(x, impl->imageHeight - 1 - y, &r, &g, &b);
        test = ColourTest(r, g, b, tolerance);
    }
    grownStride = (mask->m_stride - 2 + 63) / 64;
    grown.assign(grownStride * static_cast<size_t>(mask->m_height), 0);
    rowsGrown.assign((static_cast<size_t>(mask->m_height) + 63) / 64, 0);
    rowsPending = 0;
    dir = 1;
    row = y;
    done = false;
    const int k = 1 + x / 64;
    Spread(y, k, (uint64_t{1} << (x % 64)) & Match(y, k));
    return true;
}

bool RegionFill::Run(Clock::time_point until) {
    while (!done && rowsPending > 0) {
        // Rows just behind that grew are taken first, while the rows
        // around them are still in the cache.
        int next = NextRow(row - dir, -dir, kBacktrackRows);
        if (next < 0) next = NextRow(row, dir);
        if (next < 0) {
            dir = -dir;
            continue;
        }
        row = next;
        rowsGrown[static_cast<size_t>(row) >> 6] &= ~(uint64_t{1} << (row & 63));
        --rowsPending;
        SearchFrom(row);
        if (until != Clock::time_point::max() && Clock::now() >= until) return false;
    }
    if (done) return true;
    done = true;
    // The boundary starts at the first pixel of the top row.
    CRegionMask& m = *mask;
    for (int y = m.m_touchedTop; y <= m.m_touchedBottom; ++y) {
        const uint64_t* in = m.m_words.data() + 2 * (static_cast<size_t>(y) + 1) * m.m_stride;
        for (int k = m.m_touchedLeft; k <= m.m_touchedRight; ++k)
            if (in[2 * k]) {
                m.m_first = {(k - 1) * 64 + std::countr_zero(in[2 * k]), y};
                return true;
            }
    }
    return true;
}

bool FillRegion(const CImage& image, int x, int y, int tolerance, CRegionMask* mask) {
    // The rows waiting to be searched need memory too: without it the fill
    // fails, with an empty mask.
    try {
        RegionFill fill;
        if (!fill.Begin(image, x, y, tolerance, mask)) return false;
        fill.Run(Clock::time_point::max());
        return true;
    } catch (const std::bad_alloc&) {
        *mask = CRegionMask();
        return false;
    }
}

// The walk round the outer boundary, from pixel corner to pixel corner with
// the region on its right. Directions: 0 east, 1 south, 2 west, 3 north.
struct BoundaryWalk {
    const CRegionMask* mask = nullptr;
    TracePoint start;
    int x = 0, y = 0, d = 0;
    bool done = false;

    void Begin(const CRegionMask& m, std::vector<TracePoint>& corners) {
        mask = &m;
        done = m.m_count == 0;
        if (done) return;
        start = m.m_first;
        x = start.x;
        y = start.y;
        d = 0;
        corners.push_back(start);
    }
    // Walks until done (true) or `until` has passed.
    bool Run(std::vector<TracePoint>& corners, Clock::time_point until) {
        static constexpr int dx[4] = {1, 0, -1, 0};
        static constexpr int dy[4] = {0, 1, 0, -1};
        // The two pixels ahead of corner (x, y), on the left and on the
        // right, as offsets from the pixel to the corner's lower right.
        static constexpr int leftX[4] = {0, 0, -1, -1}, leftY[4] = {-1, 0, 0, -1};
        static constexpr int rightX[4] = {0, -1, -1, 0}, rightY[4] = {0, 0, -1, -1};
        const CRegionMask& m = *mask;
        for (int steps = 0; !done; ++steps) {
            if ((steps & 0xffff) == 0xffff && until != Clock::time_point::max() &&
                Clock::now() >= until)
                return false;
            x += dx[d];
            y += dy[d];
            int turn;
            // No pixel ahead on the right: turn right, round the region. One
            // ahead on the left as well: turn left. A region pixel that
            // touches only diagonally is not part of it (4-connected), so the
            // right turn wins when the pixel ahead-left is in and the one
            // ahead-right is not.
            if (!m.Bit(x + rightX[d], y + rightY[d]))
                turn = (d + 1) & 3;
            else if (m.Bit(x + leftX[d], y + leftY[d]))
                turn = (d + 3) & 3;
            else
                continue;
            // The start corner has region only to its lower right: the walk
            // meets it once more, coming up the left side of the first pixel.
            if (x == start.x && y == start.y) {
                done = true;
                break;
            }
            corners.push_back({x, y});
            d = turn;
        }
        return true;
    }
};

std::vector<TracePoint> TraceOuterBoundary(const CRegionMask& mask) {
    std::vector<TracePoint> corners;
    BoundaryWalk walk;
    walk.Begin(mask, corners);
    walk.Run(corners, Clock::time_point::max());
    return corners;
}

struct CRegionTracer::State {
    RegionFill fill;
    BoundaryWalk walk;
    std::vector<TracePoint> boundary;
    int maxCorners = kMaxTraceCorners;
    enum { kFill, kWalk, kDone, kFailed } phase = kFailed;
    RegionTrace result;
};

CRegionTracer::CRegionTracer() : m_state(std::make_unique<State>()) {}
CRegionTracer::~CRegionTracer() = default;

bool CRegionTracer::Begin(const CImage& image, int x, int y, const TraceOptions& options,
                          CRegionMask* mask) {
    State& s = *m_state;
    s.phase = State::kFailed;
    s.result = RegionTrace();
    s.boundary.clear();
    s.maxCorners = options.maxCorners;
    try {
        if (!s.fill.Begin(image, x, y, options.tolerance, mask)) return false;
    } catch (const std::bad_alloc&) {
        *mask = CRegionMask();
        return false;
    }
    s.phase = State::kFill;
    return true;
}

bool CRegionTracer::Run(Clock::time_point until) {
    State& s = *m_state;
    // A huge region's rows and boundary may need more memory than there is:
    // that is a failed trace.
    try {
        if (s.phase == State::kFill) {
            if (!s.fill.Run(until)) return false;
            s.walk.Begin(*s.fill.mask, s.boundary);
            s.phase = State::kWalk;
        }
        if (s.phase == State::kWalk) {
            if (!s.walk.Run(s.boundary, until)) return false;
            SimplifiedOutline outline = SimplifyOutline(s.boundary, s.maxCorners);
            s.boundary = {};
            s.result.corners = std::move(outline.corners);
            s.result.deviation = outline.deviation;
            s.result.pixels = s.fill.mask->PixelCount();
            s.phase = State::kDone;
        }
    } catch (const std::bad_alloc&) {
        s.boundary = {};
        s.result = RegionTrace();
        if (s.phase == State::kFill) *s.fill.mask = CRegionMask();
        s.phase = State::kFailed;
    }
    return true;
}

bool CRegionTracer::Succeeded() const {
    return m_state->phase == State::kDone;
}

const RegionTrace& CRegionTracer::Result() const {
    return m_state->result;
}

int64_t CRegionTracer::PixelsSoFar() const {
    return m_state->fill.mask ? m_state->fill.mask->PixelCount() : 0;
}

bool TraceRegion(const CImage& image, int x, int y, const TraceOptions& options,
                 RegionTrace* result, CRegionMask* mask) {
    CRegionMask own;
    CRegionTracer tracer;
    *result = RegionTrace();
    if (!tracer.Begin(image, x, y, options, mask ? mask : &own)) return false;
    tracer.Run(Clock::time_point::max());
    if (!tracer.Succeeded()) return false;
    *result = tracer.Result();
    return true;
}
