// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/icons.h"

#include <QPainter>

#include "shell/commands.h"
#include "view/tools/tool_icon.h"

namespace {
const QColor kFolder(0xE8, 0xC0, 0x40);

void DrawFolder(QPainter& p) {
    p.setPen(IconPen(kIconInk));
    p.setBrush(kFolder);
    QPolygonF back{{1.5, 3.5}, {5.5, 3.5}, {7.5, 5.5}, {13.5, 5.5}, {13.5, 12.5}, {1.5, 12.5}};
    p.drawPolygon(back);
    p.setBrush(kFolder.lighter(120));
    QPolygonF front{{1.5, 12.5}, {3.5, 7.5}, {15.5, 7.5}, {13.5, 12.5}};
    p.drawPolygon(front);
}

void DrawOpen(QPainter& p) {
    DrawFolder(p);
    p.setPen(IconPen(kIconShape));
    p.drawLine(QPointF(10.5, 0.5), QPointF(13.5, 3.5));
    p.drawLine(QPointF(13.5, 3.5), QPointF(13.5, 1.5));
    p.drawLine(QPointF(13.5, 3.5), QPointF(11.5, 3.5));
}

void DrawAreas(QPainter& p) {
    // Two dashed outlines over a picture.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x90, 0xC0, 0xE8));
    p.drawRect(QRectF(0, 0, 16, 15));
    QPen dash = IconPen(kIconInk);
    dash.setDashPattern({2, 2});
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1.5, 1.5, 7, 6));
    p.drawEllipse(QRectF(7.5, 6.5, 7, 7));
}

void DrawZoom(QPainter& p, const QString& label) {
    p.setPen(IconPen(kIconInk));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(0.5, 0.5, 14, 13));
    QFont font = p.font();
    font.setPixelSize(label.size() > 1 ? 8 : 10);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0.5, 0.5, 14, 13), Qt::AlignCenter, label);
}

void DrawBaseFolder(QPainter& p) {
    DrawFolder(p);
    // A small house: the base of the links.
    p.setPen(IconPen(kIconInk));
    p.setBrush(Qt::white);
    QPolygonF house{{9.5, 14.5}, {9.5, 10.5}, {12, 8}, {14.5, 10.5}, {14.5, 14.5}};
    p.drawPolygon(house);
}

void DrawTransfer(QPainter& p) {
    p.setPen(IconPen(kIconInk));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 1.5, 7, 12));
    p.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
    p.drawLine(QPointF(9.5, 7.5), QPointF(12.5, 7.5));
    p.setPen(IconPen(kIconShape));
    p.setBrush(kIconShape);
    QPolygonF arrow{{0.5, 6.5}, {3.5, 6.5}, {3.5, 4}, {7, 7.5}, {3.5, 11}, {3.5, 8.5}, {0.5, 8.5}};
    p.drawPolygon(arrow);
}
}  // namespace

QIcon CommandIcon(int id) {
    switch (id) {
        case cmd::kFileOpen:
            return DrawnIcon(DrawOpen);
        case cmd::kViewAreas:
            return DrawnIcon(DrawAreas);
        case cmd::kZoomNormal:
            return DrawnIcon([](QPainter& p) { DrawZoom(p, QStringLiteral("1")); });
        case cmd::kZoomDouble:
            return DrawnIcon([](QPainter& p) { DrawZoom(p, QStringLiteral("2")); });
        case cmd::kBaseFolder:
            return DrawnIcon(DrawBaseFolder);
        case cmd::kTransfer:
            return DrawnIcon(DrawTransfer);
        default:
            return QIcon();
    }
}

static void InitResources() {
    Q_INIT_RESOURCE(zer_evizi);
}

QIcon AppIcon() {
    static const bool loaded = (InitResources(), true);
    (void)loaded;
    QIcon icon(QStringLiteral(":/icons/zer-evizi.png"));
    return icon;
}
