#include "image/region_trace.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "image/image.h"

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

}  // namespace

bool CRegionMask::Reset(int width, int height) {
    m_count = 0;
    if (width == m_width && height == m_height && !m_cells.empty()) {
        // Only what the last fill wrote; the frame never changes.
        for (int y = m_touchedTop; y <= m_touchedBottom; ++y)
            std::fill_n(m_cells.begin() + static_cast<ptrdiff_t>(Cell(m_touchedLeft, y)),
                        m_touchedRight - m_touchedLeft + 1, kUnknown);
    } else {
        m_width = m_height = 0;
        m_cells.clear();
        const size_t cells = (static_cast<size_t>(width) + 2) * (static_cast<size_t>(height) + 2);
        try {
            m_cells.assign(cells, kUnknown);
        } catch (const std::bad_alloc&) {
            m_cells = {};
            return false;
        }
        m_width = width;
        m_height = height;
        const size_t s = Stride();
        std::fill_n(m_cells.begin(), s, kOut);
        std::fill_n(m_cells.end() - static_cast<ptrdiff_t>(s), s, kOut);
        for (size_t y = 1; y + 1 < static_cast<size_t>(height) + 2; ++y) {
            m_cells[y * s] = kOut;
            m_cells[y * s + s - 1] = kOut;
        }
    }
    m_touchedLeft = m_touchedTop = 0;
    m_touchedRight = m_touchedBottom = -1;
    return true;
}

// A span fill: each run of matching pixels is found once, marked, and its
// rows above and below are searched for further runs later. Every pixel's
// colour is tested at most once; cells remember the answer.
template <class Match>
void CRegionMask::FillWith(const CImageImpl& impl, int sx, int sy, const Match& match) {
    struct Run {
        int left, right, y;
    };
    std::vector<Run> pending;
    const int h = m_height;
    int top = sy, bottom = sy, left = sx, right = sx;
    m_first = {sx, sy};
    auto cellsOf = [&](int y) { return m_cells.data() + Cell(0, y); };
    auto pixelsOf = [&](int y) { return impl.PixelAddress(0, h - 1 - y); };

    // Marks the run through pixel x of row y, whose colour matches, and
    // answers its right end.
    auto grow = [&](int x, int y, uint8_t* c, const uint8_t* pixels) {
        int l = x, r = x;
        while (c[l - 1] == kUnknown && match(pixels, l - 1)) --l;
        if (c[l - 1] == kUnknown) c[l - 1] = kOut;
        while (c[r + 1] == kUnknown && match(pixels, r + 1)) ++r;
        if (c[r + 1] == kUnknown) c[r + 1] = kOut;
        std::memset(c + l, kIn, static_cast<size_t>(r - l + 1));
        m_count += r - l + 1;
        left = std::min(left, l);
        right = std::max(right, r);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        if (y < m_first.y || (y == m_first.y && l < m_first.x)) m_first = {l, y};
        pending.push_back({l, r, y});
        return r;
    };

    grow(sx, sy, cellsOf(sy), pixelsOf(sy));
    while (!pending.empty()) {
        const Run run = pending.back();
        pending.pop_back();
        for (const int y : {run.y - 1, run.y + 1}) {
            if (y < 0 || y >= h) continue;
            uint8_t* c = cellsOf(y);
            const uint8_t* pixels = pixelsOf(y);
            // Only cells not yet decided matter; most are, so they are
            // skipped a word at a time.
            for (int x = run.left; x <= run.right;) {
                const void* next =
                    std::memchr(c + x, kUnknown, static_cast<size_t>(run.right - x + 1));
                if (!next) break;
                x = static_cast<int>(static_cast<const uint8_t*>(next) - c);
                if (match(pixels, x)) {
                    x = grow(x, y, c, pixels) + 2;
                } else {
                    c[x++] = kOut;
                }
            }
        }
    }
    m_touchedLeft = std::max(left - 1, 0);
    m_touchedRight = std::min(right + 1, m_width - 1);
    m_touchedTop = std::max(top - 1, 0);
    m_touchedBottom = std::min(bottom + 1, m_height - 1);
}

