// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/rgb_rows.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "image/pixel_store.h"
#include "image/simd_level.h"

namespace {

#if defined(__x86_64__)
// 64 pixels a step: each colour looked up in its 256-byte table by two
// 128-byte permutations (the index's top bit picks between them), then red
// and green, blue and zero interleaved. The interleaving works within 16-byte
// lanes, so the indices are first reordered for it to end in pixel order.
// Answers how many pixels it did.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int PadVbmi(const uint8_t* row, int width,
                                                                   const uint8_t (*planes)[256],
                                                                   uint8_t* out) {
    // Output register k, lane L, pixel j of the lane: pixel 16k + 4L + j.
    alignas(64) uint8_t order[64];
    for (int lane = 0; lane < 4; ++lane)
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 4; ++j)
                order[lane * 16 + 4 * k + j] = static_cast<uint8_t>(16 * k + 4 * lane + j);
    const __m512i reorder = _mm512_load_si512(order);
    __m512i table[3][4];
    for (int c = 0; c < 3; ++c)
        for (int q = 0; q < 4; ++q) table[c][q] = _mm512_load_si512(planes[c] + 64 * q);
    const __m512i zero = _mm512_setzero_si512();
    int x = 0;
    for (; x + 64 <= width; x += 64, out += 256) {
        const __m512i index =
            _mm512_maskz_permutexvar_epi8(~0ull, reorder, _mm512_loadu_si512(row + x));
        const __mmask64 upper = _mm512_movepi8_mask(index);
        __m512i colour[3];
        for (int c = 0; c < 3; ++c)
            colour[c] = _mm512_mask_blend_epi8(
                upper, _mm512_permutex2var_epi8(table[c][0], index, table[c][1]),
                _mm512_permutex2var_epi8(table[c][2], index, table[c][3]));
        const __m512i redGreen[2] = {_mm512_unpacklo_epi8(colour[0], colour[1]),
                                     _mm512_unpackhi_epi8(colour[0], colour[1])};
        const __m512i blue[2] = {_mm512_unpacklo_epi8(colour[2], zero),
                                 _mm512_unpackhi_epi8(colour[2], zero)};
        for (int h = 0; h < 2; ++h) {
            _mm512_storeu_si512(out + 128 * h, _mm512_unpacklo_epi16(redGreen[h], blue[h]));
            _mm512_storeu_si512(out + 128 * h + 64, _mm512_unpackhi_epi16(redGreen[h], blue[h]));
        }
    }
    return x;
}

// Eight pixels a step: their indices read at once, their quads fetched one
// by one and stored together. (A gather of eight, and lookups by byte
// shuffles 16 entries at a time, were both slower than this on the
// processors measured.)
__attribute__((target("avx2"))) int PadAvx2(const uint8_t* row, int width, const uint32_t* quads,
                                            uint8_t* out) {
    int x = 0;
    for (; x + 8 <= width; x += 8, out += 32) {
        uint64_t i;
        std::memcpy(&i, row + x, 8);
        const auto at = [&](int byte) { return static_cast<int>(quads[(i >> (8 * byte)) & 0xff]); };
        const __m128i low = _mm_setr_epi32(at(0), at(1), at(2), at(3));
        const __m128i high = _mm_setr_epi32(at(4), at(5), at(6), at(7));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_set_m128i(high, low));
    }
    return x;
}
#endif

// From the table of quads, four pixels a step.
void PadPlain(const uint8_t* row, int width, const uint32_t* quads, uint8_t* out) {
    int x = 0;
    for (; x + 4 <= width; x += 4, out += 16) {
        const uint32_t q[4] = {quads[row[x]], quads[row[x + 1]], quads[row[x + 2]],
                               quads[row[x + 3]]};
        std::memcpy(out, q, 16);
    }
    for (; x < width; ++x, out += 4) std::memcpy(out, &quads[row[x]], 4);
}

}  // namespace

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
        const uint8_t quad[4] = {c[0], c[1], c[2], 0};
        std::memcpy(&m_quads[i], quad, 4);
        for (int k = 0; k < 3; ++k) m_planes[k][i] = c[k];
    }
}

void CRgbRows::GetPadded(int y, uint8_t* out) const {
    const int width = m_impl.imageWidth;
    const uint8_t* row = m_impl.PixelAddress(0, y);
    int x = 0;
#if defined(__x86_64__)
    const ze::SimdLevel level = ze::ActiveSimdLevel();
    if (level == ze::SimdLevel::kVbmi)
        x = PadVbmi(row, width, m_planes, out);
    else if (level == ze::SimdLevel::kAvx2)
        x = PadAvx2(row, width, m_quads, out);
    out += size_t{4} * static_cast<size_t>(x);
#endif
    PadPlain(row + x, width - x, m_quads, out);
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
