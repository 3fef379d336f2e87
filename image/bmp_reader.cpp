// SPDX-License-Identifier: GPL-3.0-or-later
// BMP reading. The file is treated as hostile: every size taken from it is
// checked against the file and the pixel bound before it sizes anything, and
// bytes that the file does not hold read as zero.

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "image/bmp_codec.h"
#include "image/dib.h"
#include "image/image_types.h"
#include "image/row_sink.h"
#include "io/file_io.h"

namespace {

using dib::Get16;
using dib::Get32;
using dib::Put16;
using dib::Put32;

// Random access to the bytes of a file or a memory buffer.
class Source {
public:
    virtual ~Source() = default;
    uint64_t Size() const { return m_size; }

    // Copies n bytes from pos into dst; bytes past the end read as zero.
    // Answers how many bytes the source really held.
    size_t ReadAt(uint64_t pos, uint8_t* dst, size_t n) {
        if (n == 0) return 0;
        size_t got = 0;
        if (pos < m_size)
            got = Fetch(pos, dst, static_cast<size_t>(std::min<uint64_t>(n, m_size - pos)));
        if (got < n) std::memset(dst + got, 0, n - got);
        return got;
    }

protected:
    virtual size_t Fetch(uint64_t pos, uint8_t* dst, size_t n) = 0;
    uint64_t m_size = 0;
};

class MemorySource : public Source {
public:
    MemorySource(const uint8_t* data, size_t size) : m_data(data) { m_size = data ? size : 0; }

private:
    size_t Fetch(uint64_t pos, uint8_t* dst, size_t n) override {
        std::memcpy(dst, m_data + pos, n);
        return n;
    }
    const uint8_t* m_data;
};

#ifdef _WIN32
int SeekTo(std::FILE* f, uint64_t pos, int whence) {
    return _fseeki64(f, static_cast<__int64>(pos), whence);
}
uint64_t Tell(std::FILE* f) {
    return static_cast<uint64_t>(_ftelli64(f));
}
#else
int SeekTo(std::FILE* f, uint64_t pos, int whence) {
    return fseeko(f, static_cast<off_t>(pos), whence);
}
uint64_t Tell(std::FILE* f) {
    return static_cast<uint64_t>(ftello(f));
}
#endif

class FileSource : public Source {
public:
    explicit FileSource(std::FILE* f) : m_file(f) {
        if (SeekTo(f, 0, SEEK_END) == 0) {
            const auto end = static_cast<int64_t>(Tell(f));
            if (end > 0) m_size = static_cast<uint64_t>(end);
        }
        m_pos = m_size + 1;  // forces a seek before the first read
    }

private:
    size_t Fetch(uint64_t pos, uint8_t* dst, size_t n) override {
        if (pos != m_pos && SeekTo(m_file, pos, SEEK_SET) != 0) {
            m_pos = m_size + 1;
            return 0;
        }
        const size_t got = std::fread(dst, 1, n, m_file);
        m_pos = pos + got;
        return got;
    }
    std::FILE* m_file;
    uint64_t m_pos = 0;
};

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

// One colour channel of a bit-field pixel, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    uint8_t operator()(uint32_t v) const {
        if (max == 0) return 0;
        const uint64_t x = (v & mask) >> shift;
        return static_cast<uint8_t>((x * 255 + max / 2) / max);
    }
};

// What the headers say, after the checks.
struct Layout {
    int width = 0;
    int height = 0;  // rows, always positive
    bool topDown = false;
    int depth = 0;     // the file's bits per pixel
    int outDepth = 0;  // the block's
    uint32_t compression = kRgb;
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    uint32_t tableEntries = 0;      // entries kept in the block
    uint32_t entrySize = 4;         // 3 with a core header
    uint64_t tablePos = 0;
    uint64_t pixelPos = 0;
    uint32_t sizeImage = 0;  // the file's, only used to bound compressed data
    int32_t xPels = 0, yPels = 0;
    uint32_t clrImportant = 0;
};

