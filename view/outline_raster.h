// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pixels of a tool's outline (a circle, or lines through points) as the
// view draws them, exclusive-or with white over the composed picture, and
// the regions to paint again when an outline changes. Every pixel is given
// in closed form, so that any part of an outline drawn on its own comes out
// the same as the whole.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <cstdint>
#include <vector>

#include "view/tools/map_tool.h"

class QPainter;

// One line of an outline, from a to b (b itself not drawn), and its box.
struct Segment {
    QPoint a, b;
    QRect box;
    bool operator<(const Segment& o) const;
};

// The pixels of an outline that fall in `bounds`, found once for every
// rectangle of a paint.
struct OutlinePixels {
    std::vector<QPoint> circle;  // sorted by row
    std::vector<Segment> segments;

    OutlinePixels(const ToolOutline& outline, const QRect& bounds);
    bool Empty() const { return circle.empty() && segments.empty(); }
    // Inverts the outline's pixels in client rectangle r of `block` (its
    // top-left pixel, `stride` pixels a row).
    void Invert(const QRect& r, uint32_t* block, qsizetype stride) const;
};

// The region an outline covers; empty for none.
QRegion OutlineArea(const ToolOutline& outline);
// The region that differs between two outlines: of lines, only the
// segments that moved.
QRegion OutlineChange(const ToolOutline& before, const ToolOutline& after);

// The window's pixels the painter draws into, when they are 32-bit pixels
// at one device pixel a client pixel, reached by a whole-pixel shift
// (`offset`, client to image); else null.
const QImage* WindowPixels(QPainter& painter, QPoint* offset);
