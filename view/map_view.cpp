#include "view/map_view.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
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
#include "markup/area_markup.h"
#include "markup/map_doc.h"
#include "markup/readout.h"
#include "markup/settings.h"
#include "shell/commands.h"
#include "shell/dialogs.h"
#include "shell/main_frame.h"
#include "shell/prompts.h"

namespace {

// The view's commands with check marks.
constexpr int kCheckedCommands[] = {cmd::kToolCircle, cmd::kToolRect,   cmd::kToolPolygon,
                                    cmd::kToolTrace,  cmd::kToolSelect, cmd::kZoomNormal,
                                    cmd::kZoomDouble, cmd::kViewAreas};

// A client point: the floor of the position in logical pixels.
QPoint ClientPointOf(const QMouseEvent* event) {
    const QPointF pos = event->position();
    return QPoint(static_cast<int>(std::floor(pos.x())), static_cast<int>(std::floor(pos.y())));
}

// How far from an edge the mouse starts the view scrolling, in client
// pixels, and how often it scrolls while the button is held.
constexpr int kAutoScrollEdge = 16;
constexpr int kAutoScrollMs = 30;

// The scroll of one step along one axis for a mouse at `at` in a view
// `length` pixels long: none away from the edges, more the farther out.
int AutoScrollSpeed(int at, int length) {
    int depth = 0;
    if (at < kAutoScrollEdge)
        depth = kAutoScrollEdge - at;
    else if (at >= length - kAutoScrollEdge)
        depth = at - (length - kAutoScrollEdge) + 1;
    if (depth <= 0) return 0;
    const int speed = std::min(2 + depth / 2, 200);
    return at < kAutoScrollEdge ? -speed : speed;
}

// The client distance between two points, truncated to whole pixels.
int Distance(QPoint a, QPoint b) {
    const double dx = static_cast<double>(a.x()) - b.x();
    const double dy = static_cast<double>(a.y()) - b.y();
    const double d = std::sqrt(dx * dx + dy * dy);
    return d < 2147483647.0 ? static_cast<int>(d) : 2147483647;
}

// A segment's box, with a pixel to spare on each side.
QRect SegmentBox(QPoint a, QPoint b) {
    return QRect(a, b).normalized().adjusted(-1, -1, 1, 1);
}

ClientPoint ToClient(QPoint p) {
    return ClientPoint{p.x(), p.y()};
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

}  // namespace

CMapView::CMapView(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setMouseTracking(true);
    // A click gives the view the keys (arrows and Delete for a selection).
    setFocusPolicy(Qt::StrongFocus);
    // The view paints every pixel it is asked for: the picture, and the
    // window colour wherever the picture does not cover.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    UpdateScrollSizes();
    // Edits of the pane come in bursts (typing, pasting): the areas are read
    // once the burst pauses.
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(20);
    connect(&m_refreshTimer, &QTimer::timeout, this, &CMapView::RefreshAreas);
    connect(&m_trace, &CTraceTool::previewDue, this, &CMapView::RefreshTracePreview);
    m_autoScroll.setInterval(kAutoScrollMs);
    connect(&m_autoScroll, &QTimer::timeout, this, &CMapView::AutoScrollStep);
}

CMapView::~CMapView() = default;

void CMapView::SetDocument(CMapDoc* doc) {
    m_pDoc = doc;
    OnInitialUpdate();
}

CMainFrame* CMapView::GetParentFrame() const {
    return qobject_cast<CMainFrame*>(window());
}

const CImage* CMapView::Picture() const {
    if (!m_pDoc || !m_pDoc->m_pImage) return nullptr;
    const CImage* image = m_pDoc->m_pImage.get();
    return image->GetWidth() > 0 && image->GetHeight() > 0 ? image : nullptr;
}

void CMapView::OnInitialUpdate() {
    m_trace.Forget();
    // The readout and link of the picture that went mean nothing now.
    if (std::exchange(m_ptReadout, std::nullopt)) ShowStatus(QString());
    RebuildCache();
    SelectArea(-1);
    RefreshAreas();
    UpdateScrollSizes();
    viewport()->update();
    UpdateCommandUI();
}

void CMapView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    UpdateCommandUI();
}

