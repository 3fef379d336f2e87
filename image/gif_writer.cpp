// SPDX-License-Identifier: GPL-3.0-or-later
// GIF writing: one image, not interlaced, 256-entry global colour table, LZW
// data in sub-blocks of at most 254 bytes. Strings are found in an
// open-addressing hash table of 5,003 slots with a secondary probe; codes grow
// from 9 to 12 bits and a clear code follows once the 4,096 codes are used.
// A picture with a transparent index is written as GIF89a with a graphic
// control extension that carries it; any other as GIF87a. A picture of more
// than 8 bits a pixel is first reduced to 256 colours (gif_quantize.cpp).

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/gif_codec.h"
#include "image/gif_quantize.h"
#include "image/image_types.h"
#include "image/rgb_rows.h"
#include "io/messages.h"
#include "io/safe_write.h"

namespace {

constexpr int kHashSize = 5003;
constexpr int kMaxBits = 12;
constexpr int kCodeLimit = 1 << kMaxBits;
constexpr int kBlockMax = 254;
constexpr int kInitBits = 9;  // minimum code size 8, plus one

// How far a pixel value is shifted in the hash: 8 less the number of
// doublings of the table size that stay below 65,536.
constexpr int HashShift() {
    int shift = 0;
    for (long f = kHashSize; f < 65536; f *= 2) ++shift;
    return 8 - shift;
}

// The encoder's state for one write.
class GifEncoder {
public:
    explicit GifEncoder(std::FILE* file) : m_file(file) { m_out.reserve(kOutChunk + 512); }

    void Bytes(const void* data, size_t n) {
        const auto* p = static_cast<const uint8_t*>(data);
        m_out.insert(m_out.end(), p, p + n);
        if (m_out.size() >= kOutChunk) Drain();
    }

    // Compresses the pixels, `width` a row, rows from the top of the picture
    // down; `row(r)` gives the indices of picture row r counted from the top.
    template <typename RowSource>
    void Compress(int width, int height, RowSource row) {
        m_nBits = kInitBits;
        m_maxCode = (1 << m_nBits) - 1;
        m_clearCode = 1 << (kInitBits - 1);
        m_endCode = m_clearCode + 1;
        m_freeEnt = m_clearCode + 2;
        m_clearFlag = false;
        constexpr int shift = HashShift();

        ClearHash();
        Output(m_clearCode);
        int ent = -1;
        for (int r = 0; r < height; ++r) {
            const uint8_t* p = row(r);
            int x = 0;
            if (ent < 0) ent = p[x++];
            for (; x < width; ++x) {
                const int c = p[x];
                // The string ent + c as a key: (c << 12) + ent, kept in the
                // upper 20 bits of a slot whose lower 12 bits hold its code.
                const uint32_t key = static_cast<uint32_t>((c << kMaxBits) + ent) << kMaxBits;
                int i = (c << shift) ^ ent;
                uint32_t slot = m_slots[i];
                if (Holds(slot, key)) {
                    ent = static_cast<int>(slot - key);
                    continue;
                }
                if (slot != kEmpty) {
                    // Secondary probe; it ends at an empty slot or at one whose
                    // key is 0.
                    const int disp = i == 0 ? 1 : kHashSize - i;
                    do {
                        i -= disp;
                        if (i < 0) i += kHashSize;
                        slot = m_slots[i];
                    } while (!Holds(slot, key) && slot >= (1u << kMaxBits));
                    if (Holds(slot, key)) {
                        ent = static_cast<int>(slot - key);
                        continue;
                    }
                }
                Output(ent);
                ent = c;
                if (m_freeEnt < kCodeLimit) {
                    m_slots[i] = key | static_cast<uint32_t>(m_freeEnt++);
                } else {
                    ClearBlock();
                }
            }
        }
        Output(ent);
        Output(m_endCode);
    }

    // Writes what is buffered; false when the file took less than all of it.
    bool Finish() {
        Drain();
        return m_ok;
    }

private:
    static constexpr size_t kOutChunk = 1 << 16;
    static constexpr uint32_t kEmpty = 0;
    static constexpr uint32_t kFirstCode = 258;

    void Drain() {
        if (!m_out.empty() && std::fwrite(m_out.data(), 1, m_out.size(), m_file) != m_out.size())
            m_ok = false;
        m_out.clear();
    }

    // Whether a slot holds the string `key`: its code (258..4095) is then the
    // difference. An empty slot never matches.
    static bool Holds(uint32_t slot, uint32_t key) {
        return slot - key - kFirstCode < static_cast<uint32_t>(kCodeLimit - kFirstCode);
    }

