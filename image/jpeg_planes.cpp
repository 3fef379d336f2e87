// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/jpeg_planes.h"

#include <algorithm>
#include <cstring>

#include "image/pixel_store.h"

namespace {

// The encoder's colour conversion: 16 fraction bits, coefficients rounded
// to the nearest step, luminance rounded half up and the differences
// rounded just below half, around 128.
constexpr int kFractionBits = 16;
constexpr int32_t Fixed(double x) {
    return static_cast<int32_t>(x * (1 << kFractionBits) + 0.5);
}
constexpr int32_t kHalf = 1 << (kFractionBits - 1);
constexpr int32_t kCentre = 128 << kFractionBits;

uint8_t Luminance(int r, int g, int b) {
    return static_cast<uint8_t>(
        (Fixed(0.29900) * r + Fixed(0.58700) * g + Fixed(0.11400) * b + kHalf) >> kFractionBits);
}

uint32_t BlueDifference(int r, int g, int b) {
    return static_cast<uint32_t>(
        (-Fixed(0.16874) * r - Fixed(0.33126) * g + Fixed(0.5) * b + kCentre + kHalf - 1) >>
        kFractionBits);
}

uint32_t RedDifference(int r, int g, int b) {
    return static_cast<uint32_t>(
        (Fixed(0.5) * r - Fixed(0.41869) * g - Fixed(0.08131) * b + kCentre + kHalf - 1) >>
        kFractionBits);
}

// The encoder halves 2 × 2 samples with a rounding that alternates along
// the row, 1 then 2, so that the halves do not all lean one way.
constexpr uint32_t kBias[2] = {1 | 1 << 16, 2 | 2 << 16};

}  // namespace

CJpegPlanes::CJpegPlanes(const PixelStore& pixels, const uint8_t* colours) : m_pixels(pixels) {
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = colours + 3 * i;
        m_y[i] = Luminance(c[0], c[1], c[2]);
        m_chroma[i] = BlueDifference(c[0], c[1], c[2]) | RedDifference(c[0], c[1], c[2]) << 16;
    }
    // The encoder takes whole blocks: chroma rows of the halved width to a
    // multiple of 8, luminance rows of twice that.
    m_chromaWidth = (pixels.imageWidth + 15) / 16 * 8;
    const size_t luma = size_t{2} * static_cast<size_t>(m_chromaWidth);
    const size_t chroma = static_cast<size_t>(m_chromaWidth);
    m_samples.resize(kRows * luma + kRows * chroma);
    uint8_t* at = m_samples.data();
    for (auto& row : m_luma) row = at, at += luma;
    for (auto& row : m_blue) row = at, at += chroma;
    for (auto& row : m_red) row = at, at += chroma;
}

void CJpegPlanes::FillPair(const uint8_t* upper, const uint8_t* lower, uint8_t* luma0,
                           uint8_t* luma1, uint8_t* blue, uint8_t* red) const {
    const int width = m_pixels.imageWidth;
    const int pairs = width / 2;
    int j = 0;
    for (; j < pairs; ++j) {
        const uint8_t a = upper[2 * j], b = upper[2 * j + 1];
        const uint8_t c = lower[2 * j], d = lower[2 * j + 1];
        luma0[2 * j] = m_y[a], luma0[2 * j + 1] = m_y[b];
        luma1[2 * j] = m_y[c], luma1[2 * j + 1] = m_y[d];
        const uint32_t sum = m_chroma[a] + m_chroma[b] + m_chroma[c] + m_chroma[d] + kBias[j & 1];
        blue[j] = static_cast<uint8_t>((sum & 0xffff) >> 2);
        red[j] = static_cast<uint8_t>(sum >> 18);
    }
    // Past the right edge the last column repeats.
    const uint8_t a = upper[width - 1], c = lower[width - 1];
    for (int x = 2 * j; x < 2 * m_chromaWidth; ++x) luma0[x] = m_y[a], luma1[x] = m_y[c];
    for (; j < m_chromaWidth; ++j) {
        const int x = std::min(2 * j, width - 1);
        const uint32_t sum = 2 * (m_chroma[upper[x]] + m_chroma[lower[x]]) + kBias[j & 1];
        blue[j] = static_cast<uint8_t>((sum & 0xffff) >> 2);
        red[j] = static_cast<uint8_t>(sum >> 18);
    }
}

void CJpegPlanes::Fill(int top) {
    const int height = m_pixels.imageHeight;
    const size_t luma = size_t{2} * static_cast<size_t>(m_chromaWidth);
    const size_t chroma = static_cast<size_t>(m_chromaWidth);
    for (int k = 0; k < kRows / 2; ++k) {
        const int y = top + 2 * k;
        if (y >= height) {
            // Below the picture: its last rows again, as the encoder pads.
            std::memcpy(m_luma[2 * k], m_luma[2 * k - 1], luma);
            std::memcpy(m_luma[2 * k + 1], m_luma[2 * k - 1], luma);
            std::memcpy(m_blue[k], m_blue[k - 1], chroma);
            std::memcpy(m_red[k], m_red[k - 1], chroma);
            continue;
        }
        // Rows are stored bottom row first.
        const uint8_t* upper = m_pixels.PixelAddress(0, height - 1 - y);
        const uint8_t* lower = m_pixels.PixelAddress(0, height - 1 - std::min(y + 1, height - 1));
        FillPair(upper, lower, m_luma[2 * k], m_luma[2 * k + 1], m_blue[k], m_red[k]);
    }
}
