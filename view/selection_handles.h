// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The handles of the selected area and what dragging them does: a
// rectangle's corners and edge midpoints, a circle's centre and a point on
// its right edge for the radius, a polygon's vertices. Every result is in
// whole picture pixels inside the picture.

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <vector>

#include "markup/area_model.h"
#include "view/area_overlay.h"

class QPainter;

struct AreaHandle {
    QPointF at;           // picture coordinates
    int xIndex = -1;      // the coordinate a horizontal drag sets; -1: none
    int yIndex = -1;      // the coordinate a vertical drag sets; -1: none
    bool radius = false;  // a circle's radius: the distance from the centre
};

// Handle squares are this many client pixels wide.
constexpr int kHandleSize = 7;

std::vector<AreaHandle> HandlesOf(AreaShape shape, const std::vector<double>& coords);

// The handle under a client point, the last one drawn winning; -1 for none.
int HandleAt(const std::vector<AreaHandle>& handles, QPoint client, const AreaMapping& mapping);

// The coordinates after handle `handle` has been dragged to picture pixel
// `to`, clamped into the picture (0 to its width and height); a radius is
// the rounded distance, at least 1.
std::vector<int> ReshapedCoords(const std::vector<double>& coords, const AreaHandle& handle,
                                QPoint to, QSize picture);

// The move (dx, dy) in picture pixels, cut short so that no coordinate pair
// leaves the picture; an area already partly outside may still move back in
// but no further out.
QPoint ClampMove(AreaShape shape, const std::vector<double>& coords, QPoint delta, QSize picture);

// Coordinates moved by (dx, dy): every pair, a circle's centre only.
std::vector<double> MovedCoords(AreaShape shape, std::vector<double> coords, QPoint delta);

// Handles as white squares; `picked` (-1: none) filled black. Without
// `active` (an area selected with others, whose handles do not drag) all are
// grey.
void PaintHandles(QPainter& painter, const std::vector<AreaHandle>& handles,
                  const AreaMapping& mapping, int picked = -1, bool active = true);
