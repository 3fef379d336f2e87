#pragma once
// A small 24-bit BMP file, for tests that open pictures.

#include <string>

#include "../image/bmp_files.h"

namespace testutil {

inline std::string TinyBmp(int width, int height) {
    bmpfile::Spec s;
    s.width = width, s.height = height;
    const int rowBytes = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < rowBytes; ++x) s.pixels += static_cast<char>((x * 7 + y) & 0xFF);
    return bmpfile::Make(s);
}

}  // namespace testutil
