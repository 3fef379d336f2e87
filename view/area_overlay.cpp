// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/area_overlay.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

// Dashes of four pixels: the white pen lays the gaps, the dark one the dashes.
QPen DashPen(const QColor& color) {
    QPen pen(color, 1);
    pen.setCosmetic(true);
    pen.setDashPattern({4, 4});
    return pen;
}

QRectF PictureBounds(const AreaShapeGeometry& g) {
    if (g.kind == AreaShapeGeometry::kCircle)
        return QRectF(g.centre.x() - g.radius, g.centre.y() - g.radius, 2 * g.radius, 2 * g.radius);
    if (g.kind == AreaShapeGeometry::kPolygon && !g.points.empty())
        return QPolygonF(QList<QPointF>(g.points.begin(), g.points.end())).boundingRect();
    return QRectF();
}

}  // namespace

AreaShapeGeometry GeometryOf(AreaShape shape, const std::vector<double>& c, QSize picture) {
    AreaShapeGeometry g;
    switch (shape) {
        case AreaShape::kDefault:
            g.kind = AreaShapeGeometry::kPolygon;
            g.points = {{0, 0},
                        {double(picture.width()), 0},
                        {double(picture.width()), double(picture.height())},
                        {0, double(picture.height())}};
            break;
        case AreaShape::kRect:
            if (c.size() < 4) break;
            g.kind = AreaShapeGeometry::kPolygon;
            g.points = {{c[0], c[1]}, {c[2], c[1]}, {c[2], c[3]}, {c[0], c[3]}};
            break;
        case AreaShape::kCircle:
            if (c.size() < 3) break;
            g.kind = AreaShapeGeometry::kCircle;
            g.centre = QPointF(c[0], c[1]);
            g.radius = std::max(0.0, c[2]);
            break;
        case AreaShape::kPoly:
            if (c.size() < 4) break;
            g.kind = AreaShapeGeometry::kPolygon;
            for (size_t i = 0; i + 1 < c.size(); i += 2) g.points.emplace_back(c[i], c[i + 1]);
            break;
    }
    // Numbers too large to draw are left out rather than overflowing.
    constexpr double kLimit = 1e7;
    const auto sane = [](QPointF p) {
        return std::abs(p.x()) < kLimit && std::abs(p.y()) < kLimit;
    };
    if (!std::all_of(g.points.begin(), g.points.end(), sane) || !sane(g.centre) ||
        g.radius >= kLimit)
        g = AreaShapeGeometry();
    return g;
}

QRect ClientBounds(const AreaShapeGeometry& g, const AreaMapping& mapping, int margin) {
    const QRectF b = PictureBounds(g);
    if (g.kind == AreaShapeGeometry::kNone) return QRect();
    const QPointF a = mapping.ToClient(b.topLeft()), z = mapping.ToClient(b.bottomRight());
    return QRect(QPoint(int(std::floor(a.x())), int(std::floor(a.y()))),
                 QPoint(int(std::ceil(z.x())), int(std::ceil(z.y()))))
        .adjusted(-margin, -margin, margin, margin);
}

void PaintOutline(QPainter& painter, const AreaShapeGeometry& g, const AreaMapping& mapping,
                  bool valid) {
    if (g.kind == AreaShapeGeometry::kNone) return;
    QPainterPath path;
    if (g.kind == AreaShapeGeometry::kCircle) {
        const double r = mapping.ToClientLength(g.radius);
        path.addEllipse(mapping.ToClient(g.centre), r, r);
    } else {
        QPolygonF polygon;
        for (const QPointF& p : g.points) polygon << mapping.ToClient(p);
        if (polygon.size() > 2) polygon << polygon.front();
        path.addPolygon(polygon);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawPath(path);
    painter.setPen(DashPen(valid ? Qt::black : QColor(0xE0, 0x10, 0x10)));
    painter.drawPath(path);
}

void CAreaOverlay::SetAreas(std::vector<AreaTag> areas, QSize picture, size_t kept) {
    m_areas = std::move(areas);
    kept = std::min({kept, m_geometry.size(), m_areas.size()});
    m_geometry.resize(kept);
    m_bounds.resize(kept);
    for (size_t i = kept; i < m_areas.size(); ++i) {
        m_geometry.push_back(GeometryOf(m_areas[i].shape, m_areas[i].coords, picture));
        m_bounds.push_back(PictureBounds(m_geometry.back()));
    }
}

void CAreaOverlay::Paint(QPainter& painter, const AreaMapping& mapping, const QRect& clip,
                         int skip) const {
    // The clip in picture coordinates, a pixel to spare for the pen.
    const double z = mapping.zoom.Factor();
    const QRectF visible((clip.left() + mapping.scroll.x() - 2) / z,
                         (clip.top() + mapping.scroll.y() - 2) / z, (clip.width() + 4) / z,
                         (clip.height() + 4) / z);
    for (size_t i = 0; i < m_areas.size(); ++i) {
        if (static_cast<int>(i) == skip || m_geometry[i].kind == AreaShapeGeometry::kNone) continue;
        const QRectF& b = m_bounds[i];
        // Touching, not intersecting: a flat rectangle has no area yet shows.
        if (b.right() < visible.left() || b.left() > visible.right() ||
            b.bottom() < visible.top() || b.top() > visible.bottom())
            continue;
        PaintOutline(painter, m_geometry[i], mapping, m_areas[i].valid);
    }
}
