// SPDX-License-Identifier: GPL-3.0-or-later
// The map view's painting: the picture's rows and halved copies put
// together at 1:1 in the block of what the window shows (window colour,
// picture at the zoom, pixel grid, edge line), each exposed rectangle
// copied from it with the areas' outlines and the tool's outline drawn
// over, and the repaints an outline needs.

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/image.h"
#include "image/render.h"
#include "image/view_render.h"
#include "view/map_view.h"
#include "view/outline_raster.h"

namespace {

// Pixels of a client rectangle in a block: `pixels` is the rectangle's
// top-left one, `stride` pixels a row.
struct ClientBlock {
    uint32_t* pixels;
    qsizetype stride;
    QRect r;
    uint32_t* Row(int y) const {  // indexed by client x
        return pixels + static_cast<ptrdiff_t>(y - r.top()) * stride - r.left();
    }
};

// Darkens the rows and columns of `covered` that lie between picture pixels
// shown `z` client pixels wide.
void PixelGrid(const ClientBlock& block, const QRect& covered, QPoint scroll, int z) {
    const auto grid = [](uint32_t& p) { p = ((p >> 1) & 0x7f7f7fu) + 0xff404040u; };
    for (int y = covered.top(); y <= covered.bottom(); ++y) {
        uint32_t* out = block.Row(y);
        if ((y + scroll.y()) % z == 0) {
            for (int x = covered.left(); x <= covered.right(); ++x) grid(out[x]);
            continue;
        }
        int x = covered.left() + (z - (covered.left() + scroll.x()) % z) % z;
        for (; x <= covered.right(); x += z) grid(out[x]);
    }
}

// A black line along the row just below and the column just right of the
// picture as it lies unscrolled, `total` client pixels large.
void EdgeLine(const ClientBlock& block, QSize total) {
    const uint32_t black = 0xff000000u;
    const QRect bottomLine = QRect(0, total.height(), total.width(), 1) & block.r;
    for (int x = bottomLine.left(); x <= bottomLine.right(); ++x)
        block.Row(bottomLine.top())[x] = black;
    const QRect rightLine = QRect(total.width(), 0, 1, total.height() + 1) & block.r;
    for (int y = rightLine.top(); y <= rightLine.bottom(); ++y)
        block.Row(y)[rightLine.left()] = black;
}

}  // namespace

void CMapView::RebuildCache() {
    m_block.Forget();
    m_cache.Rebuild(viewport()->palette().color(viewport()->backgroundRole()).rgb(),
                    m_bCheckerboard);
}

void CMapView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRegion& exposed = event->region();
    const QColor background = viewport()->palette().color(viewport()->backgroundRole());
    if (!Picture()) {
        m_block.Forget(true);
        for (const QRect& r : exposed) painter.fillRect(r, background);
        return;
    }
    m_cache.Prepare(background.rgb(), m_bCheckerboard, m_zoom);
    const QPoint scroll = GetScrollPosition();
    PutShownTogether(background.rgb(), scroll);
    const OutlinePixels outline(CurrentOutline(), exposed.boundingRect());
    // Each exposed rectangle is copied from the block and drawn over:
    // straight in the window's own pixels where the painter gives them out,
    // else in a scratch block then copied.
    QPoint offset;
    const QImage* window = WindowPixels(painter, &offset);
    for (QRect r : exposed) {
        r &= viewport()->rect();
        if (r.isEmpty()) continue;
        if (window && window->rect().contains(r.translated(offset))) {
            // The painter's own memory: written in place, never detached.
            const QPoint at = r.topLeft() + offset;
            auto* block = const_cast<uint32_t*>(
                              reinterpret_cast<const uint32_t*>(window->constScanLine(at.y()))) +
                          at.x();
            const qsizetype stride = window->bytesPerLine() / 4;
            m_block.CopyTo(r.translated(scroll), block, stride);
            ComposeOverlays(r, outline, block, stride, window->format());
            continue;
        }
        const size_t pixels = static_cast<size_t>(r.width()) * static_cast<size_t>(r.height());
        if (m_scratch.size() < pixels) m_scratch.resize(pixels);
        m_block.CopyTo(r.translated(scroll), m_scratch.data(), r.width());
        ComposeOverlays(r, outline, m_scratch.data(), r.width(), QImage::Format_RGB32);
        // A clip of this one rectangle keeps the copy on the painter's fast path.
        if (exposed.rectCount() > 1) painter.setClipRect(r);
        // A read-only image over the block: drawing it copies nothing first.
        const QImage copy(reinterpret_cast<const uchar*>(m_scratch.data()), r.width(), r.height(),
                          r.width() * 4, QImage::Format_RGB32);
        painter.drawImage(r.topLeft(), copy);
    }
}

