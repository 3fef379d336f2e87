#include <algorithm>
#include <cmath>

#include "markup/area_group.h"
#include "view/tools/map_tool.h"

QPoint SnapClient(const AreaMapping& mapping, QPoint client, int spacing) {
    if (spacing < 2) return client;
    const QPointF at = mapping.ToPictureF(client);
    const auto snap = [spacing](double v) {
        return SnapToGrid(static_cast<int>(std::clamp(std::round(v), -1e9, 1e9)), spacing);
    };
    const QPointF snapped = mapping.ToClient(QPointF(snap(at.x()), snap(at.y())));
    return QPoint(static_cast<int>(std::floor(snapped.x() + 0.5)),
                  static_cast<int>(std::floor(snapped.y() + 0.5)));
}
