// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/webp_codec.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/decoded_rows.h"
#include "image/image_types.h"

namespace {

bool IsRiffWebp(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
           std::memcmp(bytes.data() + 8, "WEBP", 4) == 0;
}

// Whether the first bytes could begin a WebP file that goes on further.
bool BeginsAsWebp(const std::vector<uint8_t>& bytes) {
    static const char kRiff[] = "RIFF";
    static const char kWebp[] = "WEBP";
    for (size_t i = 0; i < bytes.size() && i < 12; ++i) {
        if (i < 4 && bytes[i] != static_cast<uint8_t>(kRiff[i])) return false;
        if (i >= 8 && bytes[i] != static_cast<uint8_t>(kWebp[i - 8])) return false;
    }
    return true;
}

// The canvas an extended file (a VP8X chunk first) declares; 0 x 0 when the
// file has no such chunk.
void ExtendedCanvas(const std::vector<uint8_t>& bytes, int64_t* width, int64_t* height) {
    *width = *height = 0;
    if (bytes.size() < 30 || std::memcmp(bytes.data() + 12, "VP8X", 4) != 0) return;
    const uint8_t* p = bytes.data() + 24;
    *width = 1 + (p[0] | (p[1] << 8) | (p[2] << 16));
    *height = 1 + (p[3] | (p[4] << 8) | (p[5] << 16));
}

// Whether the file's RIFF header declares more bytes than the file holds.
bool CutShort(const std::vector<uint8_t>& bytes) {
    if (!IsRiffWebp(bytes)) return false;
    const uint8_t* p = bytes.data() + 4;
    const uint64_t riff = p[0] | (p[1] << 8) | (p[2] << 16) | (uint64_t{p[3]} << 24);
    return riff + 8 > bytes.size();
}

struct AnimDecoderFree {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

}  // namespace

int CWebpImpl::Read(const std::string& name) {
    return ReadNamedFile(name);
}

int CWebpImpl::ReadStream(std::FILE* file) {
    BeginRead(kImageWebp);
    Pixels().lossyLoad = true;
    std::vector<uint8_t> bytes;
    if (!ze::ReadWholeFile(*this, file, &bytes, BeginsAsWebp)) return 0;
    WebPBitstreamFeatures features{};
    if (!ReadFeatures(bytes, &features)) return 0;
    if (readSizeOnly) return CreateForRead(features.width, features.height, 24, 2);
    const bool lossless = features.format == 2;
    const int read = features.has_animation ? ReadFirstFrame(bytes, features)
                     : features.has_alpha   ? ReadWithAlpha(bytes, features)
                                            : ReadOpaque(bytes, features);
    if (read && !features.has_animation) Pixels().lossyLoad = !lossless;
    return read;
}

int CWebpImpl::FailDamaged(const std::vector<uint8_t>& bytes) {
    // A file whose data stops before its header says it does.
    return CutShort(bytes) ? FailRead(ze::StatusCode::kCutOff, static_cast<int64_t>(bytes.size()))
                           : FailRead(ze::StatusCode::kCorrupt);
}

int CWebpImpl::ReadFeatures(const std::vector<uint8_t>& bytes, WebPBitstreamFeatures* features) {
    // An extended file's canvas is refused before the library looks inside.
    int64_t canvasWidth = 0, canvasHeight = 0;
    ExtendedCanvas(bytes, &canvasWidth, &canvasHeight);
    if (canvasWidth * canvasHeight > readLimits.maxPixels)
        return FailTooLarge(canvasWidth, canvasHeight);
    const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), features);
    if (status == VP8_STATUS_NOT_ENOUGH_DATA)
        return BeginsAsWebp(bytes)
                   ? FailRead(ze::StatusCode::kCutOff, static_cast<int64_t>(bytes.size()))
                   : FailRead(ze::StatusCode::kNotThisType);
    if (status == VP8_STATUS_OUT_OF_MEMORY) return FailRead(ze::StatusCode::kOutOfMemory);
    if (status == VP8_STATUS_UNSUPPORTED_FEATURE) {
        return FailRead(ze::StatusCode::kWebpFeature);
    }
    if (status != VP8_STATUS_OK)
        return IsRiffWebp(bytes) ? FailDamaged(bytes) : FailRead(ze::StatusCode::kNotThisType);
    const int width = features->width, height = features->height;
    if (width <= 0 || height <= 0) return FailRead(ze::StatusCode::kNoPicture);
    if (int64_t{width} * height > readLimits.maxPixels) return FailTooLarge(width, height);
    // The lossless decoder keeps the whole picture as 32-bit pixels; the
    // lossy one works a few rows at a time, but its alpha plane is whole.
    // Pictures with alpha are decoded into a 32-bit copy first, and an
    // animation keeps its canvas and the one before.
    const bool lossless = features->format == 2;
    uint64_t perPixel = (lossless ? 4 : 0) + (features->has_alpha ? (lossless ? 4 : 5) : 0);
    if (features->has_animation) perPixel = 4 + 4 + 4 + 1;
    return ze::AdmitDecoderMemory(*this, width, height, perPixel) ? 1 : 0;
}

