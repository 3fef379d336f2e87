// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_rows.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "document/picture_type.h"
#include "image/dib.h"
#include "image/image.h"
#include "image/picture_size.h"
#include "image/row_writer.h"
#include "image/save_options.h"
#include "io/safe_write.h"

namespace cli {
namespace {

// A 24-bit BMP of the rows handed on. A BMP keeps its bottom row first, so
// a block of rows is filled from its end and written at its place.
class CBmpRowsOut : public ze::RowWriter {
public:
    CBmpRowsOut(std::FILE* file, int width, int height, size_t bitsOffset)
        : m_file(file),
          m_width(width),
          m_height(height),
          m_bitsOffset(bitsOffset),
          m_rowBytes(dib::RowBytes(width, 24)),
          m_blockRows(std::max<size_t>(1, kBlockBytes / m_rowBytes)),
          m_block(m_blockRows * m_rowBytes) {}

    void Begin(int width, int height, ze::RowForm form, const uint8_t*) override {
        m_started = true;
        // Rows of one byte a pixel make an 8-bit BMP: not this one.
        m_ok = form == ze::RowForm::kRgb && width == m_width && height == m_height;
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
    bool Refused() const override { return m_started && !m_ok; }
    // Every row arrived and went into the file, which ends after the last.
    bool Finish() override {
        return m_ok && m_y == m_height && std::fseek(m_file, 0, SEEK_END) == 0;
    }

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

// Whether rows alone give the bytes the whole-picture path writes for this
// pair. That path reads a JPEG into a JPEG at 128 colours, which takes the
// whole picture, and a BMP written from a BMP keeps the source's header
// fields (its resolution), which the rows do not carry. The readers stream
// only some of their files (a PNG of one pass without alpha, a BMP without
// run-length data); the others take the whole-picture path too.
bool Streams(int inType, int outType) {
    const bool source = inType == kImageJpeg || inType == kImagePng || inType == kImageBmp;
    const bool target = outType == kImageBmp || outType == kImagePng || outType == kImageJpeg;
    return source && target && !(inType == kImageJpeg && outType == kImageJpeg) &&
           !(inType == kImageBmp && outType == kImageBmp);
}

// The writer for the target's format, with the size a BMP is made for (the
// others learn it from the rows).
std::unique_ptr<ze::RowWriter> WriterFor(int outType, std::FILE* file, const ze::HeaderSize& size,
                                         size_t bmpBitsOffset, const ze::SaveOptions& options) {
    if (outType == kImagePng) return ze::MakePngRowWriter(file);
    if (outType == kImageJpeg)
        return ze::MakeJpegRowWriter(file, ze::QualityOr(options, ze::kJpegDefaultQuality));
    return std::make_unique<CBmpRowsOut>(file, size.width, size.height, bmpBitsOffset);
}

}  // namespace

bool ConvertRowByRow(const std::string& in, int inType, const std::string& out, int outType,
                     const ze::SaveOptions& options) {
    // Only a regular file: a pipe or a device would be read here and then
    // again by the whole-picture path, which would find it drained.
    struct stat info {};
    if (!Streams(inType, outType) || ::stat(in.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // A BMP's headers come before the rows, from the size in the source's
    // header; its size is then known, so it is reserved when the target is
    // written in place. The others are encoded into memory in that case.
    ze::HeaderSize size;
    std::vector<uint8_t> headers;
    std::optional<uint64_t> bytes;
    if (outType == kImageBmp) {
        size = ze::ReadPictureSize(in, inType);
        if (!size.failure.ok() || size.width <= 0 || size.height <= 0) return false;
        headers = BmpHeaders(size.width, size.height);
        if (headers.empty()) return false;
        bytes = headers.size() +
                uint64_t{dib::RowBytes(size.width, 24)} * static_cast<uint64_t>(size.height);
    }
    const ze::Status written = ze::WriteFileSafely(
        out,
        [&](std::FILE* file) {
            if (std::fwrite(headers.data(), 1, headers.size(), file) != headers.size())
                return false;
            const std::unique_ptr<ze::RowWriter> rows =
                WriterFor(outType, file, size, headers.size(), options);
            CImage image;
            image.rowSink = rows.get();
            image.rowsOnly = true;
            image.fullColour = true;
            image.Load(in, inType);
            // A damaged file is left to the whole-picture path and its
            // reasons.
            return rows->Started() && image.GetReadFailure().ok() && rows->Finish();
        },
        bytes);
    return written == ze::StatusCode::kOk;
}

}  // namespace cli