    void ClearHash() { std::fill(std::begin(m_slots), std::end(m_slots), kEmpty); }

    void ClearBlock() {
        ClearHash();
        m_freeEnt = m_clearCode + 2;
        m_clearFlag = true;
        Output(m_clearCode);
    }

    // Appends a code of the current size to the bit stream, least
    // significant bit first.
    void Output(int code) {
        m_accum &= (1u << m_curBits) - 1;
        m_accum |= static_cast<uint32_t>(code) << m_curBits;
        m_curBits += m_nBits;
        if (m_blockLen + 2 < kBlockMax) {
            // At most two whole bytes (7 + 12 bits), and they fit the block.
            while (m_curBits >= 8) {
                m_block[m_blockLen++] = static_cast<uint8_t>(m_accum);
                m_accum >>= 8;
                m_curBits -= 8;
            }
        } else {
            while (m_curBits >= 8) {
                PutByte(static_cast<uint8_t>(m_accum));
                m_accum >>= 8;
                m_curBits -= 8;
            }
        }
        if (m_freeEnt > m_maxCode || m_clearFlag || code == m_endCode) AfterOutput(code);
    }

    // The code size grows once the codes of the current size are used, and
    // returns to 9 bits after a clear code; the end code flushes every bit.
    void AfterOutput(int code) {
        if (m_freeEnt > m_maxCode || m_clearFlag) {
            if (m_clearFlag) {
                m_nBits = kInitBits;
                m_maxCode = (1 << m_nBits) - 1;
                m_clearFlag = false;
            } else {
                ++m_nBits;
                m_maxCode = m_nBits == kMaxBits ? kCodeLimit : (1 << m_nBits) - 1;
            }
        }
        if (code == m_endCode) {
            while (m_curBits > 0) {
                PutByte(static_cast<uint8_t>(m_accum));
                m_accum >>= 8;
                m_curBits -= 8;
            }
            FlushBlock();
        }
    }

    void PutByte(uint8_t b) {
        m_block[m_blockLen++] = b;
        if (m_blockLen >= kBlockMax) FlushBlock();
    }

    void FlushBlock() {
        if (m_blockLen == 0) return;
        m_out.push_back(static_cast<uint8_t>(m_blockLen));
        m_out.insert(m_out.end(), m_block, m_block + m_blockLen);
        m_blockLen = 0;
        if (m_out.size() >= kOutChunk) Drain();
    }

    std::FILE* m_file;
    std::vector<uint8_t> m_out;
    bool m_ok = true;