void CMapView::PutShownTogether(QRgb background, QPoint scroll) {
    const CImage* image = Picture();
    ShownBlock::Key key;
    key.generation = image->Pixels().Generation();
    key.zoom = m_zoom;
    key.total = ScrollTotalSize();
    key.background = background | 0xff000000u;
    key.checkerboard = m_bCheckerboard;
    key.pixelGrid = m_bPixelGrid;
    key.halvedCopies = m_zoom.num < m_zoom.den && m_cache.PyramidReady();
    const QRegion missing = m_block.Prepare(key, QRect(scroll, viewport()->size()));
    for (const QRect& view : missing)
        m_block.PutTogether(view, [&](const QRect& part, uint32_t* pixels, qsizetype stride) {
            ComposeRect(part.translated(-scroll), background, pixels, stride);
        });
}

bool CMapView::OverlaysShown() const {
    return (m_bShowAreas && m_areas.Count() > 0) || m_areas.SelectedArea() >= 0 ||
           !m_areas.Selection().empty() || GridSpacing() > 0;
}

void CMapView::ComposeOverlays(const QRect& r, const OutlinePixels& outline, uint32_t* block,
                               qsizetype stride, QImage::Format format) {
    // The areas of the pane, under the rubber band.
    if (OverlaysShown()) {
        QImage target(reinterpret_cast<uchar*>(block), r.width(), r.height(), stride * 4, format);
        QPainter areas(&target);
        areas.translate(-r.topLeft());
        PaintAreas(areas, r);
    }
    outline.Invert(r, block, stride);
}

void CMapView::ComposeRect(const QRect& r, QRgb background, uint32_t* block, qsizetype stride) {
    const QPoint scroll = GetScrollPosition();
    const QSize total = ScrollTotalSize();
    const uint32_t bg = background | 0xff000000u;
    const QRect pictureRect(-scroll.x(), -scroll.y(), total.width(), total.height());
    const QRect covered = m_cache.HasRows() ? (r & pictureRect) : QRect();
    const ClientBlock out{block, stride, r};
    // The window colour around the picture, each row written once from
    // left to right.
    const auto fill = [bg](uint32_t* from, uint32_t* to) {
        if (to > from) FillPixels(from, static_cast<size_t>(to - from), bg);
    };
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uint32_t* row = out.Row(y);
        if (covered.isEmpty() || y < covered.top() || y > covered.bottom()) {
            fill(row + r.left(), row + r.right() + 1);
            continue;
        }
        fill(row + r.left(), row + covered.left());
        fill(row + covered.right() + 1, row + r.right() + 1);
    }
    if (covered.isEmpty()) return EdgeLine(out, total);
    m_cache.Render(m_zoom, scroll, total, covered, out.Row(covered.top()) + covered.left(), stride,
                   background);
    // A thin grid between the picture's pixels when they are large.
    if (m_bPixelGrid && m_zoom.den == 1 && m_zoom.num >= kPixelGridZoom)
        PixelGrid(out, covered, scroll, m_zoom.num);
    EdgeLine(out, total);
}

QRegion CMapView::OutlineRegion() const {
    return OutlineArea(CurrentOutline());
}

void CMapView::UpdateOutline(const ToolOutline& before) {
    const QRegion dirty = OutlineChange(before, CurrentOutline());
    if (!dirty.isEmpty()) viewport()->update(dirty);
}
