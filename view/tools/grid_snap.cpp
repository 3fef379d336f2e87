// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>

#include "image/image.h"
#include "markup/area_group.h"
#include "view/tools/map_tool.h"

QPoint SnapClient(const CToolContext& context, QPoint client) {
    const int spacing = context.GridSpacing();
    const CImage* picture = context.Picture();
    if (spacing < 2 || !picture) return client;
    const AreaMapping mapping = context.Mapping();
    const QPointF at = mapping.ToPictureF(client);
    // The nearest grid line, or the one before it where that lies beyond the
    // picture's far edge.
    const auto snap = [spacing](double v, int limit) {
        int s = SnapToGrid(static_cast<int>(std::clamp(std::round(v), -1e9, 1e9)), spacing);
        if (s > limit) s = limit / spacing * spacing;
        return std::max(s, 0);
    };
    const QPointF snapped = mapping.ToClient(
        QPointF(snap(at.x(), picture->GetWidth()), snap(at.y(), picture->GetHeight())));
    return QPoint(static_cast<int>(std::floor(snapped.x() + 0.5)),
                  static_cast<int>(std::floor(snapped.y() + 0.5)));
}
