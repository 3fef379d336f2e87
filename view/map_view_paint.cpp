// SPDX-License-Identifier: GPL-3.0-or-later
// The map view's painting: the block of what the window shows kept up to
// date (view/shown_layer.cpp puts its pixels together; what it lacks where
// the window is exposed, such as a scroll's strip, straight in the
// window's pixels), each exposed rectangle copied from it with the areas'
// outlines and the tool's outline drawn over, and the repaints an outline
// needs.

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "image/image.h"
#include "image/render.h"
#include "image/view_render.h"
#include "view/map_view.h"
#include "view/outline_raster.h"
#include "view/shown_layer.h"

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
    // The exposed rectangles are drawn straight in the window's own pixels
    // where the painter gives them out, else in a scratch block then copied.
    QPoint offset;
    const QImage* window = WindowPixels(painter, &offset);
    WindowTarget target;
    if (window) {
        // The painter's own memory: written in place, never detached.
        target.origin =
            const_cast<uint32_t*>(reinterpret_cast<const uint32_t*>(window->constBits()));
        target.stride = window->bytesPerLine() / 4;
        target.offset = offset;
        for (QRect r : exposed) {
            r &= viewport()->rect();
            if (window->rect().contains(r.translated(offset))) target.region += r;
        }
    }
    const QRegion composed =
        PutShownTogether(background.rgb(), scroll, target, std::exchange(m_bScrolled, false));
    const OutlinePixels outline(CurrentOutline(), exposed.boundingRect());
    for (QRect r : exposed) {
        r &= viewport()->rect();
        if (r.isEmpty()) continue;
        if (target.region.contains(r)) {
            // What was not just put together here comes from the block.
            for (const QRect& part : QRegion(r).subtracted(composed))
                m_block.CopyTo(part.translated(scroll), target.At(part.topLeft()), target.stride);
            ComposeOverlays(r, outline, target.At(r.topLeft()), target.stride, window->format());
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

QRegion CMapView::PutShownTogether(QRgb background, QPoint scroll, const WindowTarget& target,
                                   bool scrolled) {
    const CImage* image = Picture();
    ShownBlock::Key key;
    key.generation = image->Pixels().Generation();
    key.zoom = m_zoom;
    key.total = ScrollTotalSize();
    key.background = background | 0xff000000u;
    key.checkerboard = m_bCheckerboard;
    key.pixelGrid = m_bPixelGrid;
    key.halvedCopies = m_zoom.num < m_zoom.den && m_cache.PyramidReady();
    const QRegion missing =
        m_block.Prepare(key, QRect(scroll, viewport()->size())).translated(-scroll);
    const bool grid = m_bPixelGrid && m_zoom.den == 1 && m_zoom.num >= kPixelGridZoom;
    const ShownLayer layer{m_cache, m_zoom, scroll, key.total, background, grid};
    // What is exposed is put together straight in the window and kept from
    // there; the rest in the block. A scroll's strip alone is not kept: the
    // window holds it, a strip that scrolls away again never costs a pass,
    // and the next repaint of another kind puts together what the block
    // lacks by then.
    const QRegion straight = missing & target.region;
    const bool keep = !scrolled || straight != missing;
    for (const QRect& r : straight) {
        ComposeShown(layer, r, target.At(r.topLeft()), target.stride);
        if (keep) m_block.Keep(r.translated(scroll), target.At(r.topLeft()), target.stride);
    }
    if (!keep) m_block.LeaveMissing();
    for (const QRect& view : missing.subtracted(straight).translated(scroll))
        m_block.PutTogether(view, [&](const QRect& part, uint32_t* pixels, qsizetype stride) {
            ComposeShown(layer, part.translated(-scroll), pixels, stride);
        });
    return straight;
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

QRegion CMapView::OutlineRegion() const {
    return OutlineArea(CurrentOutline());
}

void CMapView::UpdateOutline(const ToolOutline& before) {
    const QRegion dirty = OutlineChange(before, CurrentOutline());
    if (!dirty.isEmpty()) viewport()->update(dirty);
}
