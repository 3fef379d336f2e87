// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds BMP files byte by byte for the tests, independent of the codec.

#include <cstdint>
#include <string>
#include <vector>

namespace bmpfile {

struct Rgb {
    uint8_t r, g, b;
};

struct Layout {
    uint32_t headerSize = 40;  // 12, 40, 52, 56, 108, 124 (or anything, to test refusal)
    int32_t width = 1;
    int32_t height = 1;  // negative: top-down
    uint16_t depth = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    std::vector<Rgb> table;  // written as is (3 bytes each with a core header)
    // Bit-field masks: red, green, blue, alpha. With a 40-byte header and
    // compression 3 they follow the header (three of them).
    uint32_t masks[4] = {0, 0, 0, 0};
    bool masksAfterHeader = false;
    bool fileHeader = true;
    std::string gap;     // bytes between the table and the pixels
    std::string pixels;  // the rows exactly as stored
};

inline void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

inline std::string Make(const Layout& layout) {
    std::string info;
    const auto w = static_cast<uint32_t>(layout.width), h = static_cast<uint32_t>(layout.height);
    Put32(info, layout.headerSize);
    if (layout.headerSize == 12) {
        for (uint32_t v : {w, h, 1u, uint32_t{layout.depth}}) Put16(info, v);
    } else {
        Put32(info, w), Put32(info, h), Put16(info, 1), Put16(info, layout.depth);
        for (uint32_t v : {layout.compression, static_cast<uint32_t>(layout.pixels.size()), 2835u,
                           2835u, layout.clrUsed, 0u})
            Put32(info, v);
        for (int i = 0; info.size() < layout.headerSize; ++i)
            Put32(info, i < 4 ? layout.masks[i] : 0);
        info.resize(layout.headerSize);
        if (layout.masksAfterHeader)
            for (int i = 0; i < 3; ++i) Put32(info, layout.masks[i]);
    }
    std::string table;
    for (const Rgb& c : layout.table) {
        table += std::string{char(c.b), char(c.g), char(c.r), '\0'}.substr(
            0, layout.headerSize == 12 ? 3 : 4);
    }
    std::string out;
    const size_t offset = 14 + info.size() + table.size() + layout.gap.size();
    if (layout.fileHeader) {
        out += "BM";
        Put32(out, static_cast<uint32_t>(offset + layout.pixels.size()));
        Put32(out, 0);
        Put32(out, static_cast<uint32_t>(offset));
    }
    return out + info + table + layout.gap + layout.pixels;
}

// A grey-ish table of n distinct colours: entry i = (i, 255 - i, i / 2).
inline std::vector<Rgb> Table(int n) {
    std::vector<Rgb> t;
    for (int i = 0; i < n; ++i)
        t.push_back(
            {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)});
    return t;
}

}  // namespace bmpfile
