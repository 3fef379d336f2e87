// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/tools/tool_icon.h"

#include <QPainter>
#include <QPixmap>

namespace {

// One pixmap at `scale`, drawn in the 16 x 15 logical grid. Lines sit on
// pixel centres at 1x; at 2x the same coordinates give 2-pixel lines.
QPixmap Render(const std::function<void(QPainter&)>& draw, int scale) {
    QPixmap pixmap(kToolIconWidth * scale, kToolIconHeight * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, scale > 1);
    painter.scale(scale, scale);
    draw(painter);
    painter.end();
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

}  // namespace

QIcon DrawnIcon(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    icon.addPixmap(Render(draw, 1));
    icon.addPixmap(Render(draw, 2));
    return icon;
}

QPen IconPen(const QColor& color) {
    QPen pen(color, 1.0);
    pen.setCosmetic(false);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}
