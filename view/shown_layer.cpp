// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/shown_layer.h"

#include <cstddef>

#include "image/view_render.h"
#include "view/picture_cache.h"

namespace {

// Pixels of a client rectangle in a block: `pixels` is the rectangle's
// top-left one, `stride` pixels a row.
struct ClientBlock {
    uint32_t* pixels;
    qsizetype stride;
    QRect r;
    uint32_t* Row(int y) const {  // indexed by client x
        return pixels + static_cast<ptrdiff_t>(y - r.top()) * stride - r.left();
    }
};

// Darkens the rows and columns of `covered` that lie between picture pixels
// shown `z` client pixels wide.
void PixelGrid(const ClientBlock& block, const QRect& covered, QPoint scroll, int z) {
    const auto grid = [](uint32_t& p) { p = ((p >> 1) & 0x7f7f7fu) + 0xff404040u; };
    for (int y = covered.top(); y <= covered.bottom(); ++y) {
        uint32_t* out = block.Row(y);
        if ((y + scroll.y()) % z == 0) {
            for (int x = covered.left(); x <= covered.right(); ++x) grid(out[x]);
            continue;
        }
        int x = covered.left() + (z - (covered.left() + scroll.x()) % z) % z;
        for (; x <= covered.right(); x += z) grid(out[x]);
    }
}

// A black line along the row just below and the column just right of the
// picture as it lies unscrolled, `total` client pixels large.
void EdgeLine(const ClientBlock& block, QSize total) {
    const uint32_t black = 0xff000000u;
    const QRect bottomLine = QRect(0, total.height(), total.width(), 1) & block.r;
    for (int x = bottomLine.left(); x <= bottomLine.right(); ++x)
        block.Row(bottomLine.top())[x] = black;
    const QRect rightLine = QRect(total.width(), 0, 1, total.height() + 1) & block.r;
    for (int y = rightLine.top(); y <= rightLine.bottom(); ++y)
        block.Row(y)[rightLine.left()] = black;
}

}  // namespace

void ComposeShown(const ShownLayer& layer, const QRect& r, uint32_t* block, qsizetype stride) {
    const QPoint scroll = layer.scroll;
    const QSize total = layer.total;
    const uint32_t bg = layer.background | 0xff000000u;
    const QRect pictureRect(-scroll.x(), -scroll.y(), total.width(), total.height());
    const QRect covered = layer.cache.HasRows() ? (r & pictureRect) : QRect();
    const ClientBlock out{block, stride, r};
    // The window colour around the picture, each row written once from
    // left to right.
    const auto fill = [bg](uint32_t* from, uint32_t* to) {
        if (to > from) FillPixels(from, static_cast<size_t>(to - from), bg);
    };
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uint32_t* row = out.Row(y);
        if (covered.isEmpty() || y < covered.top() || y > covered.bottom()) {
            fill(row + r.left(), row + r.right() + 1);
            continue;
        }
        fill(row + r.left(), row + covered.left());
        fill(row + covered.right() + 1, row + r.right() + 1);
    }
    if (covered.isEmpty()) return EdgeLine(out, total);
    layer.cache.Render(layer.zoom, scroll, total, covered, out.Row(covered.top()) + covered.left(),
                       stride, layer.background);
    // A thin grid between the picture's pixels when they are large.
    if (layer.pixelGrid) PixelGrid(out, covered, scroll, layer.zoom.num);
    EdgeLine(out, total);
}
