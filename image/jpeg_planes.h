// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An 8-bit picture as the JPEG encoder's own planes: full-size luminance and
// chroma halved each way, made from the palette's colours without ever
// building red, green and blue rows. The samples are those the encoder
// would make of the same colours given as rows (its fixed-point colour
// conversion, its rounding when halving, its edge copies), so the file comes
// out the same bytes.

#include <cstdint>
#include <vector>

class PixelStore;

class CJpegPlanes {
public:
    // How many picture rows one call of Fill covers: a row of 16 × 16 blocks.
    static constexpr int kRows = 16;

    // `colours` holds 256 red, green, blue triples, the picture's index's colours.
    CJpegPlanes(const PixelStore& pixels, const uint8_t* colours);

    // Fills the planes for the picture's rows top..top + kRows - 1 (0 = the
    // top row; rows below the picture repeat its last one, columns past its
    // right edge its last column). The row pointers stay valid for the
    // object's life: kRows of luminance, kRows / 2 of each chroma plane.
    void Fill(int top);
    uint8_t** Luma() { return m_luma; }
    uint8_t** Blue() { return m_blue; }
    uint8_t** Red() { return m_red; }

private:
    void FillPair(const uint8_t* upper, const uint8_t* lower, uint8_t* luma0, uint8_t* luma1,
                  uint8_t* blue, uint8_t* red) const;

    const PixelStore& m_pixels;
    uint8_t m_y[256] = {};
    // Blue and red difference of each index in the low and high 16 bits, so
    // four pixels' sums take one addition each.
    uint32_t m_chroma[256] = {};
    int m_chromaWidth = 0;  // samples a chroma row holds: the picture's width halved, to 8s
    std::vector<uint8_t> m_samples;
    uint8_t* m_luma[kRows] = {};
    uint8_t* m_blue[kRows / 2] = {};
    uint8_t* m_red[kRows / 2] = {};
};
