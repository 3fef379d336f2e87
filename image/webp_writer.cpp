// SPDX-License-Identifier: GPL-3.0-or-later
// WebP writing through libwebp: lossy at a quality (method 4, one thread,
// as cwebp does by default) or lossless, streamed into the file as the
// encoder produces it.

#include <webp/encode.h>

#include <cstdint>
#include <new>
#include <vector>

#include "image/image_types.h"
#include "image/rgb_rows.h"
#include "image/webp_codec.h"
#include "io/safe_write.h"

namespace {

// The largest width or height the format can hold.
constexpr int kMaxSide = 16383;

int WriteToFile(const uint8_t* data, size_t size, const WebPPicture* picture) {
    auto* file = static_cast<std::FILE*>(picture->custom_ptr);
    return size == 0 || std::fwrite(data, 1, size, file) == size ? 1 : 0;
}

struct PictureFree {
    WebPPicture& picture;
    ~PictureFree() { WebPPictureFree(&picture); }
};

// The rows top-down, as red, green, blue (and alpha where the picture has
// it), into one buffer; false when it cannot be had.
bool CollectRows(const CRgbRows& rows, std::vector<uint8_t>* out, int* stride) {
    const int channels = rows.HasAlpha() ? 4 : 3;
    *stride = rows.Width() * channels;
    try {
        out->resize(static_cast<size_t>(*stride) * static_cast<size_t>(rows.Height()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int r = 0; r < rows.Height(); ++r) {
        uint8_t* row = out->data() + static_cast<size_t>(*stride) * static_cast<size_t>(r);
        const int y = rows.Height() - 1 - r;
        channels == 4 ? rows.GetRgba(y, row) : rows.Get(y, row);
    }
    return true;
}

}  // namespace

int CWebpImpl::Write(const std::string& name) {
    const PixelStore& px = Pixels();
    if (!name.empty()) fileName = name;
    if (!px.imageBits || px.imageWidth <= 0 || px.imageHeight <= 0)
        return FailEncode(ze::StatusCode::kNoPixels, kImageWebp);
    writeError =
        ze::WriteFileSafely(fileName, [this](std::FILE* f) { return WriteStream(f) != 0; });
    return writeError == ze::StatusCode::kOk ? 1 : 0;
}

int CWebpImpl::WriteStream(std::FILE* file) const {
    const PixelStore& px = Pixels();
    if (!px.imageBits || px.imageWidth <= 0 || px.imageHeight <= 0)
        return FailEncode(ze::StatusCode::kNoPixels, kImageWebp);
    if (px.imageWidth > kMaxSide || px.imageHeight > kMaxSide)
        return FailEncode(ze::StatusCode::kSideTooLong, kImageWebp, 0, kMaxSide);
    WebPConfig config;
    if (!WebPConfigInit(&config)) return FailEncode(ze::StatusCode::kEncoderFailed, kImageWebp);
    config.method = 4;
    config.thread_level = 0;
    if (saveOptions.lossless) {
        // cwebp -lossless -exact: effort 75, colours under transparent
        // pixels kept.
        config.lossless = 1;
        config.quality = 75;
        config.exact = 1;
    } else {
        config.quality = static_cast<float>(ze::QualityOr(saveOptions, ze::kLossyDefaultQuality));
    }

    const CRgbRows colours(px);
    std::vector<uint8_t> pixels;
    int stride = 0;
    if (!CollectRows(colours, &pixels, &stride))
        return FailEncode(ze::StatusCode::kEncodeMemory, kImageWebp);
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return FailEncode(ze::StatusCode::kEncoderFailed, kImageWebp);
    PictureFree release{picture};
    picture.width = px.imageWidth;
    picture.height = px.imageHeight;
    picture.use_argb = config.lossless;
    const int imported = colours.HasAlpha() ? WebPPictureImportRGBA(&picture, pixels.data(), stride)
                                            : WebPPictureImportRGB(&picture, pixels.data(), stride);
    if (!imported) return FailEncode(ze::StatusCode::kEncodeMemory, kImageWebp);
    std::vector<uint8_t>().swap(pixels);
    picture.writer = WriteToFile;
    picture.custom_ptr = file;
    if (WebPEncode(&config, &picture)) return 1;
    // A failed write of the file shows in the stream's error flag.
    if (std::ferror(file)) return 0;
    return FailEncode(picture.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY
                          ? ze::StatusCode::kEncodeMemory
                          : ze::StatusCode::kEncoderFailed,
                      kImageWebp);
}
