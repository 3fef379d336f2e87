// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/image_impl.h"

#include <algorithm>

#include "io/file_io.h"
#include "io/messages.h"

int CImageImpl::IsInside(int x, int y) const {
    return x >= 0 && x < imageWidth && y >= 0 && y < imageHeight ? 1 : 0;
}

void CImageImpl::Create(int width, int height, int depth, int type) {
    imageWidth = width;
    imageHeight = height;
    imageDepth = depth;
    colorType = type >= 0 ? type : (depth < 9 ? 0 : 2);
    imageDib = {};
    imageBits = nullptr;
    imagePalette.reset();
    rowBytes = 0;
    imageDib = dib::AllocateDib(depth, width, height, readLimits.maxPixels);
    if (imageDib) {
        imageBits = imageDib.data() + dib::BitsOffset(imageDib.data());
        rowBytes = static_cast<int>(dib::RowBytes(width, depth));
    } else {
        // No pixels: report no size either, so that callers deciding by the
        // size (the document does) never take the picture for a loaded one.
        imageWidth = imageHeight = 0;
    }
}

void CImageImpl::BeginRead(int type) {
    readFailure = {};
    readFailure.type = type;
}

int CImageImpl::FailRead(ze::ReadError error, int64_t offset) {
    readFailure.error = error;
    readFailure.offset = offset;
    return 0;
}

int CImageImpl::FailTooLarge(int64_t width, int64_t height) {
    readFailure.width = width;
    readFailure.height = height;
    readFailure.limit = readLimits.maxPixels;
    return FailRead(ze::ReadError::kTooLarge);
}

int CImageImpl::CreateForRead(int width, int height, int depth, int type) {
    Create(width, height, depth, type);
    if (imageBits) return 1;
    if (width <= 0 || height <= 0) return FailRead(ze::ReadError::kNoImage);
    if (int64_t{width} * height > readLimits.maxPixels) return FailTooLarge(width, height);
    return FailRead(ze::ReadError::kOutOfMemory);
}

namespace {
// Bit position of pixel x inside its byte for depths 1, 2 and 4 (leftmost
// pixel in the high bits).
int Shift(int x, int depth) {
    return 8 - depth - (x * depth) % 8;
}
}  // namespace

int CImageImpl::GetPixelIndex(int x, int y) const {
    if (!IsInside(x, y) || imageDepth > 8 || !imageBits) return -1;
    const uint8_t byte = *PixelAddress(x, y);
    if (imageDepth == 8) return byte;
    return (byte >> Shift(x, imageDepth)) & ((1 << imageDepth) - 1);
}

int CImageImpl::SetPixelIndex(int x, int y, uint8_t index) {
    if (!IsInside(x, y) || imageDepth > 8 || !imageBits) return 0;
    uint8_t* p = PixelAddress(x, y);
    if (imageDepth == 8) {
        *p = index;
    } else {
        const int shift = Shift(x, imageDepth);
        const int mask = ((1 << imageDepth) - 1) << shift;
        *p = static_cast<uint8_t>((*p & ~mask) | ((index << shift) & mask));
    }
    return 1;
}

int CImageImpl::GetPixelRGB(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const {
    if (!IsInside(x, y) || !imageBits) return 0;
    uint8_t r = 0, g = 0, b = 0;
    if (imageDepth <= 8) {
        const int index = GetPixelIndex(x, y);
        if (imagePalette) {
            // An index past the palette's entries reads as black.
            imagePalette->GetEntryRGB(index, &r, &g, &b);
        } else {
            // No palette: a grey ramp over the depth's indices.
            const int levels = (1 << imageDepth) - 1;
            r = g = b = static_cast<uint8_t>(index * 255 / levels);
        }
    } else if (imageDepth == 16) {
        const uint8_t* p = PixelAddress(x, y);
        const int v = p[0] | (p[1] << 8);
        r = static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31);
        g = static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31);
        b = static_cast<uint8_t>((v & 31) * 255 / 31);
    } else {
        const uint8_t* p = PixelAddress(x, y);
        b = p[0], g = p[1], r = p[2];
    }
    if (red) *red = r;
    if (green) *green = g;
    if (blue) *blue = b;
    return 1;
}

int CImageImpl::SetPixelRGB(int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
    if (!IsInside(x, y) || !imageBits) return 0;
    if (colorType & 1) {
        if (!imagePalette) return 0;
        return SetPixelIndex(
            x, y, static_cast<uint8_t>(imagePalette->GetNearestPaletteIndex(red, green, blue)));
    }
    uint8_t* p = PixelAddress(x, y);
    if (imageDepth <= 8) {
        // Grey picture: the nearest level of its ramp.
        const int levels = (1 << imageDepth) - 1;
        const int grey = (red + green + blue) / 3;
        return SetPixelIndex(x, y, static_cast<uint8_t>((grey * levels + 127) / 255));
    }
    if (imageDepth == 16) {
        const int v = ((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3);
        p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8);
        return 1;
    }
    p[0] = blue, p[1] = green, p[2] = red;
    return 1;
}

int CImageImpl::Read(const std::string&) {
    return 0;
}
int CImageImpl::Write(const std::string&) {
    return 0;
}

int CImageImpl::FailEncode(ze::EncodeError error, int type, int64_t value, int64_t limit) const {
    encodeFailure = {error, type, imageWidth, imageHeight, value, limit};
    return 0;
}

int CImageFileImpl::ReadStream(std::FILE*) {
    return 0;
}

int CImageFileImpl::ReadNamedFile(const std::string& name) {
    if (!name.empty()) fileName = name;
    readFailure = {};
    int openError = 0;
    ze::FilePtr file = ze::OpenForReading(fileName, &openError);
    if (!file) {
        readFailure = ze::ReadFailure{ze::ReadErrorFromErrno(openError)};
        return 0;
    }
    return ReadStream(file.get());
}

int CImageImpl::SetPalette(std::unique_ptr<CImagePalette> palette) {
    if (!palette) return 0;
    imagePalette = std::move(palette);
    colorType |= 3;
    return dib::SetDibUsage(imageDib.data(), imagePalette.get(), dib::Usage::kIndices);
}

int CImageImpl::SetPalette(int count, const uint8_t* red, const uint8_t* green,
                           const uint8_t* blue) {
    if (!green) green = red;
    if (!blue) blue = green;
    auto palette = std::make_unique<CImagePalette>();
    if (!palette->Create(count, red, green, blue)) return 0;
    return SetPalette(std::move(palette));
}

int CImageImpl::SetPalette(int count, const uint8_t* rgb) {
    if (count < 1 || count > CImagePalette::kMaxEntries || !rgb) return 0;
    if (imagePalette) ze::ReportMessage("CImageImpl::imagePalette already exists!");
    std::vector<PaletteEntry> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) entries[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], 0};
    auto palette = std::make_unique<CImagePalette>();
    palette->CreateFromEntries(std::move(entries));
    return SetPalette(std::move(palette));
}

void CImageImpl::TakeOver(CImageImpl& other) {
    imageDib = std::move(other.imageDib);
    imagePalette = std::move(other.imagePalette);
    transparentIndex = other.transparentIndex;
    lossyLoad = other.lossyLoad;
    imageBits = other.imageBits;
    imageWidth = other.imageWidth;
    imageHeight = other.imageHeight;
    imageDepth = other.imageDepth;
    colorType = other.colorType;
    rowBytes = other.rowBytes;
    other.imageDib = {};
    other.imageBits = nullptr;
    other.imagePalette.reset();
}
