#pragma once
// A small BMP file for tests that open pictures: 24 bits per pixel, or 8 with
// a two-colour palette (which GIF can hold).

#include <string>

#include "../image/bmp_files.h"

namespace testutil {

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
