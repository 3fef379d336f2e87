// SPDX-License-Identifier: GPL-3.0-or-later
// BMP writing: a 14-byte file header, then the block as it stands, with the
// colour table holding colours (it holds palette indices while the picture is
// in memory).

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "image/bmp_codec.h"
#include "image/dib.h"
#include "io/safe_write.h"

namespace {

// Few, large pieces: the stream takes each in one go (all the pixels of any
// but the largest pictures).
constexpr size_t kPiece = size_t{64} << 20;

bool WriteAll(std::FILE* f, const uint8_t* data, size_t n) {
    while (n > 0) {
        const size_t piece = std::min(n, kPiece);
        if (std::fwrite(data, 1, piece, f) != piece) return false;
        data += piece;
        n -= piece;
    }
    return true;
}

// Entries of a block's colour table (biClrUsed, or 2^depth up to depth 8).
uint32_t TableEntries(const uint8_t* block) {
    uint32_t n = dib::Get32(block + dib::kBiClrUsed);
    const uint16_t depth = dib::Get16(block + dib::kBiBitCount);
    if (n == 0 && depth <= 8) n = 1u << depth;
    return n;
}

}  // namespace

int CBmpImpl::Write(const std::string& name) {
    if (!name.empty()) fileName = name;
    if (!Pixels().imageDib || !Pixels().imageBits || Pixels().imageWidth <= 0 ||
        Pixels().imageHeight <= 0)
        return 0;
    uint8_t* block = Pixels().imageDib.data();

    // Header and colour table as they go into the file.
    const size_t bitsOffset = dib::BitsOffset(block);
    const size_t pixelBytes =
        static_cast<size_t>(Pixels().rowBytes) * static_cast<size_t>(Pixels().imageHeight);
    if (Pixels().imageBits != block + bitsOffset ||
        bitsOffset + pixelBytes > Pixels().imageDib.size() ||
        bitsOffset + pixelBytes + 14 > std::numeric_limits<uint32_t>::max())
        return 0;
    std::vector<uint8_t> prefix(block, block + bitsOffset);
    dib::Put32(prefix.data() + dib::kBiSizeImage, static_cast<uint32_t>(pixelBytes));

    const uint32_t size = dib::Get32(block + dib::kBiSize);
    const uint32_t entries =
        std::min<uint32_t>(TableEntries(block), static_cast<uint32_t>((bitsOffset - size) / 4));
    uint8_t* table = prefix.data() + size;
    if (Pixels().imagePalette) {
        // The table holds colours for the file; entries past the palette's
        // own are written as zero.
        dib::SetDibUsage(block, Pixels().imagePalette.get(), dib::Usage::kColors);
        std::copy(block + size, block + bitsOffset, prefix.begin() + size);
        dib::SetDibUsage(block, Pixels().imagePalette.get(), dib::Usage::kIndices);
    } else if (Pixels().imageDepth <= 8) {
        // Without a palette the picture reads as a grey ramp: write that.
        const uint32_t levels = (1u << Pixels().imageDepth) - 1;
        for (uint32_t i = 0; i < entries; ++i) {
            const auto grey = static_cast<uint8_t>(std::min<uint32_t>(i, levels) * 255 / levels);
            table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = grey;
            table[4 * i + 3] = 0;
        }
    }

    uint8_t fileHeader[14] = {'B', 'M'};
    dib::Put32(fileHeader + 2, static_cast<uint32_t>(14 + bitsOffset + pixelBytes));
    dib::Put32(fileHeader + 10, static_cast<uint32_t>(14 + bitsOffset));

    const uint8_t* bits = Pixels().imageBits;
    // The size is known before the first byte: written in place, the file
    // streams too.
    writeError = ze::WriteFileSafely(
        fileName,
        [&](std::FILE* f) {
            return WriteAll(f, fileHeader, sizeof fileHeader) &&
                   WriteAll(f, prefix.data(), prefix.size()) && WriteAll(f, bits, pixelBytes);
        },
        uint64_t{sizeof fileHeader} + prefix.size() + pixelBytes);
    return writeError == ze::StatusCode::kOk ? 1 : 0;
}
