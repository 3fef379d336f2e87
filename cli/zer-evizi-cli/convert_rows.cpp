// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_rows.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "document/picture_type.h"
#include "image/dib.h"
#include "image/image.h"
#include "image/picture_size.h"
#include "image/row_sink.h"
#include "io/safe_write.h"

namespace cli {
namespace {

// A 24-bit BMP of the rows handed on. A BMP keeps its bottom row first, so
// a block of rows is filled from its end and written at its place.
class CBmpRowsOut : public ze::RowSink {
public:
    CBmpRowsOut(std::FILE* file, int width, int height, size_t bitsOffset)
        : m_file(file),
          m_width(width),
          m_height(height),
          m_bitsOffset(bitsOffset),
          m_rowBytes(dib::RowBytes(width, 24)),
          m_blockRows(std::max<size_t>(1, kBlockBytes / m_rowBytes)),
          m_block(m_blockRows * m_rowBytes) {}

    void Begin(int width, int height, const uint8_t* rgbOfIndex) override {
        m_started = true;
        // Rows of indices (a grey JPEG) make an 8-bit BMP: not this one.
        m_ok = !rgbOfIndex && width == m_width && height == m_height;
    }
    void Put(const uint8_t* rgb) override {
        if (!m_ok || m_y >= m_height) {
            m_ok = false;
            return;
        }
        const size_t inBlock = static_cast<size_t>(m_y++) % m_blockRows;
        uint8_t* bgr = m_block.data() + (m_blockRows - 1 - inBlock) * m_rowBytes;
        for (int x = 0; x < m_width; ++x, rgb += 3, bgr += 3)
            bgr[0] = rgb[2], bgr[1] = rgb[1], bgr[2] = rgb[0];
        if (inBlock + 1 == m_blockRows || m_y == m_height) WriteBlock(inBlock + 1);
    }
    bool Started() const override { return m_started; }
    // Every row arrived and went into the file.
    bool Whole() const { return m_ok && m_y == m_height; }

private:
    static constexpr size_t kBlockBytes = size_t{1} << 16;

    // The block's last `rows` rows, which end with row m_y - 1 from the top.
    void WriteBlock(size_t rows) {
        const uint64_t at =
            m_bitsOffset + uint64_t{m_rowBytes} * static_cast<uint64_t>(m_height - m_y);
        const uint8_t* from = m_block.data() + (m_blockRows - rows) * m_rowBytes;
        if (at > uint64_t(std::numeric_limits<off_t>::max()) ||
            fseeko(m_file, static_cast<off_t>(at), SEEK_SET) != 0 ||
            std::fwrite(from, 1, rows * m_rowBytes, m_file) != rows * m_rowBytes)
            m_ok = false;
    }

    std::FILE* m_file;
    int m_width, m_height, m_y = 0;
    size_t m_bitsOffset, m_rowBytes, m_blockRows;
    std::vector<uint8_t> m_block;  // rows padded to four bytes with zeros
    bool m_started = false, m_ok = false;
};

// The file and info headers the BMP writer gives a 24-bit picture of this
// size; empty when it is too large for the format.
std::vector<uint8_t> BmpHeaders(int width, int height) {
    const dib::Block one = dib::AllocateDib(24, width, 1, std::numeric_limits<int64_t>::max());
    if (!one) return {};
    const size_t offset = dib::BitsOffset(one.data());
    const uint64_t pixels = uint64_t{dib::RowBytes(width, 24)} * static_cast<uint64_t>(height);
    const uint64_t size = 14 + offset + pixels;
    if (size > std::numeric_limits<uint32_t>::max()) return {};
    std::vector<uint8_t> headers(14 + offset);
    headers[0] = 'B', headers[1] = 'M';
    dib::Put32(headers.data() + 2, static_cast<uint32_t>(size));
    dib::Put32(headers.data() + 10, static_cast<uint32_t>(14 + offset));
    std::copy(one.data(), one.data() + offset, headers.begin() + 14);
    dib::Put32(headers.data() + 14 + dib::kBiHeight, static_cast<uint32_t>(height));
    dib::Put32(headers.data() + 14 + dib::kBiSizeImage, static_cast<uint32_t>(pixels));
    return headers;
}

}  // namespace

bool ConvertRowByRow(const std::string& in, int inType, const std::string& out, int outType) {
    if (inType != kImageJpeg || outType != kImageBmp) return false;
    const ze::HeaderSize size = ze::ReadPictureSize(in, inType);
    if (!size.failure.ok() || size.width <= 0 || size.height <= 0) return false;
    const std::vector<uint8_t> headers = BmpHeaders(size.width, size.height);
    if (headers.empty()) return false;
    const uint64_t bytes = headers.size() + uint64_t{dib::RowBytes(size.width, 24)} *
                                                static_cast<uint64_t>(size.height);
    const ze::Status written = ze::WriteFileSafely(
        out,
        [&](std::FILE* file) {
            if (std::fwrite(headers.data(), 1, headers.size(), file) != headers.size())
                return false;
            CBmpRowsOut rows(file, size.width, size.height, headers.size());
            CImage image;
            image.rowSink = &rows;
            image.fullColour = true;
            image.Load(in, inType);
            // A damaged file is left to the whole-picture path and its
            // reasons.
            return rows.Whole() && image.GetReadFailure().ok() &&
                   std::fseek(file, 0, SEEK_END) == 0;
        },
        bytes);
    return written == ze::StatusCode::kOk;
}

}  // namespace cli