void CMapView::RebuildCache() {
    m_cache = QImage();
    const CImage* image = Picture();
    m_cachedFor = image;
    if (!image) return;
    const int w = image->GetWidth(), h = image->GetHeight();
    QImage pixels(w, h, QImage::Format_ARGB32);
    if (pixels.isNull()) return;  // no memory for the display copy: nothing shows
    auto* bits = reinterpret_cast<uint32_t*>(pixels.bits());
    const int stride = static_cast<int>(pixels.bytesPerLine() / 4);
    if (!RenderArgb32(*image, bits, stride)) return;

    // Transparent pixels come with alpha 0: clear their colour so that the
    // block is valid premultiplied data and the window colour shows through.
    // Pictures without any are drawn as plain opaque pixels.
    bool transparent = false;
    const CImageImpl* impl = image->GetImpl();
    if (impl && impl->transparentIndex >= 0 && image->GetDepth() <= 8) {
        for (int row = 0; row < h; ++row) {
            uint32_t* p = bits + static_cast<size_t>(row) * static_cast<size_t>(stride);
            for (int x = 0; x < w; ++x) {
                if ((p[x] >> 24) == 0) {
                    p[x] = 0;
                    transparent = true;
                }
            }
        }
    }
    pixels.reinterpretAsFormat(transparent ? QImage::Format_ARGB32_Premultiplied
                                           : QImage::Format_RGB32);
    m_cache = std::move(pixels);
}

QSize CMapView::ScrollTotalSize() const {
    const CImage* image = Picture();
    if (!image) return QSize(0, 0);
    return QSize(m_nZoom * image->GetWidth(), m_nZoom * image->GetHeight());
}

QPoint CMapView::GetScrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CMapView::UpdateScrollSizes() {
    const QSize total = ScrollTotalSize();
    const QSize page = viewport()->size();
    QScrollBar* bars[2] = {horizontalScrollBar(), verticalScrollBar()};
    const int totals[2] = {total.width(), total.height()};
    const int pages[2] = {page.width(), page.height()};
    for (int i = 0; i < 2; ++i) {
        bars[i]->setPageStep(std::max(1, pages[i]));
        bars[i]->setSingleStep(std::max(1, totals[i] / 100));
        bars[i]->setRange(0, std::max(0, totals[i] - pages[i]));
    }
}

void CMapView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollSizes();
}

