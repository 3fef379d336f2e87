// SPDX-License-Identifier: GPL-3.0-or-later
// The map view's painting: the picture's rows and halved copies, each
// exposed rectangle put together at 1:1 (window colour, picture at the
// zoom, pixel grid, edge line, the areas' outlines, the tool's outline) and
// the repaints an outline needs.

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <numbers>
#include <tuple>
#include <utility>
#include <vector>

#include "image/image.h"
#include "image/render.h"
#include "image/view_render.h"
#include "view/map_view.h"

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

// One line of an outline, from a to b (b itself not drawn), and its box.
struct Segment {
    QPoint a, b;
    QRect box;
    bool operator<(const Segment& o) const {
        return std::make_tuple(a.x(), a.y(), b.x(), b.y()) <
               std::make_tuple(o.a.x(), o.a.y(), o.b.x(), o.b.y());
    }
};

// The lines of a polyline, closed back to its first point when asked.
std::vector<Segment> Segments(const QPolygon& points, bool closed) {
    std::vector<Segment> segments;
    auto add = [&](QPoint a, QPoint b) { segments.push_back({a, b, SegmentBox(a, b)}); };
    for (int i = 1; i < points.size(); ++i) add(points[i - 1], points[i]);
    if (closed && points.size() > 2) add(points.back(), points.front());
    return segments;
}

// How many pixels of the picture the pyramid takes in at the start, and in
// each slice after that (a few milliseconds).
constexpr int64_t kPyramidPixelsAtOnce = int64_t{1} << 22;
constexpr int64_t kPyramidPixelsASlice = int64_t{1} << 20;
// The most pixels of the picture as shown below actual size that are kept.
constexpr int64_t kShownPixelsKept = int64_t{1} << 22;

int PyramidRows(const CImage& image, int64_t pixels) {
    return static_cast<int>(
        std::clamp<int64_t>(pixels / std::max(image.GetWidth(), 1), 1, 1 << 20));
}

}  // namespace

void CMapView::RebuildCache() {
    m_pyramidTimer.stop();
    m_shown = {};
    m_rows.reset();
    m_pyramid.reset();
    const CImage* image = Picture();
    m_cachedGeneration = image ? image->Pixels().Generation() : 0;
    m_cachedBackground =
        viewport()->palette().color(viewport()->backgroundRole()).rgb() | 0xff000000u;
    if (!image) return;
    m_rows = std::make_unique<CPictureRows>(*image, m_bCheckerboard);
}

bool CMapView::CacheIsFor(const CImage* image) const {
    return image && m_rows && m_rows->Generation() == image->Pixels().Generation() &&
           m_cachedGeneration == image->Pixels().Generation();
}

void CMapView::StartPyramid() {
    const CImage* image = Picture();
    if (m_pyramid || !CacheIsFor(image)) return;
    m_pyramid = std::make_unique<CPicturePyramid>(*image, m_cachedBackground, m_bCheckerboard);
    // A small picture is halved at once; a large one a slice at a time
    // between events, so that the window answers meanwhile.
    if (!m_pyramid->Step(*image, PyramidRows(*image, kPyramidPixelsAtOnce))) m_pyramidTimer.start();
}

void CMapView::PyramidStep() {
    const CImage* image = Picture();
    if (!CacheIsFor(image) || !m_pyramid) {
        m_pyramidTimer.stop();
        return;
    }
    if (!m_pyramid->Step(*image, PyramidRows(*image, kPyramidPixelsASlice))) return;
    m_pyramidTimer.stop();
    if (m_zoom.num < m_zoom.den) viewport()->update();
}

// ---------------------------------------------------------------------------
// Painting

namespace {

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

}  // namespace

