// SPDX-License-Identifier: GPL-3.0-or-later
// AVIF grids: each tile costs a decoder of its own, and the bound counts them.
#include "image/avif_grid.h"

#include <gtest/gtest.h>

#include <string>

#include "fixtures.h"
#include "image/avif_codec.h"
#include "image/read_error.h"

namespace {

void Put16(std::string& s, uint32_t v) {
    s += char(v >> 8);
    s += char(v & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v >> 16);
    Put16(s, v & 0xFFFF);
}
std::string Box(const char* type, const std::string& body) {
    std::string s;
    Put32(s, uint32_t(body.size() + 8));
    return s + type + body;
}
// A box with its version (the top byte) and flags first.
std::string FullBox(const char* type, const std::string& body, uint32_t versionFlags = 0) {
    std::string s;
    Put32(s, versionFlags);
    return Box(type, s + body);
}

// A grid of rows x columns tiles of 64 x 64, every tile its own item holding
// the same flat blue AV1 frame, as an encoder that shares equal tiles' data
// writes it: a few bytes a tile, ~50 a tile in all.
std::string RepeatedTileGrid(int rows, int columns) {
    const std::string av1(
        "\x12\x00\x0a\x09\x38\x15\x7f\xfd\x84\x04\x34\x1a\x40\x32\x15\x16\x40\x06\x18\x61\x84\x00"
        "\xc1\xb6\x3f\x96\x34\x70\x05\x5c\xc9\x73\x58\xea\x6a\xe9",
        36);
    const uint32_t tiles = uint32_t(rows * columns), items = tiles + 1;
    std::string grid("\0\0", 2);
    grid += char(rows - 1);
    grid += char(columns - 1);
    Put16(grid, uint32_t(64 * columns));
    Put16(grid, uint32_t(64 * rows));

    std::string iloc("\x44\x00", 2), iinf, dimg, ipma;
    Put16(iloc, items);
    Put16(iinf, items);
    Put16(dimg, 1);
    Put16(dimg, tiles);
    Put32(ipma, items);
    for (uint32_t id = 1; id <= items; ++id) {
        Put16(iloc, id);
        Put16(iloc, 0);
        Put16(iloc, 1);
        Put32(iloc, id == 1 ? 0 : 8);  // offsets into the data, fixed below
        Put32(iloc, id == 1 ? 8 : 36);
        std::string infe;
        Put16(infe, id);
        Put16(infe, 0);
        infe += id == 1 ? "grid" : "av01";
        infe += std::string("Color\0", 6);
        iinf += FullBox("infe", infe, id == 1 ? 0x02000000 : 0x02000001);
        if (id > 1) Put16(dimg, id);
        Put16(ipma, id);
        ipma +=
            id == 1 ? std::string("\x03\x01\x02\x03", 4) : std::string("\x04\x04\x02\x85\x03", 5);
    }
    std::string ispeGrid, ispeTile;
    Put32(ispeGrid, uint32_t(64 * columns));
    Put32(ispeGrid, uint32_t(64 * rows));
    Put32(ispeTile, 64);
    Put32(ispeTile, 64);
    const std::string ipco =
        FullBox("ispe", ispeGrid) + FullBox("pixi", std::string("\x03\x08\x08\x08", 4)) +
        Box("colr", std::string("nclx\x00\x01\x00\x0d\x00\x06\x80", 11)) +
        FullBox("ispe", ispeTile) + Box("av1C", std::string("\x81\x20\x00\x00", 4));
    const std::string ftyp = Box("ftyp", std::string("avif\0\0\0\0avifmif1miafMA1A", 24));
    auto file = [&](uint32_t dataAt) {
        std::string located = iloc;
        for (uint32_t k = 0; k < items; ++k) {
            const size_t at = 2 + 2 + k * 14 + 6;
            const uint32_t offset = dataAt + (k == 0 ? 0 : 8);
            for (int b = 0; b < 4; ++b) located[at + b] = char(offset >> (24 - 8 * b));
        }
        const std::string meta =
            FullBox("hdlr", std::string("\0\0\0\0pict", 8) + std::string(13, '\0')) +
            FullBox("pitm", std::string("\0\x01", 2)) + FullBox("iloc", located) +
            FullBox("iinf", iinf) + FullBox("iref", Box("dimg", dimg)) +
            Box("iprp", Box("ipco", ipco) + FullBox("ipma", ipma));
        return ftyp + FullBox("meta", meta) + Box("mdat", grid + av1);
    };
    const std::string first = file(0);
    return file(uint32_t(first.size() - grid.size() - av1.size()));
}

std::string Why(CAvifImpl& impl) {
    return ze::ReadFailureText(impl.readFailure, ze::TextLanguage::kEnglish);
}

}  // namespace

// A 2 x 2 grid opens whole; 64 x 64 tiles of 64 x 64 (a file of ~200 KB
// that once took gigabytes) are refused before a tile is decoded, under the
// editor's bound and the fuzz target's smaller one; the count holds against
// references that claim more than their box holds.
TEST(AvifGrid, TilesAndTheirDecodersCountAgainstTheBound) {
    const std::string small = RepeatedTileGrid(2, 2);
    EXPECT_EQ(AvifGridTiles(reinterpret_cast<const uint8_t*>(small.data()), small.size()), 4u);
    CAvifImpl opened;
    ASSERT_EQ(fixture::ReadBytes(opened, small), 1) << Why(opened);
    EXPECT_EQ(opened.GetWidth(), 128);
    EXPECT_EQ(opened.GetHeight(), 128);

    const std::string bomb = RepeatedTileGrid(64, 64);
    EXPECT_LT(bomb.size(), size_t{256} << 10);
    for (const uint64_t limit : {uint64_t{1} << 30, uint64_t{256} << 20}) {
        CAvifImpl refused;
        refused.readLimits.decoderMemory = limit;
        EXPECT_EQ(fixture::ReadBytes(refused, bomb), 0);
        EXPECT_EQ(refused.readFailure.error, ze::ReadError::kTooMuchMemory) << Why(refused);
        EXPECT_NE(Why(refused).find("4096x4096, a grid of tiles"), std::string::npos)
            << Why(refused);
    }

    std::string lying = small;
    const size_t dimg = lying.find("dimg");
    lying[dimg + 6] = '\xFF';  // a count of 65,284 tiles in a box of four
    EXPECT_EQ(AvifGridTiles(reinterpret_cast<const uint8_t*>(lying.data()), lying.size()), 4u);
    for (size_t cut = 0; cut < small.size(); cut += 7)
        EXPECT_LE(AvifGridTiles(reinterpret_cast<const uint8_t*>(small.data()), cut), 4u);
}