void CMapView::scrollContentsBy(int dx, int dy) {
    // The mouse stays while the picture moves under it: a drag of the
    // selection follows.
    if (m_selectDrag == SelectDrag::kDragging) SelectMove(m_ptMouse);
    // An outline drawn by hand moves with the picture, yet its end at the
    // mouse does not: everything is painted again.
    if (CurrentOutline().kind != Outline::kNone) {
        viewport()->update();
        return;
    }
    // What is on screen moves with the picture; only the uncovered strip is
    // painted. The edge line keeps its client position, yet it is on screen
    // only along a side that cannot scroll (the picture fits that way), and
    // it spans the whole window along the side that does: shifting along its
    // own length leaves it where it was.
    viewport()->scroll(dx, dy);
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
    if (m_cachedFor != image || m_cache.width() != image->GetWidth() ||
        m_cache.height() != image->GetHeight())
        RebuildCache();

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

    // Each exposed rectangle is put together in a scratch block (window
    // colour, picture, edge line, outline) and copied to the window at 1:1.
    for (const QRect& r : exposed) {
        const size_t pixels = static_cast<size_t>(r.width()) * static_cast<size_t>(r.height());
        if (m_scratch.size() < pixels) m_scratch.resize(pixels);
        ComposeRect(r, background.rgb());
        // The areas of the pane, under the rubber band.
        if (m_bShowAreas || m_nSelected >= 0) {
            QImage target(reinterpret_cast<uchar*>(m_scratch.data()), r.width(), r.height(),
                          static_cast<qsizetype>(r.width()) * 4, QImage::Format_RGB32);
            QPainter areas(&target);
            areas.translate(-r.topLeft());
            PaintAreas(areas, r);
        }

        // The outline: exclusive-or with white, so it shows on any picture
        // and a pixel drawn twice comes back as it was.
        auto invert = [&](int x, int y) {
            m_scratch[static_cast<size_t>(y - r.top()) * static_cast<size_t>(r.width()) +
                      static_cast<size_t>(x - r.left())] ^= 0x00ffffffu;
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

        // A clip of this one rectangle keeps the copy on the painter's fast path.
        if (exposed.rectCount() > 1) painter.setClipRect(r);
        // A read-only image over the block: drawing it copies nothing first.
        const QImage block(reinterpret_cast<const uchar*>(m_scratch.data()), r.width(), r.height(),
                           static_cast<qsizetype>(r.width()) * 4, QImage::Format_RGB32);
        painter.drawImage(r.topLeft(), block);
    }
}

void CMapView::ComposeRect(const QRect& r, QRgb background) {
    const int zoom = m_nZoom;
    const QPoint scroll = GetScrollPosition();
    const QSize total = ScrollTotalSize();
    const uint32_t bg = background | 0xff000000u;
    const bool alpha = m_cache.hasAlphaChannel();
    const QRect pictureRect(-scroll.x(), -scroll.y(), total.width(), total.height());
    const QRect covered = m_cache.isNull() ? QRect() : (r & pictureRect);

    auto row = [&](int y) {  // y in client pixels
        return m_scratch.data() + static_cast<ptrdiff_t>(y - r.top()) * r.width() - r.left();
    };
    const int width = r.width();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uint32_t* out = row(y);
        if (covered.isEmpty() || y < covered.top() || y > covered.bottom()) {
            std::fill(out + r.left(), out + r.right() + 1, bg);
            continue;
        }
        // At double size every other row repeats the one above it.
        if (zoom == 2 && y > covered.top() && ((y + scroll.y()) & 1)) {
            std::copy(row(y - 1) + r.left(), row(y - 1) + r.left() + width, out + r.left());
            continue;
        }
        std::fill(out + r.left(), out + covered.left(), bg);
        std::fill(out + covered.right() + 1, out + r.right() + 1, bg);
        // Nearest neighbour: client pixel x shows picture pixel (x + scroll) / zoom.
        const auto* src =
            reinterpret_cast<const uint32_t*>(m_cache.constScanLine((y + scroll.y()) / zoom));
        if (zoom == 1 && !alpha) {
            std::copy(src + covered.left() + scroll.x(), src + covered.right() + 1 + scroll.x(),
                      out + covered.left());
        } else if (zoom == 1) {
            for (int x = covered.left(); x <= covered.right(); ++x) {
                const uint32_t p = src[x + scroll.x()];
                out[x] = (p >> 24) ? p : bg;  // transparent: the window colour
            }
        } else {
            for (int x = covered.left(); x <= covered.right(); ++x) {
                const uint32_t p = src[static_cast<unsigned>(x + scroll.x()) >> 1];
                out[x] = (p >> 24) ? p : bg;
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

// ---------------------------------------------------------------------------
// Rubber band

CMapView::Outline CMapView::CurrentOutline() const {
    Outline outline;
    if (m_held.kind != Outline::kNone) return m_held;
    const AreaMapping mapping = Mapping();
    if (m_bDragging && m_nTool != kToolPolygon) {
        const QPoint anchor = mapping.ToClient(m_ptAnchor);
        if (m_nTool == kToolCircle) {
            const int r = Distance(anchor, m_ptLast);
            if (r > 0) {
                outline.kind = Outline::kCircle;
                outline.centre = anchor;
                outline.radius = r;
            }
        } else if (m_ptLast != anchor) {
            outline.kind = Outline::kLines;
            outline.closed = true;
            outline.points << anchor << QPoint(anchor.x(), m_ptLast.y()) << m_ptLast
                           << QPoint(m_ptLast.x(), anchor.y());
        }
    } else if (m_nTool == kToolPolygon && m_nVertexCount >= 1) {
        // One vertex: the edge from it to the mouse. More: the closed
        // outline through every vertex and the mouse.
        const int n = m_nVertexCount;
        if (n == 1 && m_ptLast == mapping.ToClient(m_ptVertex[0])) return outline;
        outline.kind = Outline::kLines;
        outline.closed = n >= 2;
        for (int i = 0; i < n; ++i)
            outline.points << mapping.ToClient(m_ptVertex[static_cast<size_t>(i)]);
        outline.points << m_ptLast;
    } else if (m_nTool == kToolTrace && !m_trace.Preview().empty()) {
        outline.kind = Outline::kLines;
        outline.closed = true;
        outline.points = CTraceTool::ToClient(m_trace.Preview(), GetScrollPosition(), m_nZoom);
    }
    return outline;
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

// ---------------------------------------------------------------------------
// Commands

bool CMapView::IsCommandChecked(int id) const {
    switch (id) {
        case cmd::kToolCircle:
            return m_nTool == kToolCircle;
        case cmd::kToolRect:
            return m_nTool == kToolRect;
        case cmd::kToolPolygon:
            return m_nTool == kToolPolygon;
        case cmd::kToolSelect:
            return m_nTool == kToolSelect;
        case cmd::kViewAreas:
            return m_bShowAreas;
        case cmd::kToolTrace:
            return m_nTool == kToolTrace;
        case cmd::kZoomNormal:
            return m_nZoom == 1;
        case cmd::kZoomDouble:
            return m_nZoom == 2;
        default:
            return false;
    }
}

void CMapView::UpdateCommandUI() {
    CMainFrame* frame = GetParentFrame();
    if (!frame) return;
    for (int id : kCheckedCommands) {
        if (QAction* action = frame->Action(id)) {
            action->setCheckable(true);
            action->setChecked(IsCommandChecked(id));
            action->setEnabled(true);
        }
    }
}

void CMapView::SetTool(int tool) {
    m_nTool = tool;
    if (tool != kToolSelect) SelectArea(-1);
    viewport()->update();
    UpdateCommandUI();
    emit commandStateChanged();
}

void CMapView::SetZoom(int zoom) {
    // The scroll position keeps its value in pixels; a drag or an open
    // polygon keeps its points on the picture.
    m_nZoom = zoom;
    UpdateScrollSizes();
    viewport()->update();
    UpdateCommandUI();
    emit commandStateChanged();
}

void CMapView::OnToolCircle() {
    SetTool(kToolCircle);
}
void CMapView::OnToolRect() {
    SetTool(kToolRect);
}
void CMapView::OnToolPolygon() {
    SetTool(kToolPolygon);
}
void CMapView::OnToolSelect() {
    SetTool(kToolSelect);
}
void CMapView::OnZoomNormal() {
    SetZoom(1);
}
void CMapView::OnZoomDouble() {
    SetZoom(2);
}

// ---------------------------------------------------------------------------
// Mouse

QString CMapView::ReadoutText(QPoint client) const {
    const QPoint scroll = GetScrollPosition();
    const bool inWindow = viewport()->rect().contains(client);
    return QString::fromStdString(FormatReadout(Picture(), client.x(), client.y(), scroll.x(),
                                                scroll.y(), m_nZoom, inWindow));
}

void CMapView::ShowStatus(const QString& text) {
    if (m_statusSink) {
        m_statusSink(text);
        return;
    }
    if (CMainFrame* frame = GetParentFrame())
        frame->StatusBar().showMessage(text);
    else if (auto* window = qobject_cast<QMainWindow*>(this->window()))
        window->statusBar()->showMessage(text);
}

QPoint CMapView::Vertex(int i) const {
    return Mapping().ToClient(m_ptVertex[static_cast<size_t>(i)]);
}

QPoint CMapView::AnchorPoint() const {
    return Mapping().ToClient(m_ptAnchor);
}

void CMapView::ShowReadout(QPoint client, bool changedOnly) {
    m_ptReadout = client;
    QString readout = ReadoutText(client);
    // Over an area the readout ends with its link.
    if (const std::string href = HrefAt(client); !href.empty() && readout.trimmed().size() > 0)
        readout += QStringLiteral("  ") + QString::fromStdString(href);
    if (changedOnly && readout == m_strReadout) return;
    m_strReadout = readout;
    ShowStatus(readout);
}

void CMapView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = ClientPointOf(event);
    m_ptMouse = point;
    if (!Picture()) return;
    UpdateAutoScroll();
    ShowReadout(point);
    if (m_nTool == kToolSelect) {
        SelectMove(point);
        UpdateAutoScroll();  // the move may have started a drag
        return;
    }
    if (m_nTool == kToolTrace && !m_bDragging) {
        HoverTrace(point);
        return;
    }

    const Outline before = CurrentOutline();
    if (m_bDragging && m_nTool != kToolPolygon)
        m_ptLast = point;
    else if (m_nTool == kToolPolygon && m_nVertexCount >= 0)
        m_ptLast = point;
    else
        return;
    UpdateOutline(before);
}

void CMapView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = ClientPointOf(event);
    m_ptMouse = point;
    m_bMenuTaken = event->button() == Qt::RightButton && RightClick(point);
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (m_nTool == kToolSelect) {
        if (Picture()) SelectPress(point);
        return;
    }
    if (!Picture() || !IsInsidePicture(point)) return;
    if (m_nTool == kToolTrace) {
        FinishTrace(point);
        return;
    }
    if (m_nTool == kToolPolygon) {
        AddVertex(point);
        return;
    }
    const Outline before = CurrentOutline();
    m_bDragging = true;
    m_ptLast = point;
    m_ptAnchor = Mapping().Place(point);
    UpdateOutline(before);
}

void CMapView::AddVertex(QPoint client) {
    const Outline before = CurrentOutline();
    if (m_nVertexCount < 0) {
        m_nVertexCount = 0;
        m_ptLast = client;
    }
    // Beyond the last vertex a click adds nothing.
    if (m_nVertexCount < kMaxVertices)
        m_ptVertex[static_cast<size_t>(m_nVertexCount++)] = Mapping().Place(client);
    UpdateOutline(before);
}

void CMapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const QPoint point = ClientPointOf(event);
    m_ptMouse = point;
    m_autoScroll.stop();
    if (m_nTool == kToolSelect) SelectRelease(point);
    // Qt delivers the release wherever the button comes up, outside the
    // window too, so a drag always ends here.
    if (!m_bDragging) return;
    const Outline before = CurrentOutline();
    m_bDragging = false;
    if (m_nTool == kToolPolygon || m_nTool == kToolSelect || point == AnchorPoint() ||
        !viewport()->rect().contains(point)) {
        // No area: a click without a drag, the tool changed to polygons or
        // selection, or the button came up outside the view.
        UpdateOutline(before);
        return;
    }
    FinishDrag(point);
}

void CMapView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint point = ClientPointOf(event);
    if (m_nTool == kToolSelect && Picture()) SelectDoubleClick(point);
    if (m_nTool != kToolPolygon || m_nVertexCount < 2 || !Picture() || !IsInsidePicture(point))
        return;
    FinishPolygon();
}

void CMapView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && CancelDrawing()) return;
    if (m_nTool == kToolSelect && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        SelectKey(event->key()))
        return;
    QAbstractScrollArea::keyPressEvent(event);
}