int CWebpImpl::ReadFirstFrame(const std::vector<uint8_t>& bytes,
                              const WebPBitstreamFeatures& features) {
    // The first frame as the animation shows it: laid on its canvas, which
    // starts out transparent.
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return FailRead(ze::StatusCode::kCorrupt);
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{bytes.data(), bytes.size()};
    std::unique_ptr<WebPAnimDecoder, AnimDecoderFree> decoder(WebPAnimDecoderNew(&data, &options));
    if (!decoder) return FailDamaged(bytes);
    WebPAnimInfo info{};
    if (!WebPAnimDecoderGetInfo(decoder.get(), &info)) return FailRead(ze::StatusCode::kCorrupt);
    if (static_cast<int>(info.canvas_width) != features.width ||
        static_cast<int>(info.canvas_height) != features.height || info.frame_count == 0)
        return FailRead(ze::StatusCode::kCorrupt);
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas)
        return FailDamaged(bytes);
    if (!CreateForRead(features.width, features.height, 24, 2, dib::Rows::kForOverwrite)) return 0;
    return ze::KeepBgraRows(*this, canvas, static_cast<size_t>(features.width) * 4) ? 1 : 0;
}

int CWebpImpl::ReadOpaque(const std::vector<uint8_t>& bytes,
                          const WebPBitstreamFeatures& features) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return FailRead(ze::StatusCode::kCorrupt);
    if (!CreateForRead(features.width, features.height, 24, 2, dib::Rows::kForOverwrite)) return 0;
    // Straight into the store's rows, the top row into the last of them:
    // the store keeps the bottom row first.
    const size_t stride = static_cast<size_t>(Pixels().rowBytes);
    config.output.colorspace = MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = Pixels().imageBits;
    config.output.u.RGBA.stride = Pixels().rowBytes;
    config.output.u.RGBA.size = stride * static_cast<size_t>(features.height);
    config.options.flip = 1;
    if (WebPDecode(bytes.data(), bytes.size(), &config) != VP8_STATUS_OK) {
        Create(0, 0, 24, 2);
        return FailDamaged(bytes);
    }
    return 1;
}

int CWebpImpl::ReadWithAlpha(const std::vector<uint8_t>& bytes,
                             const WebPBitstreamFeatures& features) {
    if (!CreateForRead(features.width, features.height, 24, 2, dib::Rows::kForOverwrite)) return 0;
    const std::unique_ptr<uint8_t[]> bgra = ze::AllocateBgra(*this);
    if (!bgra) return 0;
    const int stride = features.width * 4;
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(features.height);
    if (!WebPDecodeBGRAInto(bytes.data(), bytes.size(), bgra.get(), size, stride)) {
        Create(0, 0, 24, 2);
        return FailDamaged(bytes);
    }
    return ze::KeepBgraRows(*this, bgra.get(), static_cast<size_t>(stride)) ? 1 : 0;
}
