// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/area_overlay.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <iterator>

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

namespace {
QPainterPath ClientPath(const AreaShapeGeometry& g, const AreaMapping& mapping) {
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
    return path;
}
}  // namespace

QColor AreaColour(int index) {
    // Okabe and Ito's colours, black left out: it is the outline's.
    static const QRgb kPalette[] = {0xE69F00, 0x56B4E9, 0x009E73, 0xF0E442,
                                    0x0072B2, 0xD55E00, 0xCC79A7};
    constexpr int kCount = int(std::size(kPalette));
    return QColor(kPalette[((index % kCount) + kCount) % kCount]);
}

void PaintFill(QPainter& painter, const AreaShapeGeometry& g, const AreaMapping& mapping,
               const QColor& colour, bool strong) {
    if (g.kind == AreaShapeGeometry::kNone) return;
    QColor tint = colour;
    tint.setAlpha(strong ? 110 : 50);
    painter.fillPath(ClientPath(g, mapping), tint);
}

QPointF FirstCorner(const AreaTag& area) {
    if (area.shape == AreaShape::kDefault || area.coords.size() < 2) return QPointF(0, 0);
    return QPointF(area.coords[0], area.coords[1]);
}

void PaintLabel(QPainter& painter, const AreaShapeGeometry& g, QPointF corner,
                const AreaMapping& mapping, int index) {
    if (g.kind == AreaShapeGeometry::kNone) return;
    const QString text = QString::number(index + 1);
    const QFontMetrics metrics = painter.fontMetrics();
    const QSize size(metrics.horizontalAdvance(text) + 4, metrics.height());
    // Towards the middle of the area from its corner.
    const QPointF middle = mapping.ToClient(PictureBounds(g).center());
    const QPointF at = mapping.ToClient(corner);
    const QPoint topLeft(
        int(std::floor(at.x() <= middle.x() ? at.x() + 2 : at.x() - 2 - size.width())),
        int(std::floor(at.y() <= middle.y() ? at.y() + 2 : at.y() - 2 - size.height())));
    const QRect box(topLeft, size);
    const QColor colour = AreaColour(index);
    painter.fillRect(box, colour);
    painter.setPen(colour.lightness() > 140 ? Qt::black : Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
}

void PaintOutline(QPainter& painter, const AreaShapeGeometry& g, const AreaMapping& mapping,
                  bool valid) {
    if (g.kind == AreaShapeGeometry::kNone) return;
    const QPainterPath path = ClientPath(g, mapping);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawPath(path);
    painter.setPen(DashPen(valid ? Qt::black : QColor(0xE0, 0x10, 0x10)));
    painter.drawPath(path);
}

namespace {
bool SameShape(const AreaShapeGeometry& a, const AreaShapeGeometry& b) {
    return a.kind == b.kind && a.points == b.points && a.centre == b.centre && a.radius == b.radius;
}
}  // namespace

QRectF CAreaOverlay::SetAreas(std::vector<AreaTag> areas, QSize picture, size_t kept) {
    m_areas = std::move(areas);
    kept = std::min({kept, m_geometry.size(), m_areas.size()});
    std::vector<AreaShapeGeometry> before = std::move(m_geometry);
    std::vector<QRectF> beforeBounds = std::move(m_bounds);
    std::vector<bool> beforeValid = std::move(m_valid);
    m_geometry.assign(std::make_move_iterator(before.begin()),
                      std::make_move_iterator(before.begin() + ptrdiff_t(kept)));
    m_bounds.assign(beforeBounds.begin(), beforeBounds.begin() + ptrdiff_t(kept));
    m_valid.assign(beforeValid.begin(), beforeValid.begin() + ptrdiff_t(kept));
    QRectF changed;
    const auto add = [&changed](const AreaShapeGeometry& g, const QRectF& bounds) {
        if (g.kind == AreaShapeGeometry::kNone) return;
        // A flat rectangle has no area yet shows: a pixel's width at least.
        changed |= bounds.adjusted(0, 0, bounds.width() > 0 ? 0 : 1, bounds.height() > 0 ? 0 : 1);
    };
    for (size_t i = kept; i < m_areas.size(); ++i) {
        m_geometry.push_back(GeometryOf(m_areas[i].shape, m_areas[i].coords, picture));
        m_bounds.push_back(PictureBounds(m_geometry.back()));
        m_valid.push_back(m_areas[i].valid);
        const bool same = i < before.size() && beforeValid[i] == m_valid[i] &&
                          SameShape(before[i], m_geometry[i]);
        if (same) continue;
        add(m_geometry[i], m_bounds[i]);
        if (i < before.size()) add(before[i], beforeBounds[i]);
    }
    for (size_t i = std::max(kept, m_areas.size()); i < before.size(); ++i)
        add(before[i], beforeBounds[i]);
    return changed;
}

void CAreaOverlay::Paint(QPainter& painter, const AreaMapping& mapping, const QRect& clip, int skip,
                         AreaStyle style) const {
    // The clip in picture coordinates, a pixel to spare for the pen.
    const double z = mapping.zoom.Factor();
    const QRectF visible((clip.left() + mapping.scroll.x() - 2) / z,
                         (clip.top() + mapping.scroll.y() - 2) / z, (clip.width() + 4) / z,
                         (clip.height() + 4) / z);
    const auto shown = [&](size_t i) {
        const QRectF& b = m_bounds[i];
        // Touching, not intersecting: a flat rectangle has no area yet shows.
        return m_geometry[i].kind != AreaShapeGeometry::kNone && b.right() >= visible.left() &&
               b.left() <= visible.right() && b.bottom() >= visible.top() &&
               b.top() <= visible.bottom();
    };
    for (size_t i = 0; i < m_areas.size(); ++i) {
        if (static_cast<int>(i) == skip || !shown(i)) continue;
        if (style.fill) PaintFill(painter, m_geometry[i], mapping, AreaColour(int(i)), false);
        PaintOutline(painter, m_geometry[i], mapping, m_areas[i].valid);
    }
    // Numbers over every outline, so that none hides one.
    for (size_t i = 0; i < m_areas.size() && style.labels; ++i)
        if (shown(i)) PaintLabel(painter, m_geometry[i], FirstCorner(m_areas[i]), mapping, int(i));
}
