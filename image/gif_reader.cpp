// SPDX-License-Identifier: GPL-3.0-or-later
// GIF reading: header, colour tables, the graphic control extension's
// transparent index and the first image, whose LZW data are decoded row by
// row into the pixel array (de-interlaced when the image is interlaced).
//
// The input is hostile: every table index below is bounded by construction
// (codes are at most 12 bits, every string in the table is built from codes
// that exist), and strings are written into a line buffer with room for the
// longest possible string.
//
// Decisions for malformed files:
// - No colour table at all: the picture has no palette and shows as a grey
//   ramp (pixel index i is grey level i).
// - A zero-length sub-block inside the pixel data ends the data, as the end of
//   the file does: the rows finished so far stand, the row being assembled is
//   dropped, the others stay index 0.
// - A file that ends inside the header's colour table or an image descriptor
//   holds no image; one that ends inside a local colour table gives the image
//   with the missing entries black and no pixel data.
// - After all rows of an image are filled, further data are ignored.
// - Data that do not begin with a clear code decode as if they did: the first
//   code adds no string to the table.
// - An image that cannot be made (empty, over the size bound, no memory):
//   Read answers 0 and the picture has no pixels.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "image/gif_codec.h"
#include "image/image_types.h"
#include "io/file_io.h"

namespace {

// Buffered bytes of the file.
class ByteSource {
public:
    explicit ByteSource(std::FILE* file) : m_file(file), m_buf(kSize) {}

    // 0..255, or -1 at the end of the file.
    int Get() {
        if (m_pos == m_len && !Fill()) return -1;
        return m_buf[m_pos++];
    }

    // Copies up to n bytes; answers how many the file still had.
    size_t Read(uint8_t* out, size_t n) {
        size_t done = 0;
        while (done < n) {
            if (m_pos == m_len && !Fill()) break;
            const size_t k = std::min(n - done, m_len - m_pos);
            std::memcpy(out + done, m_buf.data() + m_pos, k);
            m_pos += k;
            done += k;
        }
        return done;
    }

    // Bytes of the file taken so far.
    uint64_t Position() const { return m_base + m_pos; }

    void Skip(size_t n) {
        while (n > 0) {
            if (m_pos == m_len && !Fill()) return;
            const size_t k = std::min(n, m_len - m_pos);
            m_pos += k;
            n -= k;
        }
    }

private:
    static constexpr size_t kSize = 65536;

    bool Fill() {
        if (m_eof) return false;
        m_base += m_len;
        m_pos = 0;
        m_len = std::fread(m_buf.data(), 1, kSize, m_file);
        if (m_len == 0) m_eof = true;
        return m_len > 0;
    }

    std::FILE* m_file;
    std::vector<uint8_t> m_buf;
    uint64_t m_base = 0;  // file bytes before the buffer's
    size_t m_pos = 0;
    size_t m_len = 0;
    bool m_eof = false;
};

// LZW codes from the image's data sub-blocks, least significant bit first.
// The payload of many sub-blocks is gathered into one chunk so that the bit
// buffer is refilled without looking at block boundaries.
class CodeReader {
public:
    explicit CodeReader(ByteSource& src) : m_src(src), m_chunk(kChunk + 8) {}

    // The next code of `size` bits, or -1 when the data have ended.
    int Next(int size) {
        if (m_count < size) {
            Refill();
            if (m_count < size) return -1;
        }
        const int code = static_cast<int>(m_acc & ((1u << size) - 1));
        m_acc >>= size;
        m_count -= size;
        return code;
    }

private:
    static constexpr size_t kChunk = 65536;

    void Refill() {
        for (;;) {
            if constexpr (std::endian::native == std::endian::little) {
                if (m_end - m_p >= 8) {
                    uint64_t v;
                    std::memcpy(&v, m_p, 8);
                    m_acc |= v << m_count;
                    m_p += (63 - m_count) >> 3;
                    m_count |= 56;
                    return;
                }
            }
            while (m_count <= 56 && m_p < m_end) {
                m_acc |= static_cast<uint64_t>(*m_p++) << m_count;
                m_count += 8;
            }
            if (m_count > 56 || !Load()) return;
        }
    }

    // Gathers the next sub-blocks into the chunk; false when no data are left.
    bool Load() {
        size_t n = 0;
        while (!m_ended && kChunk - n >= 255) {
            const int len = m_src.Get();
            if (len <= 0) {  // the terminator, or the end of the file
                m_ended = true;
                break;
            }
            const size_t got = m_src.Read(m_chunk.data() + n, static_cast<size_t>(len));
            n += got;
            if (got < static_cast<size_t>(len)) m_ended = true;
        }
        m_p = m_chunk.data();
        m_end = m_p + n;
        return n > 0;
    }

