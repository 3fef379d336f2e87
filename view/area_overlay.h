// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The areas of the pane text drawn over the picture. Each valid area gets a
// dashed outline in black over white, which shows on any picture; an invalid
// one (the browser would ignore it) gets red dashes wherever its numbers
// still make a shape. Each may also show its number and a light fill in a
// colour of its own. Painting touches only the areas that meet the
// rectangle being painted.

#include <QColor>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <vector>

#include "markup/area_model.h"
#include "view/view_mapping.h"

class QPainter;

// An area's shape in picture coordinates, as far as its numbers give one.
struct AreaShapeGeometry {
    enum Kind { kNone, kPolygon, kCircle } kind = kNone;
    std::vector<QPointF> points;  // polygon (a rectangle as four corners)
    QPointF centre;               // circle
    double radius = 0;
};

// The geometry of `shape` with `coords`; a default area is the whole picture.
// Numbers beyond what the shape uses are ignored, and so is a polygon's odd
// last one, so that an invalid area can still be shown.
AreaShapeGeometry GeometryOf(AreaShape shape, const std::vector<double>& coords, QSize picture);

// The client rectangle that holds a geometry's outline, `margin` pixels to
// spare on each side.
QRect ClientBounds(const AreaShapeGeometry& geometry, const AreaMapping& mapping, int margin);

// Draws one outline in client coordinates: black dashes over white, or red
// dashes over white when `valid` is false.
void PaintOutline(QPainter& painter, const AreaShapeGeometry& geometry, const AreaMapping& mapping,
                  bool valid);

// What is drawn of each area besides its outline.
struct AreaStyle {
    bool labels = true;  // its number (the area list's) at its first corner
    bool fill = true;    // a light fill in its colour
};
// The colour of area `index` (0-based), from a small palette of colours
// that stay apart for most eyes, colour-blind ones included.
QColor AreaColour(int index);
// A geometry filled in `colour`, lightly, or more strongly when `strong`.
void PaintFill(QPainter& painter, const AreaShapeGeometry& geometry, const AreaMapping& mapping,
               const QColor& colour, bool strong);
// The number of area `index` in a small box of its colour, at the corner
// `corner` (picture coordinates) of `geometry`, on the inner side of it so
// that it stays within the area's bounds.
void PaintLabel(QPainter& painter, const AreaShapeGeometry& geometry, QPointF corner,
                const AreaMapping& mapping, int index);
// The first corner of an area: its first pair of numbers (a circle's
// centre), the top-left corner for a default area.
QPointF FirstCorner(const AreaTag& area);

// The parsed areas of the pane and their shapes, kept from one parse to the
// next.
class CAreaOverlay {
public:
    // `kept`: how many leading areas are those of the last call, unchanged,
    // whose shapes stand as they were. Returns what must be painted again:
    // the bounds (picture coordinates), before and after, of each area whose
    // outline, validity or number changed; empty when an edit changed none
    // (typing in an alt or href).
    QRectF SetAreas(std::vector<AreaTag> areas, QSize picture, size_t kept = 0);
    const std::vector<AreaTag>& Areas() const { return m_areas; }
    // Hands the areas over for a new SetAreas, which must follow.
    std::vector<AreaTag> TakeAreas() { return std::move(m_areas); }
    const AreaShapeGeometry& Geometry(int index) const {
        return m_geometry[static_cast<size_t>(index)];
    }
    int Count() const { return static_cast<int>(m_areas.size()); }

    // Outlines every area but `skip` that meets `clip` (client coordinates),
    // with its fill and number as `style` says.
    void Paint(QPainter& painter, const AreaMapping& mapping, const QRect& clip, int skip,
               AreaStyle style = {}) const;

private:
    std::vector<AreaTag> m_areas;
    std::vector<AreaShapeGeometry> m_geometry;
    std::vector<QRectF> m_bounds;  // picture coordinates, for a quick reject
    std::vector<bool> m_valid;     // of the areas last set, kept for the comparison
};
