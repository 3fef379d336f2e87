#include "image/rgb_rows.h"

#include <cstring>

#include "image/image_impl.h"

CRgbRows::CRgbRows(const CImageImpl& impl) : m_impl(impl) {
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
        const uint8_t quad[4] = {c[0], c[1], c[2], 0};
        std::memcpy(&m_quads[i], quad, 4);
    }
}

void CRgbRows::GetPadded(int y, uint8_t* out) const {
    const int width = m_impl.imageWidth;
    const uint8_t* row = m_impl.PixelAddress(0, y);
    for (int x = 0; x < width; ++x, out += 4) std::memcpy(out, &m_quads[row[x]], 4);
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
    // Depth 16 and anything else: the picture's own colour rule. The base
    // class is asked directly, so no palette lookup of a derived codec runs.
    for (int x = 0; x < width; ++x, out += 3) {
        out[0] = out[1] = out[2] = 0;
        m_impl.CImageImpl::GetPixelRGB(x, y, out, out + 1, out + 2);
    }
}
