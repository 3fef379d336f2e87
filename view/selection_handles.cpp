// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/selection_handles.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// How many numbers of the list are coordinate pairs that a move shifts.
size_t PairedCount(AreaShape shape, size_t size) {
    switch (shape) {
        case AreaShape::kCircle:
            return std::min<size_t>(size, 2);
        case AreaShape::kRect:
            return std::min<size_t>(size, 4);
        case AreaShape::kPoly:
            return size - size % 2;
        case AreaShape::kDefault:
            return 0;
    }
    return 0;
}

int ToInt(double v) {
    constexpr double kMax = std::numeric_limits<int>::max() / 2;
    return static_cast<int>(std::clamp(std::round(v), -kMax, kMax));
}

}  // namespace

std::vector<AreaHandle> HandlesOf(AreaShape shape, const std::vector<double>& c) {
    std::vector<AreaHandle> h;
    if (shape == AreaShape::kRect && c.size() >= 4) {
        const double mx = (c[0] + c[2]) / 2, my = (c[1] + c[3]) / 2;
        h = {{{mx, c[1]}, -1, 1},  {{c[2], my}, 2, -1},  {{mx, c[3]}, -1, 3},
             {{c[0], my}, 0, -1},  {{c[0], c[1]}, 0, 1}, {{c[2], c[1]}, 2, 1},
             {{c[2], c[3]}, 2, 3}, {{c[0], c[3]}, 0, 3}};
    } else if (shape == AreaShape::kCircle && c.size() >= 3) {
        h = {{{c[0], c[1]}, 0, 1}, {{c[0] + c[2], c[1]}, -1, -1, true}};
    } else if (shape == AreaShape::kPoly) {
        for (size_t i = 0; i + 1 < c.size(); i += 2)
            h.push_back({{c[i], c[i + 1]}, int(i), int(i + 1)});
    }
    return h;
}

int HandleAt(const std::vector<AreaHandle>& handles, QPoint client, const AreaMapping& mapping) {
    for (int i = static_cast<int>(handles.size()) - 1; i >= 0; --i) {
        const QPointF at = mapping.ToClient(handles[static_cast<size_t>(i)].at);
        if (std::abs(client.x() - at.x()) <= kHandleSize / 2 + 1 &&
            std::abs(client.y() - at.y()) <= kHandleSize / 2 + 1)
            return i;
    }
    return -1;
}

std::vector<int> ReshapedCoords(const std::vector<double>& coords, const AreaHandle& handle,
                                QPoint to, QSize picture) {
    std::vector<int> result;
    for (double v : coords) result.push_back(ToInt(v));
    const int x = std::clamp(to.x(), 0, picture.width());
    const int y = std::clamp(to.y(), 0, picture.height());
    if (handle.radius && coords.size() >= 3) {
        const double r = std::hypot(x - coords[0], y - coords[1]);
        result[2] = std::max(1, ToInt(r));
        return result;
    }
    if (handle.xIndex >= 0 && size_t(handle.xIndex) < result.size())
        result[size_t(handle.xIndex)] = x;
    if (handle.yIndex >= 0 && size_t(handle.yIndex) < result.size())
        result[size_t(handle.yIndex)] = y;
    return result;
}

QPoint ClampMove(AreaShape shape, const std::vector<double>& c, QPoint delta, QSize picture) {
    int dx = delta.x(), dy = delta.y();
    ClampAreaMove(shape, c, picture.width(), picture.height(), dx, dy);
    return QPoint(dx, dy);
}

std::vector<double> MovedCoords(AreaShape shape, std::vector<double> coords, QPoint delta) {
    const size_t n = PairedCount(shape, coords.size());
    for (size_t i = 0; i + 1 < n; i += 2) {
        coords[i] += delta.x();
        coords[i + 1] += delta.y();
    }
    return coords;
}

void PaintHandles(QPainter& painter, const std::vector<AreaHandle>& handles,
                  const AreaMapping& mapping, int picked, bool active) {
    painter.setPen(QPen(Qt::black, 1));
    int index = 0;
    for (const AreaHandle& h : handles) {
        painter.setBrush(!active ? QColor(Qt::gray) : index++ == picked ? Qt::black : Qt::white);
        const QPointF at = mapping.ToClient(h.at);
        const QPoint corner(int(std::floor(at.x())) - kHandleSize / 2,
                            int(std::floor(at.y())) - kHandleSize / 2);
        painter.drawRect(QRect(corner, QSize(kHandleSize - 1, kHandleSize - 1)));
    }
}
