// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The format implementation: owns the pixel block and the palette. Each file
// format derives from CImageFileImpl and provides Read and Write.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "image/dib.h"
#include "image/encode_error.h"
#include "image/image_palette.h"
#include "image/read_error.h"
#include "image/save_options.h"
#include "io/safe_write.h"

class CImageImpl {
public:
    CImageImpl() = default;
    CImageImpl(const CImageImpl&) = delete;
    CImageImpl& operator=(const CImageImpl&) = delete;
    virtual ~CImageImpl() = default;

    virtual int IsInside(int x, int y) const;
    // Replaces the pixels with a zero-filled block of the given size and drops
    // the palette. colorType < 0 means 0 for depths up to 8, else 2. Leaves
    // the picture without pixels (IsValid 0) and with width and height 0
    // when the block cannot be made (over readLimits.maxPixels, out of memory).
    virtual void Create(int width, int height, int depth, int colorType);
    // For the readers. BeginRead clears readFailure for a read of a file of
    // image type `type`; FailRead records why it fails (`offset` where it
    // matters) and answers 0; CreateForRead is Create, answering 1 with
    // pixels and 0, with the reason recorded, without (no picture, too
    // large, out of memory).
    void BeginRead(int type);
    int FailRead(ze::ReadError error, int64_t offset = -1);
    int FailTooLarge(int64_t width, int64_t height);
    int CreateForRead(int width, int height, int depth, int colorType);
    // Pixel operations take x from the left and y from the bottom row. Depths
    // 1 and 4 read and write the pixel's own bits.
    virtual int GetPixelIndex(int x, int y) const;
    virtual int GetPixelRGB(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const;
    virtual int SetPixelIndex(int x, int y, uint8_t index);
    virtual int SetPixelRGB(int x, int y, uint8_t red, uint8_t green, uint8_t blue);
    virtual int Read(const std::string& name);
    virtual int Write(const std::string& name);

    // A missing green array is the red one, a missing blue array the green one.
    int SetPalette(int count, const uint8_t* red, const uint8_t* green, const uint8_t* blue);
    // count entries of three bytes (red, green, blue); count <= 256. Warns
    // when a palette is already attached, and replaces it.
    int SetPalette(int count, const uint8_t* rgb);
    // Takes ownership; null answers 0.
    int SetPalette(std::unique_ptr<CImagePalette> palette);
    CImagePalette* GetPalette() const { return imagePalette.get(); }

    // Moves the pixels, palette and sizes of `other` into this implementation;
    // `other` is left without pixels. The file name stays this one's.
    void TakeOver(CImageImpl& other);

    int GetWidth() const { return imageWidth; }
    int GetHeight() const { return imageHeight; }
    int GetDepth() const { return imageDepth; }
    int GetColorType() const { return colorType; }
    int GetRowBytes() const { return rowBytes; }
    uint8_t* GetBits() const { return imageBits; }
    int IsValid() const { return imageDib ? 1 : 0; }
    uint8_t* GetDib() const { return imageDib.data(); }

    // Address of the byte that holds pixel (x, y); the caller checks IsInside.
    uint8_t* PixelAddress(int x, int y) const {
        return imageBits + static_cast<size_t>(rowBytes) * static_cast<size_t>(y) +
               (static_cast<size_t>(x) * static_cast<size_t>(imageDepth)) / 8;
    }

    uint8_t* imageBits = nullptr;
    int imageWidth = 0;
    int imageHeight = 0;
    int imageDepth = 0;
    int colorType = 0;
    int rowBytes = 0;
    dib::Block imageDib;
    int transparentIndex = -1;
    std::unique_ptr<CImagePalette> imagePalette;
    // Set by a reader whose file held more than the pixels keep (alpha,
    // transparency, 16-bit samples, colours quantized on load): writing the
    // picture back over that file would lose it.
    bool lossyLoad = false;
    // How the next Write encodes (quality, lossless), where the format has
    // such choices.
    ze::SaveOptions saveOptions;
    // Why the last Write failed (kNone after a success); with kEncode,
    // encodeFailure says what the encoder could not do.
    ze::WriteError writeError = ze::WriteError::kNone;
    // Written by the (const) encoders, so mutable.
    mutable ze::EncodeFailure encodeFailure;
    // For the writers: records why the encoder gives no file, answers 0.
    int FailEncode(ze::EncodeError error, int type, int64_t value = 0, int64_t limit = 0) const;
    // The bounds of Read, and of Create.
    ze::ReadLimits readLimits;
    // Read gives colour JPEGs their own colours at depth 24 rather than
    // quantizing them to a palette.
    bool readFullColour = false;
    // Why the last Read gave no picture, or stopped short of the whole one
    // (kNone after a read of the whole picture).
    ze::ReadFailure readFailure;
};

class CImageFileImpl : public CImageImpl {
public:
    explicit CImageFileImpl(std::string name = {}) : fileName(std::move(name)) {}
    std::string fileName;

    // Reads the picture from an open stream; formats that read streams
    // override it. Here: 0.
    virtual int ReadStream(std::FILE* file);

protected:
    // Read for stream formats: takes `name` (when not empty) as the file
    // name, opens it and hands it to ReadStream. 0 when it cannot be opened
    // (readFailure says why).
    int ReadNamedFile(const std::string& name);
};
