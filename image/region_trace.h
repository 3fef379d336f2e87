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

#include <cstddef>
#include <cstdint>
#include <vector>

class CImage;
class CImageImpl;

struct TracePoint {
    int x = 0;
    int y = 0;
    bool operator==(const TracePoint&) const = default;
};

// The pixels of one flood fill. Reusable: a second fill clears only what the
// first one touched.
class CRegionMask {
public:
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Whether pixel (x, y) belongs to the region; false outside the picture.
    bool Contains(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
        return m_cells[Cell(x, y)] == kIn;
    }
    int64_t PixelCount() const { return m_count; }
    // The leftmost pixel of the region's top row (where its outer boundary
    // begins). Meaningless when PixelCount() is 0.
    TracePoint First() const { return m_first; }

private:
    friend bool FillRegion(const CImage&, int, int, int, CRegionMask*);
    friend std::vector<TracePoint> TraceOuterBoundary(const CRegionMask&);

    // Cell states. The picture is framed by one ring of kOut cells, so no
    // neighbour lookup needs a bounds check.
    enum : uint8_t { kUnknown = 0, kIn = 1, kOut = 2 };
    size_t Stride() const { return static_cast<size_t>(m_width) + 2; }
    size_t Cell(int x, int y) const {
        return (static_cast<size_t>(y) + 1) * Stride() + static_cast<size_t>(x) + 1;
    }
    // Sizes the cells for a picture and forgets the previous region.
    bool Reset(int width, int height);
    template <class Match>
    void FillWith(const CImageImpl& impl, int x, int y, const Match& match);

    std::vector<uint8_t> m_cells;
    int m_width = 0;
    int m_height = 0;
    int64_t m_count = 0;
    TracePoint m_first;
    // Cells the last fill wrote (inclusive, in pixel coordinates).
    int m_touchedLeft = 0, m_touchedTop = 0, m_touchedRight = -1, m_touchedBottom = -1;
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