    ByteSource& m_src;
    std::vector<uint8_t> m_chunk;
    const uint8_t* m_p = nullptr;
    const uint8_t* m_end = nullptr;
    uint64_t m_acc = 0;
    int m_count = 0;
    bool m_ended = false;
};

// Puts decoded rows into the pixel array: top row first, or in the four
// interlace passes (every 8th row from 0, every 8th from 4, every 4th from 2,
// every 2nd from 1).
class RowSink {
public:
    RowSink(CImageImpl& image, bool interlaced)
        : m_image(image),
          m_interlaced(interlaced),
          m_height(image.Pixels().imageHeight),
          m_step(interlaced ? 8 : 1),
          m_done(m_height <= 0) {}

    // Stores one row (n bytes, at most the width); false when every row is
    // already filled.
    bool Deliver(const uint8_t* row, size_t n) {
        if (m_done) return false;
        uint8_t* target = m_image.Pixels().imageBits +
                          static_cast<size_t>(m_image.Pixels().rowBytes) * (m_height - 1 - m_row);
        std::memcpy(target, row, n);
        m_row += m_step;
        while (m_row >= m_height) {
            if (!m_interlaced || m_pass == 3) {
                m_done = true;
                break;
            }
            if (m_pass > 0) m_step /= 2;
            ++m_pass;
            m_row = m_step / 2;
        }
        return true;
    }

private:
    CImageImpl& m_image;
    bool m_interlaced;
    int m_height;
    int m_row = 0;
    int m_step;
    int m_pass = 0;
    bool m_done;
};

constexpr int kMaxCodes = 4096;

// Code table: each string is its prefix code plus one last byte, with its
// length and first byte, so a string is written back to front.
struct Entry {
    uint16_t prefix;
    uint16_t length;
    uint8_t suffix;
    uint8_t first;
};

// Writes the string of code `c` to `out` and answers its length. A code not
// yet defined is the string being defined: the previous string plus its own
// first byte (a code further ahead is taken as this one, and `c` becomes
// `next`). The string's first byte goes to *first.
inline size_t WriteString(const Entry* table, int& c, int old, int next, uint8_t* out,
                          uint8_t* first) {
    int k = c;
    size_t n;
    if (c >= next) {
        k = old;
        c = next;
        n = table[k].length + 1u;
        out[n - 1] = table[k].first;
    } else {
        n = table[k].length;
    }
    *first = table[k].first;
    for (size_t i = table[k].length - 1u; i > 0; --i) {
        out[i] = table[k].suffix;
        k = table[k].prefix;
    }
    out[0] = *first;
    return n;
}

// Hands every whole row of the `pos` bytes in `buf` to `sink` and keeps the
// rest at the start of `buf`; false when every row is filled.
inline bool DeliverRows(RowSink& sink, uint8_t* buf, size_t& pos, size_t w) {
    size_t start = 0;
    while (pos - start >= w) {
        if (!sink.Deliver(buf + start, w)) return false;
        start += w;
    }
    std::memmove(buf, buf + start, pos - start);
    pos -= start;
    return true;
}

// Decodes the image's LZW data (minimum code size byte and sub-blocks) into
// `sink`, `width` pixels a row. Stops at the end code, at the end of the data
// or when every row is filled.
void Decode(ByteSource& src, RowSink& sink, int width) {
    const int minSize = src.Get();
    if (minSize < 2 || minSize > 9) return;
    const int clear = 1 << minSize;
    const int end = clear + 1;
    const int firstFree = clear + 2;
    std::vector<Entry> entries(kMaxCodes, Entry{0, 1, 0, 0});
    Entry* const table = entries.data();
    for (int i = 0; i < clear; ++i) table[i].suffix = table[i].first = static_cast<uint8_t>(i);

    // A row being assembled plus room for the longest string.
    std::vector<uint8_t> line(static_cast<size_t>(width) + kMaxCodes + 8);
    uint8_t* const buf = line.data();
    const size_t w = static_cast<size_t>(width);
    size_t pos = 0;

    CodeReader codes(src);
    int size = minSize + 1;
    int top = 1 << size;
    int next = firstFree;
    int old = -1;  // no previous code: at the start and after a clear code
    for (;;) {
        int c = codes.Next(size);
        if (c < 0) return;  // the data ended: the row being assembled is dropped
        if (c == end) break;
        if (c == clear) {
            size = minSize + 1;
            top = 1 << size;
            next = firstFree;
            old = -1;
            continue;
        }
        size_t n = 1;
        if (old < 0) {
            // The first code after a clear is a single byte; a code that is
            // not yet defined counts as 0.
            if (c >= next) c = 0;
            buf[pos] = table[c].suffix;
        } else {
            uint8_t first;
            n = WriteString(table, c, old, next, buf + pos, &first);
            if (next < kMaxCodes) {
                table[next] =
                    Entry{static_cast<uint16_t>(old), static_cast<uint16_t>(table[old].length + 1),
                          first, table[old].first};
                ++next;
                if (next >= top && size < 12) {
                    ++size;
                    top <<= 1;
                }
            }
        }
        old = c;
        pos += n;
        if (pos >= w && !DeliverRows(sink, buf, pos, w)) return;
    }
    // The end code: a row that was begun is stored as far as it goes.
    if (pos > 0) sink.Deliver(buf, pos);
}

// A colour table as the file holds it: `count` RGB entries.
struct ColourTable {
    uint8_t rgb[256 * 3] = {};
    int count = 0;
    bool present = false;