void CMapView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRegion& exposed = event->region();
    const QColor background = viewport()->palette().color(viewport()->backgroundRole());

    const CImage* image = Picture();
    if (!image) {
        for (const QRect& r : exposed) painter.fillRect(r, background);
        return;
    }
    if (!CacheIsFor(image) || m_rows->Width() != image->GetWidth() ||
        m_rows->Height() != image->GetHeight() || m_rows->Checkerboard() != m_bCheckerboard ||
        m_cachedBackground != (background.rgb() | 0xff000000u))
        RebuildCache();
    // The halved copies are made the first time the picture is shown below
    // actual size: a picture only ever seen at 100 % or more needs none.
    if (m_zoom.num < m_zoom.den) StartPyramid();

    // The outline's pixels, found once for all rectangles.
    const Outline outline = CurrentOutline();
    const QRect bounds = exposed.boundingRect();
    std::vector<QPoint> circle;
    std::vector<Segment> segments;
    if (outline.kind == Outline::kCircle) {
        RasterCircle(outline.centre, outline.radius, bounds,
                     [&](int x, int y) { circle.emplace_back(x, y); });
        std::sort(circle.begin(), circle.end(), [](const QPoint& a, const QPoint& b) {
            return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
        });
    } else if (outline.kind == Outline::kLines) {
        for (const Segment& segment : Segments(outline.points, outline.closed))
            if (Overlap(segment.box, bounds)) segments.push_back(segment);
    }

    // Each exposed rectangle is put together at 1:1 (window colour, picture,
    // edge line, outline): straight in the window's own pixels where the
    // painter gives them out, else in a scratch block then copied.
    QPoint offset;
    const QImage* window = WindowPixels(painter, &offset);
    for (const QRect& r : exposed) {
        uint32_t* block = nullptr;
        qsizetype stride = r.width();
        QImage::Format format = QImage::Format_RGB32;
        const bool direct = window && window->rect().contains(r.translated(offset));
        if (direct) {
            // The painter's own memory: written in place, never detached.
            const QPoint at = r.topLeft() + offset;
            block = const_cast<uint32_t*>(
                        reinterpret_cast<const uint32_t*>(window->constScanLine(at.y()))) +
                    at.x();
            stride = window->bytesPerLine() / 4;
            format = window->format();
        } else {
            const size_t pixels = static_cast<size_t>(r.width()) * static_cast<size_t>(r.height());
            if (m_scratch.size() < pixels) m_scratch.resize(pixels);
            block = m_scratch.data();
        }
        ComposeRect(r, background.rgb(), block, stride);
        // The areas of the pane, under the rubber band.
        if ((m_bShowAreas && m_overlay.Count() > 0) || m_nSelected >= 0 || !m_selection.empty() ||
            GridSpacing() > 0) {
            QImage target(reinterpret_cast<uchar*>(block), r.width(), r.height(), stride * 4,
                          format);
            QPainter areas(&target);
            areas.translate(-r.topLeft());
            PaintAreas(areas, r);
        }

        // The outline: exclusive-or with white, so it shows on any picture
        // and a pixel drawn twice comes back as it was.
        auto invert = [&](int x, int y) {
            block[static_cast<ptrdiff_t>(y - r.top()) * stride + (x - r.left())] ^= 0x00ffffffu;
        };
        if (!circle.empty()) {
            // Sorted by row: only the rows of r are looked at.
            auto it = std::lower_bound(circle.begin(), circle.end(), r.top(),
                                       [](const QPoint& p, int y) { return p.y() < y; });
            for (; it != circle.end() && it->y() <= r.bottom(); ++it)
                if (it->x() >= r.left() && it->x() <= r.right()) invert(it->x(), it->y());
        }
        for (const Segment& segment : segments)
            if (Overlap(segment.box, r)) RasterLine(segment.a, segment.b, r, invert);
        if (direct) continue;

        // A clip of this one rectangle keeps the copy on the painter's fast path.
        if (exposed.rectCount() > 1) painter.setClipRect(r);
        // A read-only image over the block: drawing it copies nothing first.
        const QImage copy(reinterpret_cast<const uchar*>(block), r.width(), r.height(), stride * 4,
                          QImage::Format_RGB32);
        painter.drawImage(r.topLeft(), copy);
    }
}