bool CMapView::CancelDrawing() {
    m_autoScroll.stop();
    const Outline before = CurrentOutline();
    bool cancelled = false;
    if (m_bDragging) {
        m_bDragging = false;
        cancelled = true;
    } else if (m_nTool == kToolPolygon && m_nVertexCount >= 0) {
        m_nVertexCount = -1;
        cancelled = true;
    }
    UpdateOutline(before);
    if (m_selectDrag != SelectDrag::kNone) {
        // The area goes back to where the text has it.
        const QRect moved = SelectionBounds();
        m_selectDrag = SelectDrag::kNone;
        m_preview.clear();
        viewport()->update(moved);
        viewport()->update(SelectionBounds());
        cancelled = true;
    }
    return cancelled;
}

bool CMapView::RightClick(QPoint client) {
    if (m_bDragging || m_selectDrag != SelectDrag::kNone) return CancelDrawing();
    if (m_nTool != kToolPolygon || m_nVertexCount < 0) return false;
    // The last corner, as a double-click places it.
    if (!Picture() || !IsInsidePicture(client)) return true;
    AddVertex(client);
    if (m_nVertexCount >= 2) FinishPolygon();
    return true;
}

bool CMapView::ButtonDragging() const {
    return (m_bDragging && m_nTool != kToolPolygon) || m_selectDrag == SelectDrag::kDragging;
}

