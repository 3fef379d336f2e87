// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The packed bitmap block: a 40-byte little-endian bitmap information header,
// a colour table and the pixel rows (bottom row first, padded to 4 bytes).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

class CImagePalette;

namespace dib {

constexpr uint32_t kHeaderSize = 40;
constexpr uint32_t kTableReserve = 256 * 4;  // table space reserved whatever the depth
constexpr uint32_t kBitFields = 3;           // biCompression for bit-field masks

// Header field offsets.
enum : size_t {
    kBiSize = 0,
    kBiWidth = 4,
    kBiHeight = 8,
    kBiPlanes = 12,
    kBiBitCount = 14,
    kBiCompression = 16,
    kBiSizeImage = 20,
    kBiXPelsPerMeter = 24,
    kBiYPelsPerMeter = 28,
    kBiClrUsed = 32,
    kBiClrImportant = 36,
};

inline uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Bytes per row: the row rounded up to whole 32-bit words. 0 when it overflows.
size_t RowBytes(int64_t width, int depth);

// One allocation, zero-filled unless asked otherwise. Large blocks come from
// the system as untouched zero pages, so making a big picture costs nothing
// until its rows are written; memory used before and handed out again would
// be cleared, which a reader that writes every byte need not pay for.
class Block {
public:
    Block() = default;
    // An empty block when the bytes cannot be had. With `zeroed` false the
    // bytes are whatever the memory held.
    static Block Allocate(size_t bytes, bool zeroed = true);

    uint8_t* data() const { return m_data.get(); }
    size_t size() const { return m_size; }
    explicit operator bool() const { return m_data != nullptr; }

private:
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, Free> m_data;
    size_t m_size = 0;
};

// Allocates a block for a picture: header, 1,024 bytes of colour table and
// the pixel rows; the table holds the 16 standard colours (repeated up to
// biClrUsed: 16 for depth 4, 256 for depth 8, none otherwise). Empty when the
// picture has more than `maxPixels` pixels or the memory cannot be had.
// With kForOverwrite the pixels are left for a reader that writes every one
// of them; the header, the colour table and the padding at each row's end
// (from the byte that holds the last pixel's first bit) are zero either way.
enum class Rows { kZeroed, kForOverwrite };
Block AllocateDib(int depth, int width, int height, int64_t maxPixels, Rows rows = Rows::kZeroed);

// Offset of the pixel array in a block: biSize + the colour table (biClrUsed
// entries, or 2^depth up to depth 8 when that is 0) * 4, or biSize + 12 with
// bit fields.
size_t BitsOffset(const uint8_t* block);

// Colour-table modes.
enum class Usage { kIndices, kColors };

// Switches a block's colour table between 16-bit palette indices and colour
// entries (blue, green, red, 0) taken from the palette (the 16 standard
// colours, repeated, without one). Answers 0 when there is no block, else 1.
int SetDibUsage(uint8_t* block, const CImagePalette* palette, Usage mode);

// A palette made from the block's colour table (biClrUsed entries, or
// 2^depth for depths up to 8 when that is 0). Null when there is no table.
std::unique_ptr<CImagePalette> CreateDibPalette(const uint8_t* block, uint8_t flags);

// The 16 standard colours as (red, green, blue).
extern const uint8_t kStandardColors[16][3];

}  // namespace dib
