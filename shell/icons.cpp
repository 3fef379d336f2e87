// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

#include "shell/commands.h"

namespace {
using Draw = std::function<void(QPainter&)>;

const QColor kInk(0x20, 0x20, 0x20);
const QColor kFolder(0xE8, 0xC0, 0x40);
const QColor kShape(0x30, 0x70, 0xD0);

// One pixmap at `scale`, drawn in the 16 x 15 logical grid. Lines sit on
// pixel centres at 1x; at 2x the same coordinates give 2-pixel lines.
QPixmap Render(const Draw& draw, int scale) {
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

QIcon Make(const Draw& draw) {
    QIcon icon;
    icon.addPixmap(Render(draw, 1));
    icon.addPixmap(Render(draw, 2));
    return icon;
}

QPen Pen(const QColor& color) {
    QPen pen(color, 1.0);
    pen.setCosmetic(false);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void DrawFolder(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(kFolder);
    QPolygonF back{{1.5, 3.5}, {5.5, 3.5}, {7.5, 5.5}, {13.5, 5.5}, {13.5, 12.5}, {1.5, 12.5}};
    p.drawPolygon(back);
    p.setBrush(kFolder.lighter(120));
    QPolygonF front{{1.5, 12.5}, {3.5, 7.5}, {15.5, 7.5}, {13.5, 12.5}};
    p.drawPolygon(front);
}

void DrawOpen(QPainter& p) {
    DrawFolder(p);
    p.setPen(Pen(kShape));
    p.drawLine(QPointF(10.5, 0.5), QPointF(13.5, 3.5));
    p.drawLine(QPointF(13.5, 3.5), QPointF(13.5, 1.5));
    p.drawLine(QPointF(13.5, 3.5), QPointF(11.5, 3.5));
}

void DrawCircle(QPainter& p) {
    p.setPen(Pen(kShape));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2.5, 2, 11, 11));
}

void DrawRect(QPainter& p) {
    p.setPen(Pen(kShape));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2.5, 3.5, 11, 8));
}

void DrawPolygon(QPainter& p) {
    p.setPen(Pen(kShape));
    p.setBrush(Qt::NoBrush);
    QPolygonF shape{{2.5, 12.5}, {4.5, 2.5}, {9.5, 6.5}, {13.5, 1.5}, {13.5, 12.5}};
    p.drawPolygon(shape);
}

void DrawSelect(QPainter& p) {
    // A mouse pointer.
    p.setPen(Pen(kInk));
    p.setBrush(Qt::white);
    QPolygonF arrow{{4.5, 1.5}, {4.5, 12.5}, {7, 10}, {9, 14.5}, {11, 13.5}, {9, 9.5}, {12.5, 9.5}};
    p.drawPolygon(arrow);
}

void DrawAreas(QPainter& p) {
    // Two dashed outlines over a picture.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x90, 0xC0, 0xE8));
    p.drawRect(QRectF(0, 0, 16, 15));
    QPen dash = Pen(kInk);
    dash.setDashPattern({2, 2});
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1.5, 1.5, 7, 6));
    p.drawEllipse(QRectF(7.5, 6.5, 7, 7));
}

// A patch of colour with a traced outline around it and a pointer on it.
void DrawTrace(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kShape.lighter(160));
    QPolygonF patch{{2.5, 9.5}, {3.5, 3.5}, {7.5, 1.5}, {12.5, 3.5}, {13.5, 8.5}, {9.5, 12.5}};
    p.drawPolygon(patch);
    p.setPen(Pen(kShape));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(patch);
    p.setPen(Pen(kInk));
    p.setBrush(Qt::white);
    QPolygonF pointer{{7.5, 6.5}, {7.5, 13.5}, {9.5, 11.5}, {11, 14.5},
                      {12, 14},   {10.5, 11},  {13, 11}};
    p.drawPolygon(pointer);
}

void DrawZoom(QPainter& p, const QString& label) {
    p.setPen(Pen(kInk));
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
    p.setPen(Pen(kInk));
    p.setBrush(Qt::white);
    QPolygonF house{{9.5, 14.5}, {9.5, 10.5}, {12, 8}, {14.5, 10.5}, {14.5, 14.5}};
    p.drawPolygon(house);
}

void DrawTransfer(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 1.5, 7, 12));
    p.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
    p.drawLine(QPointF(9.5, 7.5), QPointF(12.5, 7.5));
    p.setPen(Pen(kShape));
    p.setBrush(kShape);
    QPolygonF arrow{{0.5, 6.5}, {3.5, 6.5}, {3.5, 4}, {7, 7.5}, {3.5, 11}, {3.5, 8.5}, {0.5, 8.5}};
    p.drawPolygon(arrow);
}
}  // namespace

QIcon CommandIcon(int id) {
    switch (id) {
        case cmd::kFileOpen:
            return Make(DrawOpen);
        case cmd::kToolCircle:
            return Make(DrawCircle);
        case cmd::kToolRect:
            return Make(DrawRect);
        case cmd::kToolPolygon:
            return Make(DrawPolygon);
        case cmd::kToolTrace:
            return Make(DrawTrace);
        case cmd::kToolSelect:
            return Make(DrawSelect);
        case cmd::kViewAreas:
            return Make(DrawAreas);
        case cmd::kZoomNormal:
            return Make([](QPainter& p) { DrawZoom(p, QStringLiteral("1")); });
        case cmd::kZoomDouble:
            return Make([](QPainter& p) { DrawZoom(p, QStringLiteral("2")); });
        case cmd::kBaseFolder:
            return Make(DrawBaseFolder);
        case cmd::kTransfer:
            return Make(DrawTransfer);
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
