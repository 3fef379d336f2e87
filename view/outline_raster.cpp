// SPDX-License-Identifier: GPL-3.0-or-later
// The outline's pixels and the regions it touches.

#include "view/outline_raster.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>
#include <tuple>

namespace {

// A segment's box, with a pixel to spare on each side.
QRect SegmentBox(QPoint a, QPoint b) {
    return QRect(a, b).normalized().adjusted(-1, -1, 1, 1);
}

// Whether two rectangles share a pixel (inline: called per segment and
// rectangle on every paint).
inline bool Overlap(const QRect& p, const QRect& q) {
    return p.left() <= q.right() && q.left() <= p.right() && p.top() <= q.bottom() &&
           q.top() <= p.bottom();
}

// The lines of a polyline, closed back to its first point when asked.
std::vector<Segment> Segments(const QPolygon& points, bool closed) {
    std::vector<Segment> segments;
    auto add = [&](QPoint a, QPoint b) { segments.push_back({a, b, SegmentBox(a, b)}); };
    for (int i = 1; i < points.size(); ++i) add(points[i - 1], points[i]);
    if (closed && points.size() > 2) add(points.back(), points.front());
    return segments;
}

// The pixels of the line from a to b, b excluded: along the longer axis one
// pixel per step, the other coordinate rounded from the exact line. Given in
// closed form, so that any part of the line can be drawn on its own and comes
// out the same as the whole. Calls plot(x, y) for those in `clip`.
template <class Plot>
void RasterLine(QPoint a, QPoint b, const QRect& clip, Plot&& plot) {
    const int64_t dx = int64_t{b.x()} - a.x(), dy = int64_t{b.y()} - a.y();
    const int64_t adx = std::abs(dx), ady = std::abs(dy);
    if (adx == 0 && ady == 0) return;
    const bool xMajor = adx >= ady;
    const int64_t steps = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const int major0 = xMajor ? a.x() : a.y(), minor0 = xMajor ? a.y() : a.x();
    const int majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t lo = xMajor ? clip.left() : clip.top(),
                  hi = xMajor ? clip.right() : clip.bottom();
    // Steps whose major coordinate lies in the clip.
    int64_t first = majorSign > 0 ? lo - major0 : major0 - hi;
    int64_t last = majorSign > 0 ? hi - major0 : major0 - lo;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, steps - 1);
    for (int64_t i = first; i <= last; ++i) {
        const int64_t m = major0 + majorSign * i;
        const int64_t n = minor0 + minorSign * ((2 * i * minor + steps) / (2 * steps));
        const int64_t x = xMajor ? m : n, y = xMajor ? n : m;
        if (x >= clip.left() && x <= clip.right() && y >= clip.top() && y <= clip.bottom())
            plot(static_cast<int>(x), static_cast<int>(y));
    }
}

// The boxes that hold a line's pixels: one box for a short or an upright
// line, a chain of small boxes along a long slanted one.
QRegion LineArea(QPoint a, QPoint b) {
    const int64_t adx = std::abs(int64_t{b.x()} - a.x()), ady = std::abs(int64_t{b.y()} - a.y());
    if (std::min(adx, ady) <= 8) return SegmentBox(a, b);
    constexpr int kChunk = 64;
    const int64_t steps = std::max(adx, ady);
    QRegion region;
    QPoint from = a;
    for (int64_t i = kChunk;; i += kChunk) {
        const int64_t k = std::min(i, steps);
        const QPoint to(static_cast<int>(a.x() + (int64_t{b.x()} - a.x()) * k / steps),
                        static_cast<int>(a.y() + (int64_t{b.y()} - a.y()) * k / steps));
        region += SegmentBox(from, to).adjusted(-1, -1, 1, 1);
        from = to;
        if (k == steps) break;
    }
    return region;
}

// Calls plot(x, y) once for each pixel of the circle's outline in `clip`.
template <class Plot>
void RasterCircle(QPoint c, int r, const QRect& clip, Plot&& plot) {
    if (!QRect(c.x() - r - 1, c.y() - r - 1, 2 * r + 3, 2 * r + 3).intersects(clip)) return;
    int64_t x = 0, y = r, d = 1 - int64_t{r};
    while (x <= y) {
        const int64_t pts[8][2] = {{x, y},  {y, x},  {-x, y},  {-y, x},
                                   {x, -y}, {y, -x}, {-x, -y}, {-y, -x}};
        for (int i = 0; i < 8; ++i) {
            bool seen = false;
            for (int j = 0; j < i && !seen; ++j)
                seen = pts[j][0] == pts[i][0] && pts[j][1] == pts[i][1];
            if (seen) continue;
            const int64_t px = c.x() + pts[i][0], py = c.y() + pts[i][1];
            if (px >= clip.left() && px <= clip.right() && py >= clip.top() && py <= clip.bottom())
                plot(static_cast<int>(px), static_cast<int>(py));
        }
        ++x;
        if (d < 0) {
            d += 2 * x + 1;
        } else {
            --y;
            d += 2 * (x - y) + 1;
        }
    }
}