void CMapView::UpdateAutoScroll() {
    const bool due = ButtonDragging() && (AutoScrollSpeed(m_ptMouse.x(), viewport()->width()) ||
                                          AutoScrollSpeed(m_ptMouse.y(), viewport()->height()));
    if (!due)
        m_autoScroll.stop();
    else if (!m_autoScroll.isActive())
        m_autoScroll.start();
}

void CMapView::AutoScrollStep() {
    // A release that never came (the grab lost to another window) stops it.
    if (!ButtonDragging() || QGuiApplication::mouseButtons() == Qt::NoButton) {
        m_autoScroll.stop();
        return;
    }
    QScrollBar* across = horizontalScrollBar();
    QScrollBar* down = verticalScrollBar();
    across->setValue(across->value() + AutoScrollSpeed(m_ptMouse.x(), viewport()->width()));
    down->setValue(down->value() + AutoScrollSpeed(m_ptMouse.y(), viewport()->height()));
}

bool CMapView::IsInsidePicture(QPoint client) const {
    const QSize total = ScrollTotalSize();
    return client.x() >= 0 && client.y() >= 0 && client.x() <= total.width() &&
           client.y() <= total.height();
}

// ---------------------------------------------------------------------------
// Finished areas

bool CMapView::AskLink(std::string* url, std::string* alt) {
    if (m_linkPrompt) return m_linkPrompt(url, alt);
    // Owned by the main window, as a dialog without a parent would be.
    CLinkDlg dialog(GetParentFrame());
    if (m_pDoc)
        dialog.SetBrowseFolder(StartFolderFor(QString::fromStdString(m_pDoc->GetPathName())));
    dialog.UrlEdit().setText(QString::fromStdString(*url));
    dialog.AltEdit().setText(QString::fromStdString(*alt));
    if (Prompts().RunDialog(dialog) != QDialog::Accepted) return false;
    *url = dialog.m_strURL.toStdString();
    *alt = dialog.m_strAlt.toStdString();
    return true;
}

