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
// that came in, and nothing is moved. Where the processor spreads three
// bytes to four quickly (image/bgr_rows.h) the block keeps three bytes a
// pixel, 6.2 MB at 1920 x 1080, and a repaint reads a quarter fewer; else
// four, 8.3 MB. It is made again whenever anything it depends on changes.

#include <QRect>
#include <QRegion>
#include <QSize>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

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
    // Leaves what Prepare last answered out of the block: it holds only what
    // it held then inside the window (still a rectangle).
    void LeaveMissing() { m_valid = m_held; }
    // Forgets every pixel; with `release`, gives back the memory too.
    void Forget(bool release = false);

    // Calls `make(piece, pixels, stride)` for parts of view rectangle `view`
    // (inside the window last prepared) that cover it together, to put them
    // together as 32-bit pixels in `pixels` (the piece's top-left one,
    // `stride` pixels a row): in the block itself, or in bands packed into
    // it after each call.
    template <class Make>
    void PutTogether(const QRect& view, Make&& make);
    // Keeps view rectangle `view` (inside the window last prepared) from
    // opaque 32-bit `pixels` (its top-left one, `stride` pixels a row).
    void Keep(const QRect& view, const uint32_t* pixels, qsizetype stride);
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
    uint8_t* Bytes() const { return reinterpret_cast<uint8_t*>(m_pixels.get()); }

    // Rows put together in scratch at a time: a band of a wide window stays
    // in the cache, and the picture's rows are rendered in few calls (in
    // bands of 32, putting a reduced window together took a tenth longer).
    static constexpr int kBand = 128;

    Key m_key;
    QSize m_size;
    QRect m_valid;                         // the view pixels the block holds
    QRect m_held;                          // those of them inside the window last prepared
    QPoint m_origin;                       // the view pixel kept at the block's first
    int m_depth = 4;                       // bytes a pixel
    std::unique_ptr<uint32_t[]> m_pixels;  // the block's bytes, in whole words
    std::vector<uint32_t> m_scratch;       // a band before it is packed
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
    const int w = m_size.width();
    Pieces(view, [&](const QRect& part, ptrdiff_t offset) {
        if (m_depth == 4) return make(part, m_pixels.get() + offset, qsizetype{w});
        for (int top = part.top(); top <= part.bottom(); top += kBand) {
            const QRect band(part.left(), top, part.width(),
                             std::min(kBand, part.bottom() + 1 - top));
            m_scratch.resize(static_cast<size_t>(band.width()) *
                             static_cast<size_t>(band.height()));
            make(band, m_scratch.data(), qsizetype{band.width()});
            Keep(band, m_scratch.data(), qsizetype{band.width()});
        }
    });
}