// The boxes of the segments in `a` that `b` does not have.
QRegion SegmentsNotIn(std::vector<Segment> a, std::vector<Segment> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::vector<Segment> only;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(only));
    QRegion region;
    for (const Segment& s : only) region += LineArea(s.a, s.b);
    return region;
}

// The pixels a circle's outline may touch: for a large circle, the boxes of
// 32 arcs, each within one quadrant so that its end points bound it.
QRegion CircleArea(QPoint centre, int r) {
    const QRect box(centre.x() - r - 2, centre.y() - r - 2, 2 * r + 5, 2 * r + 5);
    if (r < 16) return box;
    // Arcs about 64 pixels long, a whole number of them in each quadrant.
    const int perQuadrant = std::clamp(static_cast<int>(r * std::numbers::pi / 2 / 64), 2, 128);
    const int kArcs = 4 * perQuadrant;
    QRegion region;
    const double step = 2.0 * std::numbers::pi / kArcs;
    QPoint previous(centre.x() + r, centre.y());
    for (int i = 1; i <= kArcs; ++i) {
        const double angle = step * i;
        const QPoint next(centre.x() + static_cast<int>(std::lround(r * std::cos(angle))),
                          centre.y() + static_cast<int>(std::lround(r * std::sin(angle))));
        region += QRect(previous, next).normalized().adjusted(-2, -2, 2, 2);
        previous = next;
    }
    return region & box;
}

}  // namespace

bool Segment::operator<(const Segment& o) const {
    return std::make_tuple(a.x(), a.y(), b.x(), b.y()) <
           std::make_tuple(o.a.x(), o.a.y(), o.b.x(), o.b.y());
}

OutlinePixels::OutlinePixels(const ToolOutline& outline, const QRect& bounds) {
    if (outline.kind == ToolOutline::kCircle) {
        RasterCircle(outline.centre, outline.radius, bounds,
                     [&](int x, int y) { circle.emplace_back(x, y); });
        std::sort(circle.begin(), circle.end(), [](const QPoint& a, const QPoint& b) {
            return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
        });
    } else if (outline.kind == ToolOutline::kLines) {
        for (const Segment& segment : Segments(outline.points, outline.closed))
            if (Overlap(segment.box, bounds)) segments.push_back(segment);
    }
}

void OutlinePixels::Invert(const QRect& r, uint32_t* block, qsizetype stride) const {
    // Exclusive-or with white, so it shows on any picture and a pixel drawn
    // twice comes back as it was.
    auto invert = [&](int x, int y) {
        block[static_cast<ptrdiff_t>(y - r.top()) * stride + (x - r.left())] ^= 0x00ffffffu;
    };
    // Sorted by row: only the rows of r are looked at.
    auto it = std::lower_bound(circle.begin(), circle.end(), r.top(),
                               [](const QPoint& p, int y) { return p.y() < y; });
    for (; it != circle.end() && it->y() <= r.bottom(); ++it)
        if (it->x() >= r.left() && it->x() <= r.right()) invert(it->x(), it->y());
    for (const Segment& segment : segments)
        if (Overlap(segment.box, r)) RasterLine(segment.a, segment.b, r, invert);
}

QRegion OutlineArea(const ToolOutline& outline) {
    if (outline.kind == ToolOutline::kCircle) return CircleArea(outline.centre, outline.radius);
    if (outline.kind == ToolOutline::kLines)
        return SegmentsNotIn(Segments(outline.points, outline.closed), {});
    return QRegion();
}

QRegion OutlineChange(const ToolOutline& before, const ToolOutline& after) {
    if (before.kind != ToolOutline::kLines || after.kind != ToolOutline::kLines)
        return OutlineArea(before) + OutlineArea(after);
    // Only the segments that moved: an open polygon's fixed edges stay.
    const auto a = Segments(before.points, before.closed);
    const auto b = Segments(after.points, after.closed);
    return SegmentsNotIn(a, b) + SegmentsNotIn(b, a);
}

// The window's pixels the painter draws into, when they are 32-bit pixels
// at one device pixel a client pixel, reached by a whole-pixel shift
// (`offset`, client to image); else null.
const QImage* WindowPixels(QPainter& painter, QPoint* offset) {
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image) return nullptr;
    const auto* image = static_cast<const QImage*>(device);
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate || image->devicePixelRatio() != 1.0 ||
        (image->format() != QImage::Format_RGB32 &&
         image->format() != QImage::Format_ARGB32_Premultiplied))
        return nullptr;
    const QPointF shift(transform.dx(), transform.dy());
    *offset = shift.toPoint();
    if (QPointF(*offset) != shift) return nullptr;
    return image;
}
