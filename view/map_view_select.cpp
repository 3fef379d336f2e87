// SPDX-License-Identifier: GPL-3.0-or-later
// The areas of the pane on the picture: read again after each change of the
// pane text, outlined, and edited through the selection tool
// (tools/select_tool.cpp) and the commands of markup/area_commands.h. Every
// change goes back as one edit of the pane text, one step of its undo
// history.

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "document/map_doc.h"
#include "document/settings.h"
#include "markup/markup_pane.h"
#include "view/map_view.h"
#include "view/selection_handles.h"

void CMapView::Repaint(const QRect& client) {
    viewport()->update(client);
}

MarkupPane* CMapView::Pane() const {
    return m_pDoc ? m_pDoc->GetPane() : nullptr;
}

AreaMapping CMapView::Mapping() const {
    return AreaMapping{m_zoom, GetScrollPosition()};
}

QSize CMapView::PictureSize() const {
    const CImage* image = Picture();
    return image ? QSize(image->GetWidth(), image->GetHeight()) : QSize();
}

CSelectTool& CMapView::SelectTool() const {
    return static_cast<CSelectTool&>(*m_tools[kToolSelect]);
}

void CMapView::AreasRead() {
    // The link in the readout follows the areas.
    if (m_ptReadout && Picture()) ShowReadout(*m_ptReadout, true);
    UpdateHovered(m_ptHovered);
}

void CMapView::OnToggleAreas() {
    m_bShowAreas = !m_bShowAreas;
    viewport()->update();
    emit commandStateChanged();
}

std::vector<double> CMapView::SelectionCoords(int index) const {
    const AreaTag& area = m_areas.Areas()[size_t(index)];
    const CSelectTool& tool = SelectTool();
    if (tool.Moving()) return MovedCoords(area.shape, area.coords, tool.MoveOffset());
    if (const std::vector<double>* preview = tool.Preview();
        preview && index == m_areas.SelectedArea())
        return *preview;
    return area.coords;
}

QRect CMapView::OutlineBounds(const QRectF& picture) const {
    if (picture.isEmpty()) return QRect();
    const AreaMapping mapping = Mapping();
    const QPointF a = mapping.ToClient(picture.topLeft()),
                  z = mapping.ToClient(picture.bottomRight());
    // An area's number may stand beside it when the area is smaller than
    // the number's box; the pen takes a pixel more.
    const QFontMetrics metrics = viewport()->fontMetrics();
    const int margin = std::max(metrics.horizontalAdvance(QString::number(m_areas.Count())) + 4,
                                metrics.height()) +
                       4;
    const auto clamp = [](double v) { return int(std::clamp(v, -1e9, 1e9)); };
    return QRect(QPoint(clamp(std::floor(a.x())), clamp(std::floor(a.y()))),
                 QPoint(clamp(std::ceil(z.x())), clamp(std::ceil(z.y()))))
        .adjusted(-margin, -margin, margin, margin)
        .intersected(viewport()->rect());
}

QRect CMapView::SelectionBounds() const {
    QRect bounds;
    for (int i : m_areas.Selection()) {
        const AreaTag& area = m_areas.Areas()[size_t(i)];
        bounds |= ClientBounds(GeometryOf(area.shape, SelectionCoords(i), PictureSize()), Mapping(),
                               kHandleSize + 2);
    }
    return bounds;
}

void CMapView::PaintGrid(QPainter& painter, const QRect& r) const {
    const int spacing = GridSpacing();
    const QSize size = PictureSize();
    if (spacing < 2 || size.isEmpty()) return;
    const AreaMapping mapping = Mapping();
    // Too dense to help: no dots closer than 4 pixels on screen.
    if (mapping.ToClient(QPointF(spacing, 0)).x() - mapping.ToClient(QPointF(0, 0)).x() < 4) return;
    const QPoint from = mapping.ToPicture(r.topLeft()), to = mapping.ToPicture(r.bottomRight());
    const int left = std::max(0, from.x() / spacing * spacing);
    const int top = std::max(0, from.y() / spacing * spacing);
    QPolygon dots;
    for (int y = top; y <= std::min(to.y() + 1, size.height()); y += spacing)
        for (int x = left; x <= std::min(to.x() + 1, size.width()); x += spacing)
            dots << mapping.ToClient(QPointF(x, y)).toPoint();
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawPoints(dots);
}

void CMapView::PaintAreas(QPainter& painter, const QRect& r) const {
    const AreaMapping mapping = Mapping();
    PaintGrid(painter, r);
    const AreaStyle style{GetViewSwitch(ViewSwitch::kAreaLabels),
                          GetViewSwitch(ViewSwitch::kAreaFill)};
    if (m_bShowAreas) m_areas.Overlay().Paint(painter, mapping, r, m_areas.SelectedArea(), style);
    // The area whose handles can be dragged comes last, over the others;
    // the selected ones more strongly filled.
    std::vector<int> order;
    for (int i : m_areas.Selection())
        if (i != m_areas.SelectedArea()) order.push_back(i);
    if (m_areas.SelectedArea() >= 0) order.push_back(m_areas.SelectedArea());
    for (int i : order) {
        const AreaTag& area = m_areas.Areas()[size_t(i)];
        const std::vector<double> coords = SelectionCoords(i);
        const AreaShapeGeometry shape = GeometryOf(area.shape, coords, PictureSize());
        if (style.fill) PaintFill(painter, shape, mapping, AreaColour(i), true);
        PaintOutline(painter, shape, mapping, area.valid);
        const bool primary = i == m_areas.SelectedArea();
        PaintHandles(painter, HandlesOf(area.shape, coords), mapping,
                     primary ? SelectTool().SelectedCorner() : -1, primary);
        if (style.labels) PaintLabel(painter, shape, FirstCorner(area), mapping, i);
    }
}

int CMapView::AreaAt(QPoint client) const {
    if (!Picture() || !IsInsidePicture(client)) return -1;
    const QPointF at = Mapping().ToPictureF(client);
    return HitTestAreas(m_areas.Areas(), at.x(), at.y());
}

int CMapView::AreasUnder(QPoint client) const {
    if (!Picture() || !IsInsidePicture(client) || !viewport()->rect().contains(client)) return 0;
    const QPointF at = Mapping().ToPictureF(client);
    return int(AreasAtPoint(m_areas.Areas(), at.x(), at.y()).size());
}

std::string CMapView::HrefAt(QPoint client) const {
    if (!viewport()->rect().contains(client)) return {};
    const int hit = AreaAt(client);
    return hit >= 0 ? m_areas.Areas()[size_t(hit)].href : std::string();
}

// ---------------------------------------------------------------------------
// Commands

int CMapView::GridSpacing() const {
    return GetGridSetting() ? GetGridSpacingSetting() : 0;
}

void CMapView::OnGridChanged() {
    viewport()->update();
}

void CMapView::OnShownChanged() {
    m_bCheckerboard = GetViewSwitch(ViewSwitch::kCheckerboard);
    viewport()->update();
}
