#pragma once
// A small BMP file written byte by byte, for tests that open pictures: 24 bits
// per pixel, or 8 with a two-colour palette (which GIF can hold).

#include <cstdint>
#include <string>

namespace testutil {

inline std::string TinyBmp(int width, int height, int depth = 24) {
    auto put16 = [](std::string& s, uint32_t v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>((v >> 8) & 0xFF);
    };
    auto put32 = [&](std::string& s, uint32_t v) {
        put16(s, v & 0xFFFF);
        put16(s, v >> 16);
    };
    const uint32_t colors = depth == 8 ? 2 : 0;
    const uint32_t offset = 54 + 4 * colors;
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * depth / 8 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    std::string s = "BM";
    put32(s, offset + imageBytes);
    put32(s, 0);       // reserved
    put32(s, offset);  // where the pixels start
    put32(s, 40);      // BITMAPINFOHEADER
    put32(s, static_cast<uint32_t>(width));
    put32(s, static_cast<uint32_t>(height));
    put16(s, 1);  // planes
    put16(s, static_cast<uint32_t>(depth));
    put32(s, 0);  // no compression
    put32(s, imageBytes);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, colors);
    put32(s, 0);
    if (colors) s += std::string("\0\0\0\0\xff\xff\xff\0", 8);  // black, white
    for (int y = 0; y < height; ++y)
        for (uint32_t x = 0; x < rowBytes; ++x)
            s += static_cast<char>(depth == 8 ? (x + y) & 1 : (x * 7 + y) & 0xFF);
    return s;
}

}  // namespace testutil
