// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/avif_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/avif_grid.h"
#include "image/avif_library.h"
#include "image/decoded_rows.h"
#include "image/image_types.h"

namespace {

struct DecoderFree {
    const ze::AvifLibrary* avif;
    void operator()(avifDecoder* d) const { avif->decoderDestroy(d); }
};

// Whether the bytes begin with an ISO media file's first box, a file type box.
bool BeginsWithFileType(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 8 && std::memcmp(bytes.data() + 4, "ftyp", 4) == 0;
}

// Whether the bytes could begin a file whose first box is a file type box.
bool MayBeginWithFileType(const std::vector<uint8_t>& bytes) {
    static const char kType[] = "ftyp";
    for (size_t i = 4; i < bytes.size() && i < 8; ++i)
        if (bytes[i] != static_cast<uint8_t>(kType[i - 4])) return false;
    return true;
}

ze::StatusCode ErrorOf(avifResult result, const std::vector<uint8_t>& bytes) {
    switch (result) {
        case AVIF_RESULT_OUT_OF_MEMORY:
            return ze::StatusCode::kOutOfMemory;
        case AVIF_RESULT_TRUNCATED_DATA:
            return ze::StatusCode::kCutOff;
        case AVIF_RESULT_INVALID_FTYP:
            return BeginsWithFileType(bytes) ? ze::StatusCode::kAvifFeature
                                             : ze::StatusCode::kNotThisType;
        case AVIF_RESULT_NO_CONTENT:
        case AVIF_RESULT_NO_AV1_ITEMS_FOUND:
        case AVIF_RESULT_NO_IMAGES_REMAINING:
            return ze::StatusCode::kNoPicture;
        case AVIF_RESULT_UNSUPPORTED_DEPTH:
        case AVIF_RESULT_NOT_IMPLEMENTED:
        case AVIF_RESULT_NO_CODEC_AVAILABLE:
            return ze::StatusCode::kAvifFeature;
        default:
            return BeginsWithFileType(bytes) ? ze::StatusCode::kCorrupt
                                             : ze::StatusCode::kNotThisType;
    }
}

// The size in the parser's note on a picture over its size bound,
// "... dimensions are too large [WIDTHxHEIGHT]".
bool DeclaredTooLarge(const char* note, int64_t* width, int64_t* height) {
    const char* at = std::strstr(note, "dimensions are too large [");
    if (!at) return false;
    unsigned long long w = 0, h = 0;
    if (std::sscanf(at, "dimensions are too large [%llux%llu]", &w, &h) != 2) return false;
    *width = static_cast<int64_t>(w);
    *height = static_cast<int64_t>(h);
    return true;
}

// What one tile's decoder holds while a grid is decoded, measured with a
// grid of many small tiles, rounded up.
constexpr uint64_t kTileDecoderBytes = uint64_t{512} << 10;

int FailResult(CImageImpl& picture, avifResult result, const std::vector<uint8_t>& bytes) {
    ze::Status& f = picture.readFailure;
    if (result == AVIF_RESULT_TRUNCATED_DATA) f.offset = static_cast<int64_t>(bytes.size());
    return picture.FailRead(ErrorOf(result, bytes), f.offset);
}

// The decoder's frames (the one being decoded and one it refers to), in
// bytes a pixel: the luma plane, the chroma planes at their subsampling,
// alpha, each of one or two bytes a sample; and the 32-bit copy that alpha
// is laid over from.
uint64_t DecoderBytesPerPixel(const avifDecoder& decoder) {
    const avifImage* image = decoder.image;
    uint64_t quarters = 4 + (decoder.alphaPresent ? 4 : 0);  // quarter bytes a pixel
    switch (image->yuvFormat) {
        case AVIF_PIXEL_FORMAT_YUV444:
            quarters += 8;
            break;
        case AVIF_PIXEL_FORMAT_YUV422:
            quarters += 4;
            break;
        case AVIF_PIXEL_FORMAT_YUV420:
            quarters += 2;
            break;
        default:
            break;
    }
    const uint64_t sampleBytes = image->depth > 8 ? 2 : 1;
    return (2 * quarters * sampleBytes + 3) / 4 + (decoder.alphaPresent ? 4 : 0);
}

// Parses the file held in `bytes` and checks the picture it declares
// against the limits. 1, or 0 with the failure recorded.
int ParseAvif(CImageImpl& picture, const ze::AvifLibrary& avif, avifDecoder* decoder,
              const std::vector<uint8_t>& bytes) {
    // One thread: the decoders of a grid's tiles are not run side by side.
    decoder->maxThreads = 1;
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;
    // The library refuses a declared size over its bound while it parses
    // (it takes no bound above its default); its note names the size.
    decoder->imageSizeLimit = static_cast<uint32_t>(std::clamp<int64_t>(
        picture.readLimits.maxPixels, 1, int64_t{AVIF_DEFAULT_IMAGE_SIZE_LIMIT}));
    avifResult result = avif.decoderSetIOMemory(decoder, bytes.data(), bytes.size());
    if (result != AVIF_RESULT_OK) return FailResult(picture, result, bytes);
    result = avif.decoderParse(decoder);
    if (result != AVIF_RESULT_OK) {
        int64_t declaredWidth = 0, declaredHeight = 0;
        if (DeclaredTooLarge(decoder->diag.error, &declaredWidth, &declaredHeight))
            return picture.FailTooLarge(declaredWidth, declaredHeight);
        return FailResult(picture, result, bytes);
    }
    const avifImage* image = decoder->image;
    if (image->width == 0 || image->height == 0)
        return picture.FailRead(ze::StatusCode::kNoPicture);
    if (int64_t{image->width} * image->height > picture.readLimits.maxPixels)
        return picture.FailTooLarge(image->width, image->height);
    // A grid is decoded tile by tile, each tile by a decoder of its own that
    // stays open until the picture is whole (a tile referred to again is
    // decoded again): their state counts beside the frames.
    const uint64_t tiles = AvifGridTiles(bytes.data(), bytes.size());
    const ze::StatusCode refusal =
        tiles > 0 ? ze::StatusCode::kDecodeMemoryGrid : ze::StatusCode::kDecodeMemory;
    return ze::AdmitDecoderMemory(picture, image->width, image->height,
                                  DecoderBytesPerPixel(*decoder), tiles * kTileDecoderBytes,
                                  refusal)
               ? 1
               : 0;
}

struct ImageFree {
    const ze::AvifLibrary* avif;
    void operator()(avifImage* image) const { avif->imageDestroy(image); }
};

// A frame without alpha whose every pixel has samples of its own (4:4:4 or
// grey) converted a band of rows at a time, through a view of the band, into
// a spare block small enough to stay in the processor's cache, and from
// there into the picture's rows: the picture keeps its bottom row first,
// and libavif writes rows top first only. kOk, or why it stopped.
ze::StatusCode ConvertInBands(CImageImpl& picture, const ze::AvifLibrary& avif,
                              const avifImage* image) {
    constexpr uint32_t kBand = 16;
    const size_t rowBytes = static_cast<size_t>(picture.GetRowBytes());
    std::unique_ptr<avifImage, ImageFree> view(avif.imageCreateEmpty(), ImageFree{&avif});
    std::unique_ptr<uint8_t[]> band(new (std::nothrow) uint8_t[rowBytes * kBand]);
    if (!view || !band) return ze::StatusCode::kOutOfMemory;
    const uint32_t height = image->height;
    // The pixels of a row, without the padding the picture keeps zero.
    const size_t pixelBytes = size_t{image->width} * 3;
    for (uint32_t top = 0; top < height; top += kBand) {
        const avifCropRect rect{0, top, image->width, std::min(kBand, height - top)};
        if (avif.imageSetViewRect(view.get(), image, &rect) != AVIF_RESULT_OK)
            return ze::StatusCode::kCorrupt;
        avifRGBImage rgb = ze::RgbRows(avif, view.get(), AVIF_RGB_FORMAT_BGR, band.get(),
                                       static_cast<uint32_t>(rowBytes));
        if (avif.imageYUVToRGB(view.get(), &rgb) != AVIF_RESULT_OK) return ze::StatusCode::kCorrupt;
        for (uint32_t r = 0; r < rect.height; ++r)
            std::memcpy(picture.PixelAddress(0, static_cast<int>(height - 1 - top - r)),
                        band.get() + rowBytes * r, pixelBytes);
    }
    return ze::StatusCode::kOk;
}

// The decoded frame's colours into the picture's rows, made for its size;
// alpha, where there is some, into its alpha plane. 1, or 0 with the
// pixels dropped and the failure recorded.
int ConvertToRows(CImageImpl& picture, const ze::AvifLibrary& avif, const avifImage* image) {
    if (!image->alphaPlane && (image->yuvFormat == AVIF_PIXEL_FORMAT_YUV444 ||
                               image->yuvFormat == AVIF_PIXEL_FORMAT_YUV400)) {
        const ze::StatusCode converted = ConvertInBands(picture, avif, image);
        if (converted == ze::StatusCode::kOk) return 1;
        picture.Create(0, 0, 24, 2);
        return picture.FailRead(converted);
    }
    std::unique_ptr<uint8_t[]> bgra;
    avifRGBImage rgb;
    if (!image->alphaPlane) {
        // Converted top row first into the block, then turned over.
        rgb = ze::RgbRows(avif, image, AVIF_RGB_FORMAT_BGR, picture.GetBits(),
                          static_cast<uint32_t>(picture.GetRowBytes()));
    } else {
        bgra = ze::AllocateBgra(picture);
        if (!bgra) return 0;
        rgb = ze::RgbRows(avif, image, AVIF_RGB_FORMAT_BGRA, bgra.get(), image->width * 4);
    }
    if (avif.imageYUVToRGB(image, &rgb) != AVIF_RESULT_OK) {
        picture.Create(0, 0, 24, 2);
        return picture.FailRead(ze::StatusCode::kCorrupt);
    }
    if (!bgra) {
        ze::FlipRows(picture);
        return 1;
    }
    return ze::KeepBgraRows(picture, bgra.get(), rgb.rowBytes) ? 1 : 0;
}

}  // namespace

