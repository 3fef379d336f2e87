#include "view/view_mapping.h"

#include <algorithm>
#include <cstdint>

namespace {

int Narrow(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

QPoint AreaMapping::ToPicture(QPoint client) const {
    const int z = std::max(zoom, 1);
    const auto down = [z](int v) { return v >= 0 ? v / z : -((-v + z - 1) / z); };
    return QPoint(down(client.x() + scroll.x()), down(client.y() + scroll.y()));
}

QPoint AreaMapping::ToClient(const PlacedPoint& p) const {
    if (p.zoom == zoom)
        return QPoint(Narrow(int64_t{p.client.x()} + p.scroll.x() - scroll.x()),
                      Narrow(int64_t{p.client.y()} + p.scroll.y() - scroll.y()));
    const QPoint picture = ToPicture(p);
    return QPoint(Narrow(int64_t{picture.x()} * zoom - scroll.x()),
                  Narrow(int64_t{picture.y()} * zoom - scroll.y()));
}