bool IsKnownHeaderSize(uint32_t size) {
    // 12 core, 40 plain, 52 and 56 with bit fields, 108 version 4, 124
    // version 5.
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

using ze::Status;
using ze::StatusCode;

Status Failed(StatusCode code, int64_t offset = -1) {
    Status f = code;
    f.offset = offset;
    return f;
}

// A variant the reader does not read; `value` the number its words name.
Status Unsupported(StatusCode variant, int64_t value) {
    Status f = variant;
    f.value = value;
    return f;
}

// kOk when the headers describe a picture this reader takes.
// What the file header gives: where the information header starts and
// where it says the pixels are (0: not said).
struct Start {
    uint64_t header = 0;
    uint32_t pixelOffset = 0;
};

// What the information header says before it is checked.
struct Declared {
    int64_t width = 0;  // as the file has them: the height negative when top-down
    int64_t height = 0;
    uint32_t used = 0;     // the header's count of colours
    uint64_t tableAt = 0;  // where the colour table starts
};

// The fields of the information header (and the masks after a plain one)
// into `out` and `declared`.
Status ReadInfoHeader(Source& src, const Start& at, bool fileHeader, Layout& out,
                      Declared& declared) {
    const auto cut = [&src] { return Failed(ze::StatusCode::kCutOff, int64_t(src.Size())); };
    uint8_t ih[124] = {};
    if (src.ReadAt(at.header, ih, 4) < 4) return cut();
    const uint32_t size = Get32(ih);
    if (!IsKnownHeaderSize(size)) {
        // Without "BM" and a header size of its own, the bytes are no BMP.
        // Other sizes from 16 to 64 are OS/2 2.x headers.
        if (!fileHeader) return Failed(ze::StatusCode::kNotThisType);
        if (size >= 16 && size <= 64) return Unsupported(StatusCode::kOs2Bmp, size);
        return Unsupported(StatusCode::kBmpHeader, size);
    }
    if (src.ReadAt(at.header, ih, size) < size) return cut();
    if (size == 12) {
        declared.width = Get16(ih + 4);
        declared.height = Get16(ih + 6);
        out.depth = Get16(ih + 10);
        out.entrySize = 3;
        if (out.depth != 1 && out.depth != 4 && out.depth != 8 && out.depth != 24)
            return Unsupported(StatusCode::kBmpDepth, out.depth);
    } else {
        declared.width = static_cast<int32_t>(Get32(ih + 4));
        declared.height = static_cast<int32_t>(Get32(ih + 8));
        out.depth = Get16(ih + 14);
        out.compression = Get32(ih + 16);
        out.sizeImage = Get32(ih + 20);
        out.xPels = static_cast<int32_t>(Get32(ih + 24));
        out.yPels = static_cast<int32_t>(Get32(ih + 28));
        declared.used = Get32(ih + 32);
        out.clrImportant = Get32(ih + 36);
        if (size >= 52)
            for (int i = 0; i < 3; ++i) out.masks[i] = Get32(ih + 40 + 4 * i);
    }
    declared.tableAt = at.header + size;
    if (size == 40 && (out.compression == kBitFields || out.compression == kAlphaBitFields)) {
        // The masks follow the plain header (a fourth, alpha, with type 6).
        uint8_t m[16];
        const size_t n = out.compression == kBitFields ? 12 : 16;
        src.ReadAt(declared.tableAt, m, n);
        for (int i = 0; i < 3; ++i) out.masks[i] = Get32(m + 4 * i);
        declared.tableAt += n;
    }
    return {};
}

// The picture's size and row order, bounded by maxPixels.
Status TakeSize(int64_t width, int64_t height, int64_t maxPixels, Layout& out) {
    if (width <= 0 || height == 0 || height < -int64_t{std::numeric_limits<int32_t>::max()})
        return Failed(ze::StatusCode::kNoPicture);
    out.topDown = height < 0;
    if (out.topDown) height = -height;
    if (width * height > maxPixels) {
        Status f = StatusCode::kTooManyPixels;
        f.width = width, f.height = height, f.limit = maxPixels;
        return f;
    }
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    return {};
}

// Depth and compression as a pair this reader takes; the block's depth.
// `compressionAt` is where the compression field stands in the file.
Status TakeCoding(int64_t compressionAt, Layout& out) {
    const int d = out.depth;
    if (d != 1 && d != 4 && d != 8 && d != 16 && d != 24 && d != 32)
        return Unsupported(StatusCode::kBmpDepth, d);
    switch (out.compression) {
        case kRgb:
            if (d == 16) out.masks[0] = 0x7C00, out.masks[1] = 0x03E0, out.masks[2] = 0x001F;
            if (d == 32) out.masks[0] = 0xFF0000, out.masks[1] = 0xFF00, out.masks[2] = 0xFF;
            break;
        case kRle8:
        case kRle4:
            // Run-length data is bottom-up only.
            if (d != (out.compression == kRle8 ? 8 : 4) || out.topDown)
                return Failed(ze::StatusCode::kCorrupt, compressionAt);
            break;
        case kBitFields:
        case kAlphaBitFields:
            if (d != 16 && d != 32) return Failed(ze::StatusCode::kCorrupt, compressionAt);
            break;
        case 4:
            return Unsupported(StatusCode::kBmpJpeg, 4);
        case 5:
            return Unsupported(StatusCode::kBmpPng, 5);
        default:
            return Unsupported(StatusCode::kBmpCompression, out.compression);
    }
    out.outDepth = d;
    if (d == 16) out.outDepth = 24;
    if (d == 32 && !(out.masks[0] == 0xFF0000 && out.masks[1] == 0xFF00 && out.masks[2] == 0xFF))
        out.outDepth = 24;
    return {};
}

// The colour table at `pos` (its entries kept) and where the pixels start.
void PlaceTable(uint64_t pos, uint32_t used, uint32_t pixelOffset, Layout& out) {
    const int d = out.depth;
    out.tablePos = pos;
    uint64_t fileEntries = used;
    if (d <= 8 && used == 0) fileEntries = 1u << d;
    uint64_t kept = d <= 8 ? std::min<uint64_t>(fileEntries, 1u << d) : 0;
    const uint64_t tableEnd = pos + fileEntries * out.entrySize;
    if (pixelOffset != 0 && pixelOffset >= pos) {
        out.pixelPos = pixelOffset;
        // A table cut short by the pixels keeps the entries that fit.
        const uint64_t fit = (pixelOffset - pos) / out.entrySize;
        if (fit >= 1 && fit < kept) kept = fit;
    } else {
        out.pixelPos = tableEnd;
    }
    out.tableEntries = static_cast<uint32_t>(kept);
}

Status ParseHeaders(Source& src, Layout& out, int64_t maxPixels) {
    uint8_t fh[14];
    const size_t got = src.ReadAt(0, fh, sizeof fh);
    // Data that does not start with "BM" is taken as an information header
    // without a file header; its pixels follow the colour table.
    const bool fileHeader = got >= 2 && Get16(fh) == 0x4D42;
    if (got < sizeof fh)
        return (got < 2 || fileHeader) ? Failed(ze::StatusCode::kCutOff, int64_t(src.Size()))
                                       : Failed(ze::StatusCode::kNotThisType);
    const Start at{fileHeader ? 14u : 0u, fileHeader ? Get32(fh + 10) : 0};
    Declared declared;
    if (Status f = ReadInfoHeader(src, at, fileHeader, out, declared); !f.ok()) return f;
    if (Status f = TakeSize(declared.width, declared.height, maxPixels, out); !f.ok()) return f;
    if (Status f = TakeCoding(static_cast<int64_t>(at.header) + 16, out); !f.ok()) return f;
    PlaceTable(declared.tableAt, declared.used, at.pixelOffset, out);
    return {};
}

// Rows stored as the block keeps them. Only the bytes that the file holds
// are copied: the block is zero already, and a short file that declares a
// huge picture leaves the pages for its missing rows untouched.
void ReadRows(Source& src, const Layout& l, uint8_t* bits, size_t rowBytes) {
    const uint64_t held = src.Size() > l.pixelPos ? src.Size() - l.pixelPos : 0;
    const uint64_t total = uint64_t{rowBytes} * static_cast<uint64_t>(l.height);
    if (!l.topDown) {
        src.ReadAt(l.pixelPos, bits, static_cast<size_t>(std::min(held, total)));
        return;
    }
    // Top-down: the file's first row is the block's last.
    for (int r = 0; r < l.height && uint64_t{rowBytes} * static_cast<uint64_t>(r) < held; ++r) {
        const uint64_t offset = uint64_t{rowBytes} * static_cast<uint64_t>(r);
        uint8_t* row = bits + rowBytes * static_cast<size_t>(l.height - 1 - r);
        src.ReadAt(l.pixelPos + offset, row,
                   static_cast<size_t>(std::min<uint64_t>(rowBytes, held - offset)));
    }
}

// 16-bit and bit-field 32-bit rows into blue, green, red.
void ConvertRows(Source& src, const Layout& l, uint8_t* bits, size_t outRow) {
    const size_t inRow = dib::RowBytes(l.width, l.depth);
    std::vector<uint8_t> row(inRow);
    const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
    const int bytes = l.depth / 8;
    for (int r = 0; r < l.height; ++r) {
        const uint64_t pos = l.pixelPos + inRow * static_cast<uint64_t>(r);
        if (pos >= src.Size()) break;  // the rest stays zero
        src.ReadAt(pos, row.data(), inRow);
        const int y = l.topDown ? l.height - 1 - r : r;
        uint8_t* out = bits + outRow * static_cast<size_t>(y);
        const uint8_t* in = row.data();
        for (int x = 0; x < l.width; ++x, in += bytes, out += 3) {
            const uint32_t v = bytes == 2 ? Get16(in) : Get32(in);
            out[0] = blue(v);
            out[1] = green(v);
            out[2] = red(v);
        }
    }
}

// Decodes run-length data into 8- or 4-bit rows. Pixels that the data never
// reaches stay 0; anything that would land outside the picture is dropped.
void DecodeRle(const std::vector<uint8_t>& data, const Layout& l, uint8_t* bits, size_t rowBytes) {
    const bool four = l.compression == kRle4;
    int64_t x = 0, y = 0;
    auto put = [&](int64_t px, int v) {
        if (px < 0 || px >= l.width || y >= l.height) return;
        uint8_t* row = bits + rowBytes * static_cast<size_t>(y);
        if (four) {
            uint8_t& b = row[px / 2];
            b = (px & 1) ? static_cast<uint8_t>((b & 0xF0) | (v & 15))
                         : static_cast<uint8_t>((b & 0x0F) | (v << 4));
        } else {
            row[px] = static_cast<uint8_t>(v);
        }
    };
    size_t p = 0;
    const size_t n = data.size();
    while (p + 1 < n && y < l.height) {
        const int count = data[p], value = data[p + 1];
        p += 2;
        if (count > 0) {
            const int64_t end = std::min<int64_t>(x + count, l.width);
            for (int64_t i = x; i < end; ++i)
                put(i, four ? ((i - x) & 1 ? value & 15 : value >> 4) : value);
            x += count;
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            break;
        } else if (value == 2) {  // move right and up
            if (p + 1 >= n) break;
            x += data[p];
            y += data[p + 1];
            p += 2;
        } else {  // `value` pixels as they are, padded to a 16-bit boundary
            const size_t bytes = four ? (static_cast<size_t>(value) + 1) / 2 : value;
            for (int i = 0; i < value; ++i) {
                const size_t at = p + (four ? static_cast<size_t>(i) / 2 : static_cast<size_t>(i));
                if (at >= n) break;
                put(x + i, four ? (i & 1 ? data[at] & 15 : data[at] >> 4) : data[at]);
            }
            x += value;
            p += bytes + (bytes & 1);
        }
    }
}

// The pixels as a block; with `size`, the checks of the headers alone,
// which leave the width and height there and give no block.
dib::Block ReadBlock(Source& src, int64_t maxPixels, Status& failure, Layout* size = nullptr) {
    Layout l;
    if (Status f = ParseHeaders(src, l, maxPixels); !f.ok()) {
        f.name = failure.name;
        failure = f;
        return {};
    }

    const size_t rowBytes = dib::RowBytes(l.width, l.outDepth);
    const uint64_t pixelBytes = uint64_t{rowBytes} * static_cast<uint64_t>(l.height);
    const uint64_t tableBytes = uint64_t{l.tableEntries} * 4;
    if (rowBytes == 0 || pixelBytes > std::numeric_limits<uint32_t>::max()) {
        failure.code = ze::StatusCode::kTooManyPixels;
        failure.width = l.width, failure.height = l.height, failure.limit = maxPixels;
        return {};
    }
    if (size) {
        *size = l;
        return {};
    }
    dib::Block block =
        dib::Block::Allocate(static_cast<size_t>(dib::kHeaderSize + tableBytes + pixelBytes));
    if (!block) {
        failure.code = ze::StatusCode::kOutOfMemory;
        return block;
    }

    uint8_t* h = block.data();
    Put32(h + dib::kBiSize, dib::kHeaderSize);
    Put32(h + dib::kBiWidth, static_cast<uint32_t>(l.width));
    Put32(h + dib::kBiHeight, static_cast<uint32_t>(l.height));
    Put16(h + dib::kBiPlanes, 1);
    Put16(h + dib::kBiBitCount, static_cast<uint16_t>(l.outDepth));
    Put32(h + dib::kBiCompression, 0);
    Put32(h + dib::kBiSizeImage, static_cast<uint32_t>(pixelBytes));
    Put32(h + dib::kBiXPelsPerMeter, static_cast<uint32_t>(l.xPels));
    Put32(h + dib::kBiYPelsPerMeter, static_cast<uint32_t>(l.yPels));
    Put32(h + dib::kBiClrUsed, l.tableEntries);
    Put32(h + dib::kBiClrImportant, l.clrImportant <= l.tableEntries ? l.clrImportant : 0);

    // Colour table: blue, green, red and a zero byte per entry.
    uint8_t* table = h + dib::kHeaderSize;
    if (l.tableEntries > 0) {
        std::vector<uint8_t> raw(size_t{l.tableEntries} * l.entrySize);
        src.ReadAt(l.tablePos, raw.data(), raw.size());
        for (uint32_t i = 0; i < l.tableEntries; ++i) {
            const uint8_t* e = raw.data() + size_t{i} * l.entrySize;
            table[4 * i] = e[0];
            table[4 * i + 1] = e[1];
            table[4 * i + 2] = e[2];
        }
    }

    uint8_t* bits = table + tableBytes;
    if (l.compression == kRle8 || l.compression == kRle4) {
        uint64_t avail = src.Size() > l.pixelPos ? src.Size() - l.pixelPos : 0;
        if (l.sizeImage != 0) avail = std::min<uint64_t>(avail, l.sizeImage);
        std::vector<uint8_t> data(static_cast<size_t>(avail));
        src.ReadAt(l.pixelPos, data.data(), data.size());
        DecodeRle(data, l, bits, rowBytes);
    } else if (l.outDepth != l.depth) {
        ConvertRows(src, l, bits, rowBytes);
    } else {
        ReadRows(src, l, bits, rowBytes);
    }
    return block;
}

// Whether the rows go to a sink as the file holds them: no run-length data
// or bit fields to convert, and a row of bounded size, since a row is the
// one thing read whole (a short file's missing bytes are made zeros).
bool Streams(const Layout& l) {
    constexpr size_t kLongestRow = size_t{64} << 20;
    return l.outDepth == l.depth && l.compression != kRle8 && l.compression != kRle4 &&
           dib::RowBytes(l.width, l.depth) <= kLongestRow;
}

// One row as the file holds it into the sink's form: blue, green, red (and
// an unused byte) as red, green, blue; 1 and 4 bits a pixel as one index a
// byte, the leftmost pixel in the high bits.
void RowForSink(const uint8_t* in, const Layout& l, uint8_t* out) {
    const int w = l.width;
    if (l.depth >= 24) {
        const int step = l.depth / 8;
        for (int x = 0; x < w; ++x, in += step, out += 3)
            out[0] = in[2], out[1] = in[1], out[2] = in[0];
    } else if (l.depth == 8) {
        std::memcpy(out, in, static_cast<size_t>(w));
    } else {
        const int perByte = 8 / l.depth, mask = (1 << l.depth) - 1;
        for (int x = 0; x < w; ++x) {
            const int shift = (perByte - 1 - x % perByte) * l.depth;
            out[x] = static_cast<uint8_t>((in[x / perByte] >> shift) & mask);
        }
    }
}

// Hands the rows to `sink`, top row first, reading a block of whole rows at
// a time at its place in the file (bottom-up files hold the top row last).
// The colours of indices are the table's, black past its entries.
void StreamRows(Source& src, const Layout& l, ze::RowSink* sink) {
    uint8_t table[256 * 3] = {};
    std::vector<uint8_t> raw(size_t{l.tableEntries} * l.entrySize);
    src.ReadAt(l.tablePos, raw.data(), raw.size());
    for (uint32_t i = 0; i < l.tableEntries; ++i)
        for (int c = 0; c < 3; ++c) table[3 * i + c] = raw[size_t{i} * l.entrySize + 2 - c];
    const bool indexed = l.depth <= 8;
    sink->Begin(l.width, l.height, indexed ? ze::RowForm::kIndexed : ze::RowForm::kRgb,
                indexed ? table : nullptr);
    const size_t rowBytes = dib::RowBytes(l.width, l.depth);
    const int blockRows = static_cast<int>(std::max<size_t>(1, (size_t{1} << 16) / rowBytes));
    std::vector<uint8_t> block(rowBytes * static_cast<size_t>(blockRows));
    std::vector<uint8_t> row(static_cast<size_t>(l.width) * (indexed ? 1 : 3));
    for (int top = 0; top < l.height; top += blockRows) {
        const int n = std::min(blockRows, l.height - top);
        const int first = l.topDown ? top : l.height - top - n;  // in the file's order
        src.ReadAt(l.pixelPos + uint64_t{rowBytes} * static_cast<uint64_t>(first), block.data(),
                   rowBytes * static_cast<size_t>(n));
        for (int j = 0; j < n; ++j) {
            RowForSink(block.data() + rowBytes * static_cast<size_t>(l.topDown ? j : n - 1 - j), l,
                       row.data());
            sink->Put(row.data());
        }
    }
}

}  // namespace

