// SPDX-License-Identifier: GPL-3.0-or-later
// The map view's zoom: the preset levels, the fit to the window, Ctrl+wheel
// about the pointer, and the pixel grid.

#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "document/settings.h"
#include "image/image.h"
#include "view/map_view.h"

void CMapView::ApplyZoom(ZoomScale zoom, QPointF picture, QPoint at) {
    // A drag or an open polygon keeps its points on the picture.
    const bool changed = !(zoom == m_zoom);
    m_zoom = zoom;
    UpdateScrollSizes();
    const double f = zoom.Factor();
    const auto scrollTo = [](QScrollBar* bar, double v) {
        bar->setValue(
            static_cast<int>(std::clamp<double>(std::floor(v), bar->minimum(), bar->maximum())));
    };
    scrollTo(horizontalScrollBar(), picture.x() * f - at.x());
    scrollTo(verticalScrollBar(), picture.y() * f - at.y());
    viewport()->update();
    if (!changed) return;
    emit commandStateChanged();
}

void CMapView::SetZoom(ZoomScale zoom, std::optional<QPoint> anchor) {
    m_bFit = false;
    // The picture point at the middle of the anchor's pixel stays in it.
    const QPoint at = anchor.value_or(viewport()->rect().center());
    const QPoint scroll = GetScrollPosition();
    const QPointF picture((at.x() + 0.5 + scroll.x()) * m_zoom.den / m_zoom.num,
                          (at.y() + 0.5 + scroll.y()) * m_zoom.den / m_zoom.num);
    ApplyZoom(zoom, picture, at);
    SetZoomSetting(zoom.PercentText());
}

void CMapView::OnZoomNormal() {
    m_bFit = false;
    ApplyZoom(1, QPointF(GetScrollPosition()) / 1.0, QPoint());
    SetZoomSetting(m_zoom.PercentText());
}

void CMapView::OnZoomDouble() {
    m_bFit = false;
    ApplyZoom(2, QPointF(GetScrollPosition()) / 2.0, QPoint());
    SetZoomSetting(m_zoom.PercentText());
}

void CMapView::OnZoomIn() {
    SetZoom(m_zoom.Step(true));
}

void CMapView::OnZoomOut() {
    SetZoom(m_zoom.Step(false));
}

void CMapView::OnZoomFit() {
    if (!m_bFit) SetZoomSetting(kZoomFitSetting);
    m_bFit = true;
    const CImage* image = Picture();
    if (!image) return;
    // Scroll bars take room only when the picture does not fit: the room
    // without them is the whole widget less the frame.
    const QRect room = contentsRect();
    const ZoomScale fit =
        ZoomScale::Fit(image->GetWidth(), image->GetHeight(), std::max(1, room.width() - 1),
                       std::max(1, room.height() - 1));
    m_bFit = true;
    ApplyZoom(fit, QPointF(), QPoint());
}

void CMapView::OnShowPixelGrid(bool shown) {
    m_bPixelGrid = shown;
    viewport()->update();
    emit commandStateChanged();
}

void CMapView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    if (!Picture()) return;
    // One step a notch (120), the turns of a fine wheel added up.
    m_nWheelAngle += event->angleDelta().y();
    const QPointF pos = event->position();
    const QPoint at(static_cast<int>(std::floor(pos.x())), static_cast<int>(std::floor(pos.y())));
    while (std::abs(m_nWheelAngle) >= 120) {
        const bool up = m_nWheelAngle > 0;
        m_nWheelAngle += up ? -120 : 120;
        SetZoom(m_zoom.Step(up), at);
    }
}
