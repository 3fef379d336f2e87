#pragma once
// A small 24-bit BMP file written byte by byte, for tests that open pictures.

#include <cstdint>
#include <string>

namespace testutil {

inline std::string TinyBmp(int width, int height) {
    auto put16 = [](std::string& s, uint32_t v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>((v >> 8) & 0xFF);
    };
    auto put32 = [&](std::string& s, uint32_t v) {
        put16(s, v & 0xFFFF);
        put16(s, v >> 16);
    };
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    std::string s = "BM";
    put32(s, 54 + imageBytes);
    put32(s, 0);   // reserved
    put32(s, 54);  // offset of the pixels
    put32(s, 40);  // BITMAPINFOHEADER
    put32(s, static_cast<uint32_t>(width));
    put32(s, static_cast<uint32_t>(height));
    put16(s, 1);   // planes
    put16(s, 24);  // bits per pixel
    put32(s, 0);   // no compression
    put32(s, imageBytes);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, 0);
    put32(s, 0);
    for (int y = 0; y < height; ++y)
        for (uint32_t x = 0; x < rowBytes; ++x) s += static_cast<char>((x * 7 + y) & 0xFF);
    return s;
}

}  // namespace testutil