namespace {
int Adopt(CBmpImpl& impl, dib::Block block) {
    if (!block) return 0;
    PixelStore& pixels = impl.Pixels();
    pixels.Renew();
    pixels.DropAlpha();
    pixels.transparentIndex = -1;
    const uint8_t* h = block.data();
    pixels.imageWidth = static_cast<int>(Get32(h + dib::kBiWidth));
    pixels.imageHeight = static_cast<int>(Get32(h + dib::kBiHeight));
    pixels.imageDepth = Get16(h + dib::kBiBitCount);
    pixels.rowBytes = static_cast<int>(dib::RowBytes(pixels.imageWidth, pixels.imageDepth));
    pixels.colorType = pixels.imageDepth <= 8 ? 0 : 2;
    pixels.imageBits = block.data() + dib::BitsOffset(block.data());
    pixels.imageDib = std::move(block);
    if (auto palette = dib::CreateDibPalette(pixels.imageDib.data(), 0)) {
        pixels.imagePalette = std::move(palette);
        dib::SetDibUsage(pixels.imageDib.data(), pixels.imagePalette.get(), dib::Usage::kIndices);
        pixels.colorType = 3;
    }
    return 1;
}

// The pixels into the store, or to the row sink where the file allows.
int ReadPixels(CBmpImpl& impl, Source& src) {
    if (impl.rowSink) {
        Layout l;
        ReadBlock(src, impl.readLimits.maxPixels, impl.readFailure, &l);
        if (!impl.readFailure.ok()) return 0;
        if (Streams(l)) {
            StreamRows(src, l, impl.rowSink);
            return 1;
        }
        if (impl.rowsOnly) return 0;
    }
    return Adopt(impl, ReadBlock(src, impl.readLimits.maxPixels, impl.readFailure));
}

// Drops the pixels, the palette and the sizes, so that a failed read leaves
// a picture that reports no size.
void Release(CBmpImpl& impl) {
    PixelStore& pixels = impl.Pixels();
    pixels.Renew();
    pixels.DropAlpha();
    pixels.imageDib = {};
    pixels.imageBits = nullptr;
    pixels.imagePalette.reset();
    pixels.imageWidth = pixels.imageHeight = pixels.imageDepth = pixels.rowBytes = 0;
}
}  // namespace

int CBmpImpl::Read(const std::string& name) {
    if (!name.empty()) fileName = name;
    Release(*this);
    readFailure = {};
    int openError = 0;
    ze::FilePtr f = ze::OpenForReading(fileName, &openError);
    if (!f) {
        readFailure = ze::StatusFromErrno(openError, ze::Access::kRead);
        return 0;
    }
    BeginRead(kImageBmp);
    FileSource src(f.get());
    if (readSizeOnly) {
        Layout size;
        ReadBlock(src, readLimits.maxPixels, readFailure, &size);
        if (readFailure.ok()) headerWidth = size.width, headerHeight = size.height;
        return 0;
    }
    return ReadPixels(*this, src);
}

int CBmpImpl::ReadMemory(const uint8_t* data, size_t size) {
    Release(*this);
    BeginRead(kImageBmp);
    MemorySource src(data, size);
    return ReadPixels(*this, src);
}
