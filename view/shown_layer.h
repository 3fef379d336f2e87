// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's picture layer put together at 1:1 for one client rectangle:
// the window colour around the picture, the picture at its zoom, the grid
// between large pixels and the edge line along the picture's bottom and
// right side. What is drawn over it (the areas, the tools' outlines) is the
// view's.

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <cstdint>

#include "image/zoom_scale.h"

class CPictureCache;

struct ShownLayer {
    CPictureCache& cache;
    ZoomScale zoom;
    QPoint scroll;    // the view's scroll position
    QSize total;      // the picture's size at the zoom
    QRgb background;  // the window colour
    bool pixelGrid;   // whether the grid between the picture's pixels shows
};

// Puts client rectangle `r` together in `block` (its top-left pixel,
// `stride` pixels a row).
void ComposeShown(const ShownLayer& layer, const QRect& r, uint32_t* block, qsizetype stride);
