// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a picture's rows as red, green, blue triples whatever its depth, for
// the writers of formats that take plain colours, and with their alpha as
// red, green, blue, alpha quads for those that take alpha too.

#include <cstdint>

class PixelStore;

class CRgbRows {
public:
    explicit CRgbRows(const PixelStore& pixels);

    // Fills out with imageWidth triples of pixel-array row y (0 = bottom).
    // Indexed pictures go through their palette (an index past its entries
    // reads black); indexed pictures without one read as a grey ramp.
    // The colours as kept, before any alpha.
    void Get(int y, uint8_t* out) const;

    // For depths up to 8: the 256 red, green, blue triples Get gives each index.
    const uint8_t* Colours() const { return m_table; }

    // The picture's size, and whether some pixel may be less than opaque
    // (the store has an alpha plane or a transparent index).
    int Width() const;
    int Height() const;
    bool HasAlpha() const;
    // Fills out with Width() quads of red, green, blue (as Get) and alpha
    // (the alpha plane's, 0 for the transparent index, else 255) of row y.
    void GetRgba(int y, uint8_t* out) const;

private:
    const PixelStore& m_impl;
    uint8_t m_table[256 * 3] = {};
};
