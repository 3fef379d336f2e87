// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/shown_block.h"

#include <algorithm>
#include <cstring>

#include "image/bgr_rows.h"

bool ShownBlock::Key::operator==(const Key& o) const {
    return generation == o.generation && zoom == o.zoom && total == o.total &&
           background == o.background && checkerboard == o.checkerboard &&
           pixelGrid == o.pixelGrid && halvedCopies == o.halvedCopies;
}

QRegion ShownBlock::Prepare(const Key& key, const QRect& window) {
    if (window.isEmpty()) {
        m_valid = m_held = QRect();
        return QRegion();
    }
    const int depth = PackedRowsPay() ? 3 : 4;
    if (!(key == m_key) || window.size() != m_size || depth != m_depth) {
        m_valid = QRect();
        m_key = key;
        if (window.size() != m_size || depth != m_depth) {
            m_size = window.size();
            m_depth = depth;
            // A window that shrank gives its memory back. Every pixel is
            // put together before it is read.
            const size_t bytes = static_cast<size_t>(m_size.width()) *
                                 static_cast<size_t>(m_size.height()) * static_cast<size_t>(depth);
            m_pixels = std::make_unique_for_overwrite<uint32_t[]>((bytes + 3) / 4);
        }
    }
    if (!m_valid.intersects(window)) m_origin = window.topLeft();
    m_held = m_valid & window;
    const QRegion missing = QRegion(window).subtracted(m_held);
    m_valid = window;
    return missing;
}

void ShownBlock::Forget(bool release) {
    m_valid = QRect();
    m_key = Key();
    if (!release) return;
    m_size = QSize();
    m_pixels.reset();
    m_scratch = std::vector<uint32_t>();
}

void ShownBlock::Keep(const QRect& view, const uint32_t* pixels, qsizetype stride) {
    const int w = m_size.width();
    Pieces(view, [&](const QRect& part, ptrdiff_t offset) {
        const uint32_t* from = pixels + static_cast<ptrdiff_t>(part.top() - view.top()) * stride +
                               (part.left() - view.left());
        for (int y = 0; y < part.height(); ++y, from += stride, offset += w) {
            if (m_depth == 3)
                PackBgr(from, Bytes() + offset * 3, part.width());
            else
                std::memcpy(m_pixels.get() + offset, from, static_cast<size_t>(part.width()) * 4);
        }
    });
}

void ShownBlock::CopyTo(const QRect& view, uint32_t* out, qsizetype stride) const {
    const int w = m_size.width(), h = m_size.height();
    if (w <= 0 || h <= 0 || view.isEmpty()) return;
    const int at = Wrap(view.left(), m_origin.x(), w);
    const int first = std::min(view.width(), w - at);
    const int second = view.width() - first;
    if (m_depth == 4) {
        for (int y = view.top(); y <= view.bottom(); ++y, out += stride) {
            const uint32_t* row =
                m_pixels.get() + static_cast<ptrdiff_t>(Wrap(y, m_origin.y(), h)) * w;
            std::memcpy(out, row + at, static_cast<size_t>(first) * 4);
            if (second > 0) std::memcpy(out + first, row, static_cast<size_t>(second) * 4);
        }
        return;
    }
    for (int y = view.top(); y <= view.bottom(); ++y, out += stride) {
        const uint8_t* row = Bytes() + static_cast<ptrdiff_t>(Wrap(y, m_origin.y(), h)) * w * 3;
        UnpackBgr(row + static_cast<ptrdiff_t>(at) * 3, out, first);
        if (second > 0) UnpackBgr(row, out + first, second);
    }
}
