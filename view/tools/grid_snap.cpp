// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>
#include <optional>

#include "image/image.h"
#include "markup/area_group.h"
#include "view/tools/map_tool.h"

namespace {
// The grid point nearest to `client`, in picture pixels; none without a
// grid or a picture.
std::optional<QPoint> GridPoint(const CToolContext& context, QPoint client) {
    const int spacing = context.GridSpacing();
    const CImage* picture = context.Picture();
    if (spacing < 2 || !picture) return std::nullopt;
    const QPointF at = context.Mapping().ToPictureF(client);
    // The nearest grid line, or the one before it where that lies beyond the
    // picture's far edge.
    const auto snap = [spacing](double v, int limit) {
        int s = SnapToGrid(static_cast<int>(std::clamp(std::round(v), -1e9, 1e9)), spacing);
        if (s > limit) s = limit / spacing * spacing;
        return std::max(s, 0);
    };
    return QPoint(snap(at.x(), picture->GetWidth()), snap(at.y(), picture->GetHeight()));
}
}  // namespace

QPoint SnapClient(const CToolContext& context, QPoint client) {
    const std::optional<QPoint> grid = GridPoint(context, client);
    if (!grid) return client;
    const QPointF snapped = context.Mapping().ToClient(QPointF(*grid));
    return QPoint(static_cast<int>(std::floor(snapped.x() + 0.5)),
                  static_cast<int>(std::floor(snapped.y() + 0.5)));
}

QPoint SnapPicture(const CToolContext& context, QPoint client) {
    return GridPoint(context, client).value_or(context.Mapping().ToPicture(client));
}

PlacedPoint SnapPlace(const CToolContext& context, QPoint client, QPoint shown) {
    PlacedPoint placed = context.Mapping().Place(shown);
    const std::optional<QPoint> grid = GridPoint(context, client);
    if (grid && SnapClient(context, client) == shown) {
        placed.snapped = true;
        placed.picture = *grid;
    }
    return placed;
}

bool AnySnapped(const PlacedPoint* points, int count) {
    return std::any_of(points, points + count, [](const PlacedPoint& p) { return p.snapped; });
}