int CAvifImpl::Read(const std::string& name) {
    return ReadNamedFile(name);
}

int CAvifImpl::ReadStream(std::FILE* file) {
    BeginRead(kImageAvif);
    // The samples are converted from their own colour space, and alpha is
    // laid over the background: what the file held is never kept.
    Pixels().lossyLoad = true;
    std::vector<uint8_t> bytes;
    if (!ze::ReadWholeFile(*this, file, &bytes, MayBeginWithFileType)) return 0;

    const ze::AvifLibrary* avif = ze::Avif();
    if (!avif) {
        return FailRead(ze::StatusCode::kAvifFeature);
    }
    std::unique_ptr<avifDecoder, DecoderFree> decoder(avif->decoderCreate(), DecoderFree{avif});
    if (!decoder) return FailRead(ze::StatusCode::kOutOfMemory);
    if (!ParseAvif(*this, *avif, decoder.get(), bytes)) return 0;
    if (readSizeOnly)
        return CreateForRead(static_cast<int>(decoder->image->width),
                             static_cast<int>(decoder->image->height), 24, 2);
    const avifResult result = avif->decoderNextImage(decoder.get());
    if (result != AVIF_RESULT_OK) return FailResult(*this, result, bytes);
    const avifImage* image = decoder->image;
    if (int64_t{image->width} * image->height > readLimits.maxPixels)
        return FailTooLarge(image->width, image->height);
    const int width = static_cast<int>(image->width), height = static_cast<int>(image->height);
    if (!CreateForRead(width, height, 24, 2, dib::Rows::kForOverwrite)) return 0;
    return ConvertToRows(*this, *avif, image);
}
