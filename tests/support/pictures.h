// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small pictures for the tests. Gradient: depth 24, the pixel in column c
// and row r from the top coloured (c % 256, r % 256, 7), so a readout tells
// where it was taken. TinyBmp: a BMP file of 24 bits per pixel, or 8 with a
// two-colour palette (which GIF can hold).

#include <memory>
#include <string>

#include "../image/bmp_files.h"
#include "image/image.h"

namespace testutil {

inline std::unique_ptr<CImage> Gradient(int width, int height) {
    auto image = std::make_unique<CImage>();
    if (!image->Create(width, height, 24, -1)) return nullptr;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) image->SetPixelRGB(c, height - 1 - r, c % 256, r % 256, 7);
    return image;
}

inline std::string TinyBmp(int width, int height, int depth = 24) {
    bmpfile::Layout s;
    s.width = width, s.height = height, s.depth = static_cast<uint16_t>(depth);
    if (depth == 8) s.table = {{0, 0, 0}, {255, 255, 255}};
    const int rowBytes = (width * depth / 8 + 3) & ~3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < rowBytes; ++x)
            s.pixels += static_cast<char>(depth == 8 ? (x + y) & 1 : (x * 7 + y) & 0xFF);
    return bmpfile::Make(s);
}

}  // namespace testutil
