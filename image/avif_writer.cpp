// SPDX-License-Identifier: GPL-3.0-or-later
// AVIF writing through libavif (opened on first use): one still picture,
// 8-bit 4:4:4, lossy with one quantizer for the whole picture or lossless
// (quantizer 0, identity matrix). The encoder's speed is 6 and it takes one
// thread a processor, as `avifenc -s 6 -j all` does.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "image/avif_codec.h"
#include "image/avif_library.h"
#include "image/image_types.h"
#include "image/rgb_rows.h"
#include "io/safe_write.h"

namespace {

constexpr int kSpeed = 6;

// The AV1 quantizer (0 best .. 63) for a quality of 1..100, as libavif
// maps its own quality setting.
int QuantizerOf(int quality) {
    return std::clamp(((100 - quality) * 63 + 50) / 100, 0, 63);
}

struct ImageFree {
    const ze::AvifLibrary* avif;
    void operator()(avifImage* image) const { avif->imageDestroy(image); }
};
struct EncoderFree {
    const ze::AvifLibrary* avif;
    void operator()(avifEncoder* encoder) const { avif->encoderDestroy(encoder); }
};

}  // namespace

int CAvifImpl::Write(const std::string& name) {
    const PixelStore& px = Pixels();
    if (!name.empty()) fileName = name;
    if (!px.imageBits || px.imageWidth <= 0 || px.imageHeight <= 0)
        return FailEncode(ze::StatusCode::kNoPixels, kImageAvif);
    writeError =
        ze::WriteFileSafely(fileName, [this](std::FILE* f) { return WriteStream(f) != 0; });
    return writeError == ze::StatusCode::kOk ? 1 : 0;
}

int CAvifImpl::WriteStream(std::FILE* file) const {
    const PixelStore& px = Pixels();
    if (!px.imageBits || px.imageWidth <= 0 || px.imageHeight <= 0)
        return FailEncode(ze::StatusCode::kNoPixels, kImageAvif);
    const ze::AvifLibrary* avif = ze::Avif();
    if (!avif) return FailEncode(ze::StatusCode::kNoLibrary, kImageAvif);
    const bool lossless = saveOptions.lossless;
    std::unique_ptr<avifImage, ImageFree> image(
        avif->imageCreate(static_cast<uint32_t>(px.imageWidth),
                          static_cast<uint32_t>(px.imageHeight), 8, AVIF_PIXEL_FORMAT_YUV444),
        ImageFree{avif});
    if (!image) return FailEncode(ze::StatusCode::kEncodeMemory, kImageAvif);
    image->yuvRange = AVIF_RANGE_FULL;
    if (lossless) image->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_IDENTITY;

    // The rows top-down into one buffer, then into the picture's planes.
    const CRgbRows colours(px);
    const int channels = colours.HasAlpha() ? 4 : 3;
    const size_t stride = static_cast<size_t>(px.imageWidth) * static_cast<size_t>(channels);
    std::vector<uint8_t> pixels;
    try {
        pixels.resize(stride * static_cast<size_t>(px.imageHeight));
    } catch (const std::bad_alloc&) {
        return FailEncode(ze::StatusCode::kEncodeMemory, kImageAvif);
    }
    for (int r = 0; r < px.imageHeight; ++r) {
        uint8_t* row = pixels.data() + stride * static_cast<size_t>(r);
        channels == 4 ? colours.GetRgba(px.imageHeight - 1 - r, row)
                      : colours.Get(px.imageHeight - 1 - r, row);
    }
    avifRGBImage rgb;
    avif->rgbImageSetDefaults(&rgb, image.get());
    rgb.format = channels == 4 ? AVIF_RGB_FORMAT_RGBA : AVIF_RGB_FORMAT_RGB;
    rgb.depth = 8;
    rgb.pixels = pixels.data();
    rgb.rowBytes = static_cast<uint32_t>(stride);
    avifResult result = avif->imageRGBToYUV(image.get(), &rgb);
    std::vector<uint8_t>().swap(pixels);
    if (result != AVIF_RESULT_OK)
        return FailEncode(result == AVIF_RESULT_OUT_OF_MEMORY ? ze::StatusCode::kEncodeMemory
                                                              : ze::StatusCode::kEncoderFailed,
                          kImageAvif);

    std::unique_ptr<avifEncoder, EncoderFree> encoder(avif->encoderCreate(), EncoderFree{avif});
    if (!encoder) return FailEncode(ze::StatusCode::kEncodeMemory, kImageAvif);
    encoder->speed = kSpeed;
    encoder->maxThreads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int quantizer =
        lossless ? 0 : QuantizerOf(ze::QualityOr(saveOptions, ze::kLossyDefaultQuality));
    encoder->minQuantizer = encoder->maxQuantizer = quantizer;
    encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = 0;
    avifRWData output = AVIF_DATA_EMPTY;
    result = avif->encoderWrite(encoder.get(), image.get(), &output);
    if (result != AVIF_RESULT_OK) {
        avif->rwDataFree(&output);
        return FailEncode(result == AVIF_RESULT_OUT_OF_MEMORY ? ze::StatusCode::kEncodeMemory
                                                              : ze::StatusCode::kEncoderFailed,
                          kImageAvif);
    }
    const bool written = std::fwrite(output.data, 1, output.size, file) == output.size;
    avif->rwDataFree(&output);
    return written ? 1 : 0;
}
