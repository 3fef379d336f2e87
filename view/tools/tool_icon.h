// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Toolbar icons, drawn in code on a grid of 16 x 15 logical pixels, at that
// size and again at twice it so that they stay crisp on high-density
// screens.

#include <QColor>
#include <QIcon>
#include <QPen>
#include <functional>

class QPainter;

constexpr int kToolIconWidth = 16;
constexpr int kToolIconHeight = 15;

// Outlines and the shapes an icon shows.
inline const QColor kIconInk{0x20, 0x20, 0x20};
inline const QColor kIconShape{0x30, 0x70, 0xD0};

// The icon that `draw` paints on the grid.
QIcon DrawnIcon(const std::function<void(QPainter&)>& draw);
// A line one grid pixel wide, with mitred corners.
QPen IconPen(const QColor& color);
