// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/rgb_rows.h"

#include "image/pixel_store.h"

CRgbRows::CRgbRows(const PixelStore& impl) : m_impl(impl) {
    const int depth = impl.imageDepth;
    if (depth > 8) return;
    const int levels = (1 << depth) - 1;
    for (int i = 0; i < 256; ++i) {
        uint8_t* c = m_table + 3 * i;
        if (impl.imagePalette) {
            impl.imagePalette->GetEntryRGB(i, c, c + 1, c + 2);
        } else {
            const int v = i <= levels ? i * 255 / levels : 0;
            c[0] = c[1] = c[2] = static_cast<uint8_t>(v);
        }
    }
}

void CRgbRows::Get(int y, uint8_t* out) const {
    const int width = m_impl.imageWidth;
    const uint8_t* row = m_impl.PixelAddress(0, y);
    switch (m_impl.imageDepth) {
        case 8:
            for (int x = 0; x < width; ++x, out += 3) {
                const uint8_t* c = m_table + 3 * row[x];
                out[0] = c[0], out[1] = c[1], out[2] = c[2];
            }
            return;
        case 24:
            for (int x = 0; x < width; ++x, out += 3, row += 3)
                out[0] = row[2], out[1] = row[1], out[2] = row[0];
            return;
        case 32:
            for (int x = 0; x < width; ++x, out += 3, row += 4)
                out[0] = row[2], out[1] = row[1], out[2] = row[0];
            return;
        default:
            break;
    }
    if (m_impl.imageDepth < 8) {
        for (int x = 0; x < width; ++x, out += 3) {
            const uint8_t* c = m_table + 3 * m_impl.GetPixelIndex(x, y);
            out[0] = c[0], out[1] = c[1], out[2] = c[2];
        }
        return;
    }
    // Depth 16 and anything else: the store's own colour rule.
    for (int x = 0; x < width; ++x, out += 3) {
        out[0] = out[1] = out[2] = 0;
        m_impl.GetStraightRGB(x, y, out, out + 1, out + 2);
    }
}

bool CRgbRows::HasAlpha() const {
    return m_impl.HasAnyAlpha();
}

int CRgbRows::Width() const {
    return m_impl.imageWidth;
}

int CRgbRows::Height() const {
    return m_impl.imageHeight;
}

void CRgbRows::GetRgba(int y, uint8_t* out) const {
    const int width = m_impl.imageWidth;
    // The triples go into the last three quarters of the row, then spread
    // out from the front, so no second buffer is needed.
    uint8_t* rgb = out + width;
    Get(y, rgb);
    const uint8_t* alpha = m_impl.HasAlpha() ? m_impl.AlphaRow(y) : nullptr;
    const int transparent = !alpha && m_impl.imageDepth <= 8 ? m_impl.transparentIndex : -1;
    for (int x = 0; x < width; ++x, out += 4, rgb += 3) {
        out[0] = rgb[0], out[1] = rgb[1], out[2] = rgb[2];
        out[3] = alpha                                                           ? alpha[x]
                 : transparent >= 0 && m_impl.GetPixelIndex(x, y) == transparent ? 0
                                                                                 : 255;
    }
}