bool FillRegion(const CImage& image, int x, int y, int tolerance, CRegionMask* mask) {
    // The runs waiting to be searched may need more memory than there is on
    // a huge picture: that is a failed fill, and an empty mask.
    try {
        return [&] {
            const CImageImpl* impl = image.GetImpl();
            const bool usable = impl && impl->imageBits && impl->imageWidth > 0 &&
                                impl->imageHeight > 0 && x >= 0 && y >= 0 && x < impl->imageWidth &&
                                y < impl->imageHeight;
            if (!mask->Reset(usable ? impl->imageWidth : 0, usable ? impl->imageHeight : 0) ||
                !usable)
                return false;
            tolerance = std::clamp(tolerance, 0, kMaxTraceTolerance);
            const int depth = impl->imageDepth;
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
                        c[0] = c[1] = c[2] =
                            static_cast<uint8_t>(std::min(i, levels) * 255 / levels);
                }
                const int seed = depth == 8 ? seedRow[x] : [&] {
                    const int bit = x * depth;
                    return (seedRow[bit / 8] >> (8 - depth - bit % 8)) & levels;
                }();
                const uint8_t* s = colours[seed];
                const ColourTest test(s[0], s[1], s[2], tolerance);
                bool matches[256];
                for (int i = 0; i < 256; ++i)
                    matches[i] = test(colours[i][0], colours[i][1], colours[i][2]);
                if (depth == 8)
                    mask->FillWith(*impl, x, y, Match8{matches});
                else
                    mask->FillWith(*impl, x, y, MatchPacked{matches, depth});
                return true;
            }
            uint8_t r = 0, g = 0, b = 0;
            impl->CImageImpl::GetPixelRGB(x, impl->imageHeight - 1 - y, &r, &g, &b);
            const ColourTest test(r, g, b, tolerance);
            if (depth == 24)
                mask->FillWith(*impl, x, y, Match24{test});
            else if (depth == 32)
                mask->FillWith(*impl, x, y, Match32{test});
            else if (depth == 16)
                mask->FillWith(*impl, x, y, Match16{test});
            else
                return false;
            return true;
        }();
    } catch (const std::bad_alloc&) {
        // Half-filled cells: the next fill starts from new ones.
        *mask = CRegionMask();
        return false;
    }
}

std::vector<TracePoint> TraceOuterBoundary(const CRegionMask& mask) {
    std::vector<TracePoint> corners;
    if (mask.m_count == 0) return corners;
    // The walk goes from pixel corner to pixel corner with the region on its
    // right. Directions: 0 east, 1 south, 2 west, 3 north. A corner (x, y) is
    // addressed by the cell of pixel (x, y), the pixel to its lower right.
    const ptrdiff_t s = static_cast<ptrdiff_t>(mask.Stride());
    const ptrdiff_t step[4] = {1, s, -1, -s};
    const int dx[4] = {1, 0, -1, 0};
    const int dy[4] = {0, 1, 0, -1};
    // The two pixels ahead of a corner, on the left and on the right.
    const ptrdiff_t aheadLeft[4] = {-s, 0, -1, -s - 1};
    const ptrdiff_t aheadRight[4] = {0, -1, -s - 1, -s};
    const uint8_t* cells = mask.m_cells.data();

    const TracePoint start = mask.m_first;
    int x = start.x, y = start.y, d = 0;
    ptrdiff_t at = static_cast<ptrdiff_t>(mask.Cell(x, y));
    corners.push_back(start);
    for (;;) {
        x += dx[d];
        y += dy[d];
        at += step[d];
        int turn;
        // No pixel ahead on the right: turn right, round the region. One
        // ahead on the left as well: turn left. A region pixel that touches
        // only diagonally is not part of it (4-connected), so the right turn
        // wins when the pixel ahead-left is in and the one ahead-right is not.
        if (cells[at + aheadRight[d]] != CRegionMask::kIn)
            turn = (d + 1) & 3;
        else if (cells[at + aheadLeft[d]] == CRegionMask::kIn)
            turn = (d + 3) & 3;
        else
            continue;
        // The start corner has region only to its lower right: the walk
        // meets it once more, coming up the left side of the first pixel.
        if (x == start.x && y == start.y) break;
        corners.push_back({x, y});
        d = turn;
    }
    return corners;
}

bool TraceRegion(const CImage& image, int x, int y, const TraceOptions& options,
                 RegionTrace* result, CRegionMask* mask) {
    CRegionMask own;
    if (!mask) mask = &own;
    *result = RegionTrace();
    // Likewise the corners of a huge region's boundary.
    try {
        if (!FillRegion(image, x, y, options.tolerance, mask)) return false;
        SimplifiedOutline outline = SimplifyOutline(TraceOuterBoundary(*mask), options.maxCorners);
        result->corners = std::move(outline.corners);
        result->deviation = outline.deviation;
        result->pixels = mask->PixelCount();
    } catch (const std::bad_alloc&) {
        *result = RegionTrace();
        return false;
    }
    return true;
}
