// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/decoded_rows.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "image/image_impl.h"
#include "io/file_io.h"

namespace ze {

namespace {

constexpr size_t kChunk = size_t{1} << 20;

// How much to read next, `have` read so far: the first megabyte alone, so
// that a large file of another kind is not read on; then all that the
// system said the file holds (`expected`, with the byte past its end that
// shows it ends there), or a megabyte at a time.
size_t NextRead(size_t have, size_t expected) {
    if (have == 0) return expected > 0 ? std::min(expected, kChunk) : kChunk;
    return expected > have ? expected - have : kChunk;
}

}  // namespace

bool ReadWholeFile(CImageImpl& picture, std::FILE* file, std::vector<uint8_t>* bytes,
                   bool (*mayBeThisType)(const std::vector<uint8_t>& start)) {
    const uint64_t maxBytes =
        static_cast<uint64_t>(std::max<int64_t>(picture.readLimits.maxPixels, 0)) * 4 +
        (uint64_t{1} << 20);
    const int64_t left = BytesLeft(file);
    const size_t expected =
        left < 0
            ? 0
            : static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(left), maxBytes) + 1);
    bytes->clear();
    try {
        for (;;) {
            const size_t have = bytes->size();
            // One byte past the bound tells a file at the bound from a larger one.
            const uint64_t room = maxBytes + 1 - have;
            if (room == 0) break;
            const size_t want =
                static_cast<size_t>(std::min<uint64_t>(NextRead(have, expected), room));
            // The whole file's room at once, so that its bytes are never moved.
            if (have > 0 && bytes->capacity() < expected) bytes->reserve(expected);
            bytes->resize(have + want);
            const size_t got = std::fread(bytes->data() + have, 1, want, file);
            bytes->resize(have + got);
            if (have == 0 && !mayBeThisType(*bytes)) {
                bytes->clear();
                return picture.FailRead(ze::StatusCode::kNotThisType);
            }
            if (got < want) break;
        }
    } catch (const std::bad_alloc&) {
        bytes->clear();
        return picture.FailRead(ze::StatusCode::kOutOfMemory);
    }
    if (std::ferror(file)) return picture.FailRead(ze::StatusCode::kReadFailed);
    if (bytes->empty()) return picture.FailRead(ze::StatusCode::kCutOff, 0);
    if (bytes->size() > maxBytes) {
        bytes->clear();
        picture.readFailure.limit = static_cast<int64_t>(maxBytes);
        return picture.FailRead(ze::StatusCode::kFileOverLimit);
    }
    return true;
}

std::unique_ptr<uint8_t[]> AllocateBgra(CImageImpl& picture) {
    try {
        return std::make_unique_for_overwrite<uint8_t[]>(
            static_cast<size_t>(picture.Pixels().imageWidth) *
            static_cast<size_t>(picture.Pixels().imageHeight) * 4);
    } catch (const std::bad_alloc&) {
        picture.Create(0, 0, 24, 2);
        picture.FailRead(ze::StatusCode::kOutOfMemory);
        return nullptr;
    }
}

bool AdmitDecoderMemory(CImageImpl& picture, int64_t width, int64_t height, uint64_t bytesPerPixel,
                        uint64_t fixedBytes, StatusCode refusal) {
    constexpr uint64_t kMiB = uint64_t{1} << 20;
    const uint64_t need = static_cast<uint64_t>(width * height) * bytesPerPixel + fixedBytes;
    const uint64_t limit = picture.readLimits.decoderMemory;
    if (need <= limit) return true;
    Status& f = picture.readFailure;
    f.width = width;
    f.height = height;
    f.value = static_cast<int64_t>((need + kMiB - 1) / kMiB);
    f.limit = static_cast<int64_t>(limit / kMiB);
    picture.FailRead(refusal);
    return false;
}

bool KeepBgraRows(CImageImpl& picture, const uint8_t* bgra, size_t stride) {
    PixelStore& pixels = picture.Pixels();
    const int width = pixels.imageWidth, height = pixels.imageHeight;
    bool opaque = true;
    for (int r = 0; r < height && opaque; ++r) {
        const uint8_t* in = bgra + stride * static_cast<size_t>(r);
        for (int x = 0; x < width; ++x)
            if (in[4 * x + 3] != 255) opaque = false;
    }
    if (!opaque && !pixels.CreateAlpha()) {
        picture.Create(0, 0, 24, 2);
        return picture.FailRead(ze::StatusCode::kOutOfMemory);
    }
    for (int r = 0; r < height; ++r) {
        const uint8_t* in = bgra + stride * static_cast<size_t>(r);
        uint8_t* out = pixels.PixelAddress(0, height - 1 - r);
        uint8_t* alpha = opaque ? nullptr : pixels.AlphaRow(height - 1 - r);
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[0], out[1] = in[1], out[2] = in[2];
            if (alpha) alpha[x] = in[3];
        }
    }
    return true;
}

void FlipRows(CImageImpl& picture) {
    // Whole rows through one spare row, copied in wide steps, rather than
    // swapped byte by byte.
    const size_t bytes = static_cast<size_t>(picture.Pixels().rowBytes);
    std::vector<uint8_t> spare(bytes);
    for (int top = 0, bottom = picture.Pixels().imageHeight - 1; top < bottom; ++top, --bottom) {
        uint8_t* up = picture.PixelAddress(0, top);
        uint8_t* down = picture.PixelAddress(0, bottom);
        std::memcpy(spare.data(), up, bytes);
        std::memcpy(up, down, bytes);
        std::memcpy(down, spare.data(), bytes);
    }
}

}  // namespace ze
