// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/dib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "image/image_palette.h"

namespace dib {

const uint8_t kStandardColors[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

size_t RowBytes(int64_t width, int depth) {
    if (width < 0 || depth <= 0 || depth > 32) return 0;
    const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(depth);
    return static_cast<size_t>((bits + 31) / 32 * 4);
}

void Block::Free::operator()(uint8_t* p) const {
    std::free(p);
}

Block Block::Allocate(size_t bytes, bool zeroed) {
    Block b;
    if (bytes == 0) return b;
    // calloc rather than new[]: for large blocks the system hands out pages
    // that are already zero, so nothing is touched until the rows are filled.
    b.m_data.reset(static_cast<uint8_t*>(zeroed ? std::calloc(bytes, 1) : std::malloc(bytes)));
    if (b.m_data) b.m_size = bytes;
    return b;
}

namespace {

// For a block whose rows are left to be written: zeroes each row's padding
// and whatever follows the last row.
void ClearAroundPixels(const Block& block, size_t row, size_t pixels, int width, int depth) {
    uint8_t* const bits = block.data() + BitsOffset(block.data());
    const size_t written = static_cast<size_t>(width) * static_cast<size_t>(depth) / 8;
    for (uint8_t* r = bits; r < bits + pixels; r += row) std::memset(r + written, 0, row - written);
    std::memset(bits + pixels, 0, static_cast<size_t>(block.data() + block.size() - bits - pixels));
}

}  // namespace

Block AllocateDib(int depth, int width, int height, int64_t maxPixels, Rows rows) {
    if (width <= 0 || height <= 0 || depth <= 0 || depth > 32) return {};
    if (int64_t{width} * height > maxPixels) return {};
    const size_t row = RowBytes(width, depth);
    if (row == 0 || row > std::numeric_limits<size_t>::max() / static_cast<size_t>(height))
        return {};
    const size_t pixels = row * static_cast<size_t>(height);
    if (pixels > std::numeric_limits<uint32_t>::max()) return {};
    Block block = Block::Allocate(kHeaderSize + kTableReserve + pixels, rows == Rows::kZeroed);
    if (!block) return block;

    uint8_t* h = block.data();
    if (rows == Rows::kForOverwrite) std::memset(h, 0, kHeaderSize + kTableReserve);
    const uint32_t used = depth == 4 ? 16u : depth == 8 ? 256u : 0u;
    Put32(h + kBiSize, kHeaderSize);
    Put32(h + kBiWidth, static_cast<uint32_t>(width));
    Put32(h + kBiHeight, static_cast<uint32_t>(height));
    Put16(h + kBiPlanes, 1);
    Put16(h + kBiBitCount, static_cast<uint16_t>(depth));
    Put32(h + kBiCompression, 0);
    Put32(h + kBiSizeImage, static_cast<uint32_t>(pixels));
    Put32(h + kBiClrUsed, used);
    uint8_t* table = h + kHeaderSize;
    for (uint32_t i = 0; i < used; ++i) {
        const uint8_t* c = kStandardColors[i % 16];
        table[4 * i] = c[2];
        table[4 * i + 1] = c[1];
        table[4 * i + 2] = c[0];
    }
    if (rows == Rows::kForOverwrite) ClearAroundPixels(block, row, pixels, width, depth);
    return block;
}

namespace {
// Entries of the colour table: biClrUsed, or 2^depth up to depth 8 when that
// is 0; three with bit fields count as none.
uint32_t TableEntries(const uint8_t* block) {
    uint32_t n = Get32(block + kBiClrUsed);
    const uint16_t depth = Get16(block + kBiBitCount);
    if (n == 0 && depth <= 8) n = 1u << depth;
    if (n == 3 && Get32(block + kBiCompression) == kBitFields) n = 0;
    return n;
}
}  // namespace

size_t BitsOffset(const uint8_t* block) {
    const uint32_t size = Get32(block + kBiSize);
    if (Get32(block + kBiCompression) == kBitFields) return size + 12;
    // A table of 2^depth entries when biClrUsed is 0 (depth 1 from Create),
    // so that the pixels never overlap the table.
    return size + static_cast<size_t>(TableEntries(block)) * 4;
}

int SetDibUsage(uint8_t* block, const CImagePalette* palette, Usage mode) {
    if (!block) return 0;
    const uint32_t n = std::min<uint32_t>(TableEntries(block), 256);
    uint8_t* table = block + Get32(block + kBiSize);
    if (mode == Usage::kIndices) {
        for (uint32_t i = 0; i < n; ++i) Put16(table + 2 * i, static_cast<uint16_t>(i));
        return 1;
    }
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t r = 0, g = 0, b = 0;
        if (palette) {
            // Entries past the palette's own are written as black.
            palette->GetEntryRGB(static_cast<int>(i), &r, &g, &b);
        } else {
            const uint8_t* c = kStandardColors[i % 16];
            r = c[0], g = c[1], b = c[2];
        }
        uint8_t* e = table + 4 * i;
        e[0] = b, e[1] = g, e[2] = r, e[3] = 0;
    }
    return 1;
}

std::unique_ptr<CImagePalette> CreateDibPalette(const uint8_t* block, uint8_t flags) {
    if (!block) return nullptr;
    uint32_t n = Get32(block + kBiClrUsed);
    const uint16_t depth = Get16(block + kBiBitCount);
    if (n == 0) n = depth <= 8 ? (1u << depth) : 0;
    if (n == 0) return nullptr;
    n = std::min<uint32_t>(n, 256);
    const uint8_t* table = block + Get32(block + kBiSize);
    std::vector<PaletteEntry> entries(n);
    for (uint32_t i = 0; i < n; ++i)
        entries[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i], flags};
    auto palette = std::make_unique<CImagePalette>();
    palette->CreateFromEntries(std::move(entries));
    return palette;
}

}  // namespace dib
