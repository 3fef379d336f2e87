// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's picture layer as last put together (the window colour, the
// picture at its zoom, the pixel grid and the edge line; nothing drawn over
// them), one 32-bit pixel for each of the window's. A repaint while nothing
// shown changed is one copy from it, and a scroll puts together only the
// strip it uncovers. View pixel (x, y), counted from the picture's top-left
// corner at its zoom, lies at ((x - x0) mod width, (y - y0) mod height),
// (x0, y0) being the window's top-left pixel when the block was last put
// together whole, so that a full repaint then copies each row in one piece.
// A scroll reuses the places of the pixels that left the window for those
// that came in, and nothing is moved. It costs four bytes a pixel of the window (8.3 MB at
// 1920 x 1080) and is made again whenever anything it depends on changes.

#include <QRect>
#include <QRegion>
#include <QSize>
#include <algorithm>
#include <cstdint>
#include <memory>

#include "image/zoom_scale.h"

class ShownBlock {
public:
    // Everything the pixels depend on besides the view position.
    struct Key {
        uint64_t generation = 0;  // of the picture's pixels
        ZoomScale zoom;
        QSize total;  // the picture's size at the zoom
        uint32_t background = 0;
        bool checkerboard = false;
        bool pixelGrid = false;
        bool halvedCopies = false;  // below actual size, made from the pyramid
        bool operator==(const Key& o) const;
    };

    // Readies the block to show `window` (view pixels: the scroll position
    // and the viewport's size) as `key` says. Everything is forgotten when
    // the key or the window's size changed, else what is still inside the
    // window is kept. Answers the view rectangles the caller must put
    // together now (PutTogether) to have the whole window.
    QRegion Prepare(const Key& key, const QRect& window);
    // Forgets every pixel; with `release`, gives back the memory too.
    void Forget(bool release = false);

    // Calls `make(piece, pixels, stride)` for each part of view rectangle
    // `view` (inside the window last prepared) that lies in the block in one
    // piece: `pixels` is the piece's top-left pixel, `stride` pixels a row.
    template <class Make>
    void PutTogether(const QRect& view, Make&& make);
    // Copies view rectangle `view` (inside the window last prepared) to
    // `out` (its top-left pixel, `stride` pixels a row), each row whole
    // before the next: where the block wraps, a row's two parts follow each
    // other (all rows of one part and then the other's made a full repaint
    // a third slower).
    void CopyTo(const QRect& view, uint32_t* out, qsizetype stride) const;

private:
    // Calls `piece(part, offset)` for the up to four parts of `view` that do
    // not wrap, `offset` being the part's top-left pixel's place in the block.
    template <class Piece>
    void Pieces(const QRect& view, Piece&& piece) const;
    // Where view coordinate `v` lies in the block along an axis of `size`
    // pixels whose first holds view coordinate `origin`.
    static int Wrap(int v, int origin, int size) { return ((v - origin) % size + size) % size; }

    Key m_key;
    QSize m_size;
    QRect m_valid;    // the view pixels the block holds
    QPoint m_origin;  // the view pixel kept at the block's first
    std::unique_ptr<uint32_t[]> m_pixels;
};

template <class Piece>
void ShownBlock::Pieces(const QRect& view, Piece&& piece) const {
    const int w = m_size.width(), h = m_size.height();
    if (w <= 0 || h <= 0 || view.isEmpty()) return;
    // Along each axis one part, or two where the rectangle wraps.
    const auto split = [](int from, int length, int size, int origin, int parts[2][3]) {
        const int at = Wrap(from, origin, size);
        const int first = std::min(length, size - at);
        parts[0][0] = from, parts[0][1] = first, parts[0][2] = at;
        parts[1][0] = from + first, parts[1][1] = length - first, parts[1][2] = 0;
    };
    int across[2][3], down[2][3];
    split(view.left(), view.width(), w, m_origin.x(), across);
    split(view.top(), view.height(), h, m_origin.y(), down);
    for (const auto& y : down) {
        if (y[1] <= 0) continue;
        for (const auto& x : across) {
            if (x[1] <= 0) continue;
            piece(QRect(x[0], y[0], x[1], y[1]), static_cast<ptrdiff_t>(y[2]) * w + x[2]);
        }
    }
}

template <class Make>
void ShownBlock::PutTogether(const QRect& view, Make&& make) {
    Pieces(view, [&](const QRect& part, ptrdiff_t offset) {
        make(part, m_pixels.get() + offset, qsizetype{m_size.width()});
    });
}
