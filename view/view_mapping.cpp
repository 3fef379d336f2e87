// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/view_mapping.h"

#include <algorithm>
#include <cstdint>

namespace {

int Narrow(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

QPoint AreaMapping::ToPicture(QPoint client) const {
    return QPoint(Narrow(zoom.ToPicture(int64_t{client.x()} + scroll.x())),
                  Narrow(zoom.ToPicture(int64_t{client.y()} + scroll.y())));
}

QPoint AreaMapping::ToClientPixel(QPoint picture) const {
    return QPoint(Narrow(zoom.ToView(picture.x()) - scroll.x()),
                  Narrow(zoom.ToView(picture.y()) - scroll.y()));
}

QPoint AreaMapping::ToClient(const PlacedPoint& p) const {
    if (p.zoom == zoom)
        return QPoint(Narrow(int64_t{p.client.x()} + p.scroll.x() - scroll.x()),
                      Narrow(int64_t{p.client.y()} + p.scroll.y() - scroll.y()));
    return ToClientPixel(ToPicture(p));
}
