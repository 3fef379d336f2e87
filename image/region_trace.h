// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outline tool's core: the 4-connected region of pixels whose colour lies
// within a distance of the clicked pixel's colour, the region's outer
// boundary, and that boundary simplified into a polygon of a bounded number
// of corners.
//
// Coordinates are those of the markup: x from the left, y from the top row.
// Pixel (x, y) is the unit square [x, x + 1] x [y, y + 1], and outlines run
// along the corners of pixels (0 <= x <= width, 0 <= y <= height), so that
// the outer boundary, filled by the even-odd rule, holds exactly the centres
// of the region's pixels and of its holes.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CImage;
class CImageImpl;

struct TracePoint {
    int x = 0;
    int y = 0;
    bool operator==(const TracePoint&) const = default;
};

// The pixels of one flood fill, one bit a pixel. Reusable: a second fill
// clears only what the first one touched.
class CRegionMask {
public:
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Whether pixel (x, y) belongs to the region; false outside the picture.
    bool Contains(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
        return Bit(x, y);
    }
    int64_t PixelCount() const { return m_count; }
    // The leftmost pixel of the region's top row (where its outer boundary
    // begins). Meaningless when PixelCount() is 0.
    TracePoint First() const { return m_first; }

private:
    friend struct RegionFill;
    friend struct BoundaryWalk;

    // Rows of 64-pixel words, pixel x in bit x % 64 of word 1 + x / 64. A
    // frame of zero words (one on each side, a row above and below) lets
    // every neighbour of a pixel be read without a bounds check.
    size_t Word(int x, int y) const {
        return (static_cast<size_t>(y) + 1) * m_stride + (static_cast<size_t>(x + 64) >> 6);
    }
    // For -1 <= x <= width and -1 <= y <= height.
    bool Bit(int x, int y) const { return (m_words[2 * Word(x, y)] >> ((x + 64) & 63)) & 1; }
    // Sizes the words for a picture and forgets the previous region.
    bool Reset(int width, int height);

    // Two a word, side by side, as the fill reads them together: the region,
    // and the pixels that match the colour where m_known says they were
    // tested.
    std::vector<uint64_t> m_words;
    std::vector<uint8_t> m_known;
    size_t m_stride = 0;  // words a row, frame included
    int m_width = 0;
    int m_height = 0;
    int64_t m_count = 0;
    TracePoint m_first;
    // Words the last fill wrote (inclusive: rows, and word columns 1..).
    int m_touchedTop = 0, m_touchedBottom = -1, m_touchedLeft = 0, m_touchedRight = -1;
};

// The largest colour distance that matters: black to white is about 441.7.
constexpr int kMaxTraceTolerance = 442;
constexpr int kDefaultTraceTolerance = 32;
// The polygon tool's limit.
constexpr int kMaxTraceCorners = 256;

// Fills `mask` with the 4-connected region of pixels whose colour lies within
// `tolerance` (Euclidean distance of red, green and blue, inclusive) of the
// colour of pixel (x, y). Indexed pictures compare their palette colours.
// False, with an empty mask, when the picture has no pixels or (x, y) lies
// outside it.
bool FillRegion(const CImage& image, int x, int y, int tolerance, CRegionMask* mask);

// The corners of the region's outer boundary, clockwise on screen, beginning
// at the top-left corner of First(). Where the region meets itself only at a
// corner the boundary passes through that corner twice; holes are not traced.
// Empty for an empty region.
std::vector<TracePoint> TraceOuterBoundary(const CRegionMask& mask);

struct SimplifiedOutline {
    std::vector<TracePoint> corners;  // a subset of the boundary's, in its order
    // The largest distance any boundary corner may have from the polygon:
    // `deviation` as asked, or more when that needed too many corners.
    double deviation = 0;
};

// Keeps the fewest boundary corners (at least three, at most `maxCorners`,
// which counts from 3) such that every dropped corner lies within `deviation`
// of the polygon's edge that replaces it; raises the deviation just enough
// when that would take more than `maxCorners`.
SimplifiedOutline SimplifyOutline(const std::vector<TracePoint>& boundary, int maxCorners,
                                  double deviation = 1.0);

struct TraceOptions {
    int tolerance = kDefaultTraceTolerance;
    int maxCorners = kMaxTraceCorners;
};

struct RegionTrace {
    std::vector<TracePoint> corners;
    double deviation = 0;
    int64_t pixels = 0;  // the region's size
};

// Fill, boundary and simplification in one: the polygon the outline tool
// makes for a click at picture pixel (x, y). `mask` may be kept by the caller
// between calls to save its allocation. False when (x, y) is not a pixel.
bool TraceRegion(const CImage& image, int x, int y, const TraceOptions& options,
                 RegionTrace* result, CRegionMask* mask = nullptr);

// The same trace in steps, so that a caller can keep a window answering
// while a large region is traced: Begin, then Run until it answers true.
class CRegionTracer {
public:
    CRegionTracer();
    ~CRegionTracer();
    CRegionTracer(const CRegionTracer&) = delete;
    CRegionTracer& operator=(const CRegionTracer&) = delete;

    // Starts the trace of a click at picture pixel (x, y) into `mask`, which
    // must outlive the trace, as must the picture. False when (x, y) is not a
    // pixel or there is not memory enough.
    bool Begin(const CImage& image, int x, int y, const TraceOptions& options, CRegionMask* mask);
    // Traces until the result is ready (true) or the moment `until` has passed
    // (false; the next call goes on from there). The clock is read between
    // rows of the fill and every few thousand steps of the boundary.
    bool Run(std::chrono::steady_clock::time_point until);
    // Once Run answered true: whether the trace succeeded, and its result.
    bool Succeeded() const;
    const RegionTrace& Result() const;
    // The region's pixels found so far.
    int64_t PixelsSoFar() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