    // Reads the table that the packed field `flags` announces (if it does).
    void Read(ByteSource& src, int flags) {
        if (!(flags & 0x80)) return;
        count = 2 << (flags & 7);
        std::memset(rgb, 0, sizeof rgb);
        src.Read(rgb, static_cast<size_t>(count) * 3);
        present = true;
    }
};

// The picture's palette from the colour table. With a transparent index,
// the palette has 256 entries, that index black and white among them, as
// transparent drawing needs.
void SetGifPalette(CImageImpl& image, const ColourTable& table, int transparent) {
    uint8_t red[256] = {}, green[256] = {}, blue[256] = {};
    bool white = false;
    const int count = table.count;
    for (int i = 0; i < count; ++i) {
        red[i] = table.rgb[3 * i], green[i] = table.rgb[3 * i + 1], blue[i] = table.rgb[3 * i + 2];
        white = white || (red[i] == 255 && green[i] == 255 && blue[i] == 255);
    }
    int entries = count;
    if (transparent != -1) {
        const int t = transparent;
        red[t] = green[t] = blue[t] = 0;
        for (int i = count; i < 256; ++i) red[i] = green[i] = blue[i] = 255;
        if (count < 256) white = true;
        if (!white) red[255] = green[255] = blue[255] = 255;
        entries = 256;
    }
    image.SetPalette(entries, red, green, blue);
}

// What reading an extension found.
constexpr int kExtensionRead = -2;

// Reads one extension after its introducer, taking the transparent index of
// a graphic control extension. kExtensionRead when it was read; else the
// byte to give the reason there is no image by (-1: the file ended; 0: a
// damaged control block).
int ReadExtension(ByteSource& src, int* transparent) {
    const int label = src.Get();
    if (label < 0) return -1;
    if (label == 0xF9) {
        const int blockSize = src.Get();
        uint8_t data[4];
        const size_t read = src.Read(data, 4);
        if (blockSize != static_cast<int>(read)) return read < 4 ? -1 : 0;
        if (data[0] & 1) *transparent = data[3];
    }
    for (int n; (n = src.Get()) > 0;) src.Skip(static_cast<size_t>(n));
    return kExtensionRead;
}

}  // namespace

int CGifImpl::Read(const std::string& name) {
    return ReadNamedFile(name);
}

int CGifImpl::ReadStream(std::FILE* file) {
    BeginRead(kImageGif);
    ByteSource src(file);
    uint8_t header[13];
    const size_t got = src.Read(header, sizeof header);
    if (got < sizeof header || std::memcmp(header, "GIF8", 4) != 0) {
        // A file that begins as a GIF and ends inside the header is cut off.
        if (got < sizeof header && std::memcmp(header, "GIF8", std::min<size_t>(got, 4)) == 0)
            return FailRead(ze::StatusCode::kCutOff, static_cast<int64_t>(got));
        return FailRead(ze::StatusCode::kNotThisType);
    }

    // A GIF: what the store held before goes.
    Pixels().transparentIndex = -1;
    Create(0, 0, 8, -1);
    int transparent = -1;
    ColourTable table;
    table.Read(src, header[10]);

    // Without an image, the reason: the file ended, its trailer came, or a
    // byte that begins nothing (at the position before the one given).
    const auto noImage = [this, &src](int byte) {
        const auto at = static_cast<int64_t>(src.Position());
        if (byte < 0)
            FailRead(ze::StatusCode::kCutOff, at);
        else if (byte == 0x3B)
            FailRead(ze::StatusCode::kNoPicture);
        else
            FailRead(ze::StatusCode::kCorrupt, at - 1);
        return 1;
    };
    int introducer;
    while ((introducer = src.Get()) == 0x21) {
        const int failed = ReadExtension(src, &transparent);
        if (failed != kExtensionRead) return noImage(failed);
    }
    if (introducer != 0x2C) return noImage(introducer);

    uint8_t desc[9];
    if (src.Read(desc, sizeof desc) < sizeof desc) return noImage(-1);
    const int width = desc[4] | (desc[5] << 8);
    const int height = desc[6] | (desc[7] << 8);
    table.Read(src, desc[8]);
    if (!CreateForRead(width, height, 8, -1)) {
        // Empty, or over the size bound, or no memory: no picture.
        Pixels().imageWidth = Pixels().imageHeight = 0;
        return 0;
    }
    Pixels().transparentIndex = transparent;
    if (table.present) SetGifPalette(*this, table, transparent);
    RowSink sink(*this, (desc[8] & 0x40) != 0);
    try {
        Decode(src, sink, width);
    } catch (const std::bad_alloc&) {
        // No memory for the decoder: the picture keeps index 0.
    }
    return 1;
}
