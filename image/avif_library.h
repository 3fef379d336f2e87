// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// libavif, opened when an AVIF file is first read or written: with the codecs it brings
// it is a large share of the time a process takes to start, and most
// sessions never see an AVIF file.

#include <avif/avif.h>

namespace ze {

struct AvifLibrary {
    decltype(&avifDecoderCreate) decoderCreate = nullptr;
    decltype(&avifDecoderDestroy) decoderDestroy = nullptr;
    decltype(&avifDecoderSetIOMemory) decoderSetIOMemory = nullptr;
    decltype(&avifDecoderParse) decoderParse = nullptr;
    decltype(&avifDecoderNextImage) decoderNextImage = nullptr;
    decltype(&avifRGBImageSetDefaults) rgbImageSetDefaults = nullptr;
    decltype(&avifImageYUVToRGB) imageYUVToRGB = nullptr;
    decltype(&avifImageCreate) imageCreate = nullptr;
    decltype(&avifImageCreateEmpty) imageCreateEmpty = nullptr;
    decltype(&avifImageSetViewRect) imageSetViewRect = nullptr;
    decltype(&avifImageDestroy) imageDestroy = nullptr;
    decltype(&avifImageRGBToYUV) imageRGBToYUV = nullptr;
    decltype(&avifEncoderCreate) encoderCreate = nullptr;
    decltype(&avifEncoderDestroy) encoderDestroy = nullptr;
    decltype(&avifEncoderWrite) encoderWrite = nullptr;
    decltype(&avifRWDataFree) rwDataFree = nullptr;
    decltype(&avifVersion) version = nullptr;
};

// The setting of a conversion of `image` into 8-bit rows of `format` at
// `pixels`, `rowBytes` apart, colours not multiplied by their alpha.
inline avifRGBImage RgbRows(const AvifLibrary& avif, const avifImage* image, avifRGBFormat format,
                            uint8_t* pixels, uint32_t rowBytes) {
    avifRGBImage rgb;
    avif.rgbImageSetDefaults(&rgb, image);
    rgb.depth = 8;
    rgb.format = format;
    rgb.alphaPremultiplied = AVIF_FALSE;
    rgb.pixels = pixels;
    rgb.rowBytes = rowBytes;
    return rgb;
}

// The library's functions, or null when it cannot be opened or lacks one of
// them. Opened once, on the first call; safe from any thread.
const AvifLibrary* Avif();

}  // namespace ze