    int m_nBits = kInitBits;
    int m_maxCode = 0;
    int m_clearCode = 0;
    int m_endCode = 0;
    int m_freeEnt = 0;
    bool m_clearFlag = false;
    uint32_t m_accum = 0;
    int m_curBits = 0;
    uint32_t m_slots[kHashSize];
    uint8_t m_block[256];
    int m_blockLen = 0;
};

void Put16(uint8_t* p, int v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Writes one GIF of `width` x `height` indices with the 256-entry colour
// `table` (red, green, blue); `row(r)` gives the indices of picture row r
// counted from the top. A transparent index of 0..255 makes it GIF89a with a
// graphic control extension that carries it.
template <typename RowSource>
ze::Status WriteGifFile(const std::string& fileName, int width, int height, const uint8_t* table,
                        int transparentIndex, RowSource row) {
    const bool transparent = transparentIndex >= 0 && transparentIndex < 256;
    return ze::WriteFileSafely(fileName, [&](std::FILE* file) {
        try {
            auto enc = std::make_unique<GifEncoder>(file);
            uint8_t head[13];
            std::memcpy(head, transparent ? "GIF89a" : "GIF87a", 6);
            Put16(head + 6, width);
            Put16(head + 8, height);
            head[10] = 0xF7;
            head[11] = 0;
            head[12] = 0;
            enc->Bytes(head, sizeof head);
            enc->Bytes(table, 256 * 3);
            if (transparent) {
                const uint8_t gce[8] = {
                    0x21, 0xF9, 4, 1, 0, 0, static_cast<uint8_t>(transparentIndex), 0};
                enc->Bytes(gce, sizeof gce);
            }
            uint8_t desc[11] = {0x2C, 0, 0, 0, 0};
            Put16(desc + 5, width);
            Put16(desc + 7, height);
            desc[9] = 0;
            desc[10] = 8;  // minimum code size
            enc->Bytes(desc, sizeof desc);
            enc->Compress(width, height, row);
            const uint8_t trailer[2] = {0, 0x3B};
            enc->Bytes(trailer, sizeof trailer);
            return enc->Finish();
        } catch (const std::bad_alloc&) {
            return false;
        }
    });
}

// The largest width or height the format can hold.
constexpr int kMaxSide = 65535;

}  // namespace

int CGifImpl::Write(const std::string& name) {
    if (!name.empty()) fileName = name;
    const PixelStore& px = Pixels();
    const int width = px.imageWidth;
    const int height = px.imageHeight;
    const int depth = px.imageDepth;
    // Nothing to write, or a size that a GIF cannot hold.
    if (!px.imageBits || width <= 0 || height <= 0)
        return FailEncode(ze::StatusCode::kNoPixels, kImageGif);
    if (width > kMaxSide || height > kMaxSide)
        return FailEncode(ze::StatusCode::kSideTooLong, kImageGif, 0, kMaxSide);
    // Clear pixels that do not go by index need a palette made for them.
    if (depth > 8 || (px.HasAlpha() && px.HasTransparency())) {
        writeError = WriteQuantized();
    } else if (depth == 1 || depth == 2 || depth == 4 || depth == 8) {
        writeError = WriteIndexed();
    } else {
        return FailEncode(ze::StatusCode::kDepthNotWritten, kImageGif, depth);
    }
    switch (writeError.code) {
        case ze::StatusCode::kOk:
        case ze::StatusCode::kEncode:
            break;
        case ze::StatusCode::kWriteDenied:
        case ze::StatusCode::kReadOnlyFs:
        case ze::StatusCode::kNoFolder:
        case ze::StatusCode::kNotRegular:
        case ze::StatusCode::kLinkLoop:
            ze::ReportMessage("Can't open GIF for writing");
            break;
        default:
            ze::ReportMessage("Write Error in GIF file");
    }
    return writeError == ze::StatusCode::kOk ? 1 : 0;
}

ze::Status CGifImpl::WriteIndexed() {
    const PixelStore& px = Pixels();
    const int width = px.imageWidth, height = px.imageHeight, depth = px.imageDepth;
    // The colour table: the palette's entries, zero past them; without a
    // palette the grey ramp the picture shows with (index i of 2^depth levels).
    uint8_t table[256 * 3] = {};
    if (px.imagePalette) {
        const auto& entries = px.imagePalette->GetEntries();
        for (size_t i = 0; i < entries.size() && i < 256; ++i) {
            table[3 * i] = entries[i].red;
            table[3 * i + 1] = entries[i].green;
            table[3 * i + 2] = entries[i].blue;
        }
    } else {
        const int levels = (1 << depth) - 1;
        for (int i = 0; i <= levels; ++i) std::memset(table + 3 * i, i * 255 / levels, 3);
    }
    if (depth == 8) {
        return WriteGifFile(fileName, width, height, table, px.transparentIndex, [&](int r) {
            return static_cast<const uint8_t*>(px.imageBits) +
                   static_cast<size_t>(px.rowBytes) * (height - 1 - r);
        });
    }
    // Packed depths: one index byte a pixel, leftmost pixel in the high bits
    // of its byte.
    std::vector<uint8_t> unpacked(static_cast<size_t>(width));
    const int mask = (1 << depth) - 1;
    return WriteGifFile(fileName, width, height, table, px.transparentIndex, [&](int r) {
        const uint8_t* src = px.imageBits + static_cast<size_t>(px.rowBytes) * (height - 1 - r);
        for (int x = 0; x < width; ++x) {
            const int bit = x * depth;
            unpacked[x] = static_cast<uint8_t>((src[bit / 8] >> (8 - depth - bit % 8)) & mask);
        }
        return static_cast<const uint8_t*>(unpacked.data());
    });
}

ze::Status CGifImpl::WriteQuantized() {
    ze::QuantizedPicture quantized;
    if (const ze::StatusCode error = ze::QuantizeForGif(CRgbRows(Pixels()), &quantized);
        error != ze::StatusCode::kOk) {
        FailEncode(error, kImageGif);
        return ze::StatusCode::kEncode;
    }
    const size_t width = static_cast<size_t>(quantized.width);
    return WriteGifFile(fileName, quantized.width, quantized.height, quantized.palette,
                        quantized.transparentIndex, [&](int r) {
                            return static_cast<const uint8_t*>(quantized.indices.data()) +
                                   width * static_cast<size_t>(r);
                        });
}
