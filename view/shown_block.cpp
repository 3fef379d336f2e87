// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/shown_block.h"

#include <cstring>

bool ShownBlock::Key::operator==(const Key& o) const {
    return generation == o.generation && zoom == o.zoom && total == o.total &&
           background == o.background && checkerboard == o.checkerboard &&
           pixelGrid == o.pixelGrid && halvedCopies == o.halvedCopies;
}

QRegion ShownBlock::Prepare(const Key& key, const QRect& window) {
    if (window.isEmpty()) {
        m_valid = QRect();
        return QRegion();
    }
    if (!(key == m_key) || window.size() != m_size) {
        m_valid = QRect();
        m_key = key;
        if (window.size() != m_size) {
            m_size = window.size();
            // A window that shrank gives its memory back. Every pixel is
            // put together before it is read.
            m_pixels = std::make_unique_for_overwrite<uint32_t[]>(
                static_cast<size_t>(m_size.width()) * static_cast<size_t>(m_size.height()));
        }
    }
    if (!m_valid.intersects(window)) m_origin = window.topLeft();
    const QRegion missing = QRegion(window).subtracted(m_valid & window);
    m_valid = window;
    return missing;
}

void ShownBlock::Forget(bool release) {
    m_valid = QRect();
    m_key = Key();
    if (!release) return;
    m_size = QSize();
    m_pixels.reset();
}

void ShownBlock::CopyTo(const QRect& view, uint32_t* out, qsizetype stride) const {
    Pieces(view, [&](const QRect& part, ptrdiff_t offset) {
        const uint32_t* from = m_pixels.get() + offset;
        uint32_t* to = out + static_cast<ptrdiff_t>(part.top() - view.top()) * stride +
                       (part.left() - view.left());
        for (int y = 0; y < part.height(); ++y, from += m_size.width(), to += stride)
            std::memcpy(to, from, static_cast<size_t>(part.width()) * 4);
    });
}