void CMapView::FinishDrag(QPoint end) {
    // The outline stays on screen while the dialog asks for the link.
    m_bDragging = true;
    m_ptLast = end;
    m_held = CurrentOutline();
    m_bDragging = false;
    const PlacedPoint placed = Mapping().Place(end);

    std::string url, alt;
    if (AskLink(&url, &alt)) {
        // Written as if drawn at the scroll and zoom of the press.
        const AreaMapping atPress{m_ptAnchor.zoom, m_ptAnchor.scroll};
        const ClientPoint a = ToClient(m_ptAnchor.client), e = ToClient(atPress.ToClient(placed));
        const ClientPoint scroll = ToClient(atPress.scroll);
        const int zoom = atPress.zoom;
        const std::string line = m_nTool == kToolCircle
                                     ? FormatCircleArea(a, e, scroll, zoom, alt, url)
                                     : FormatRectArea(a, e, scroll, zoom, alt, url);
        InsertLine(line);
    }
    m_held = Outline();
    viewport()->update();
}

void CMapView::FinishPolygon() {
    m_held = CurrentOutline();
    std::string url, alt;
    if (AskLink(&url, &alt)) {
        // Written as if drawn at the scroll and zoom of the first corner.
        const AreaMapping atFirst{m_ptVertex[0].zoom, m_ptVertex[0].scroll};
        std::vector<ClientPoint> vertices;
        for (int i = 0; i < m_nVertexCount; ++i)
            vertices.push_back(ToClient(atFirst.ToClient(m_ptVertex[static_cast<size_t>(i)])));
        InsertLine(FormatPolyArea(vertices, ToClient(atFirst.scroll), atFirst.zoom, alt, url));
    }
    m_held = Outline();
    m_nVertexCount = -1;
    m_ptVertex.fill(PlacedPoint());
    viewport()->update();
}

void CMapView::InsertLine(const std::string& line) {
    MarkupPane* pane = Pane();
    if (!pane) return;
    m_inserter.Insert(*pane, line, ReadMarkupSettings());
    // The outlines follow once the burst of changes is over.
    OnPaneChanged();
}