void CMapView::ComposeRect(const QRect& r, QRgb background, uint32_t* block, qsizetype stride) {
    const QPoint scroll = GetScrollPosition();
    const QSize total = ScrollTotalSize();
    const uint32_t bg = background | 0xff000000u;
    const QRect pictureRect(-scroll.x(), -scroll.y(), total.width(), total.height());
    const QRect covered = m_rows ? (r & pictureRect) : QRect();

    auto row = [&](int y) {  // y in client pixels
        return block + static_cast<ptrdiff_t>(y - r.top()) * stride - r.left();
    };
    // Small enough to keep as shown: made once, then copied.
    const bool keep =
        m_zoom.num < m_zoom.den && int64_t{total.width()} * total.height() <= kShownPixelsKept;
    if (keep &&
        (m_shown.empty() || !(m_shownZoom == m_zoom) || m_shownFromPyramid != PyramidReady())) {
        m_shown.assign(static_cast<size_t>(total.width()) * static_cast<size_t>(total.height()), 0);
        m_shownZoom = m_zoom;
        m_shownFromPyramid = PyramidReady();
        RenderView(*m_rows, m_pyramid.get(), m_zoom, 0, 0, total.width(), total.height(),
                   m_shown.data(), total.width(), background);
    } else if (!keep) {
        m_shown = {};
    }
    // The window colour around the picture, and a kept picture's rows, each
    // row written once from left to right.
    const auto fill = [bg](uint32_t* from, uint32_t* to) {
        if (to > from) FillPixels(from, static_cast<size_t>(to - from), bg);
    };
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uint32_t* out = row(y);
        if (covered.isEmpty() || y < covered.top() || y > covered.bottom()) {
            fill(out + r.left(), out + r.right() + 1);
            continue;
        }
        fill(out + r.left(), out + covered.left());
        if (keep) {
            const uint32_t* from = m_shown.data() +
                                   static_cast<ptrdiff_t>(y + scroll.y()) * total.width() +
                                   covered.left() + scroll.x();
            std::copy(from, from + covered.width(), out + covered.left());
        }
        fill(out + covered.right() + 1, out + r.right() + 1);
    }
    if (!covered.isEmpty() && !keep) {
        // The picture from its own pixels.
        RenderView(*m_rows, m_pyramid.get(), m_zoom, int64_t{covered.left()} + scroll.x(),
                   int64_t{covered.top()} + scroll.y(), covered.width(), covered.height(),
                   row(covered.top()) + covered.left(), static_cast<int>(stride), background);
    }
    if (!covered.isEmpty()) {
        // A thin grid between the picture's pixels when they are large.
        if (m_bPixelGrid && m_zoom.den == 1 && m_zoom.num >= kPixelGridZoom) {
            const auto grid = [](uint32_t& p) { p = ((p >> 1) & 0x7f7f7fu) + 0xff404040u; };
            const int z = m_zoom.num;
            for (int y = covered.top(); y <= covered.bottom(); ++y) {
                uint32_t* out = row(y);
                if ((y + scroll.y()) % z == 0) {
                    for (int x = covered.left(); x <= covered.right(); ++x) grid(out[x]);
                    continue;
                }
                int x = covered.left() + (z - (covered.left() + scroll.x()) % z) % z;
                for (; x <= covered.right(); x += z) grid(out[x]);
            }
        }
    }

    // A black line along the row just below and the column just right of the
    // picture as it lies unscrolled.
    const uint32_t black = 0xff000000u;
    const QRect bottomLine = QRect(0, total.height(), total.width(), 1) & r;
    for (int x = bottomLine.left(); x <= bottomLine.right(); ++x) row(bottomLine.top())[x] = black;
    const QRect rightLine = QRect(total.width(), 0, 1, total.height() + 1) & r;
    for (int y = rightLine.top(); y <= rightLine.bottom(); ++y) row(y)[rightLine.left()] = black;
}

namespace {

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

QRegion CMapView::OutlineRegion() const {
    const Outline outline = CurrentOutline();
    if (outline.kind == Outline::kCircle) return CircleArea(outline.centre, outline.radius);
    if (outline.kind == Outline::kLines)
        return SegmentsNotIn(Segments(outline.points, outline.closed), {});
    return QRegion();
}

void CMapView::UpdateOutline(const Outline& before) {
    const Outline after = CurrentOutline();
    QRegion dirty;
    if (before.kind == Outline::kLines && after.kind == Outline::kLines) {
        // Only the segments that moved: an open polygon's fixed edges stay.
        const auto a = Segments(before.points, before.closed);
        const auto b = Segments(after.points, after.closed);
        dirty = SegmentsNotIn(a, b) + SegmentsNotIn(b, a);
    } else {
        for (const Outline* o : {&before, &after}) {
            if (o->kind == Outline::kCircle)
                dirty += CircleArea(o->centre, o->radius);
            else if (o->kind == Outline::kLines)
                dirty += SegmentsNotIn(Segments(o->points, o->closed), {});
        }
    }
    if (!dirty.isEmpty()) viewport()->update(dirty);
}
