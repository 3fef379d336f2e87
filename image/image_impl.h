// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The format implementation: a codec over the picture's pixel store, which
// it reads into and writes from but never owns. Each file format derives
// from CImageFileImpl and provides Read and Write.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "image/pixel_store.h"
#include "image/read_error.h"
#include "image/row_sink.h"
#include "image/save_options.h"
#include "io/safe_write.h"

class CImageImpl {
public:
    explicit CImageImpl(PixelStore& pixels) : m_pixels(pixels) {}
    CImageImpl(const CImageImpl&) = delete;
    CImageImpl& operator=(const CImageImpl&) = delete;
    virtual ~CImageImpl() = default;

    // The store this codec reads into and writes from.
    PixelStore& Pixels() const { return m_pixels; }

    int IsInside(int x, int y) const { return m_pixels.IsInside(x, y); }
    // The store's Create within readLimits.maxPixels.
    void Create(int width, int height, int depth, int colorType,
                dib::Rows rows = dib::Rows::kZeroed);
    // For the readers. BeginRead clears readFailure for a read of a file of
    // image type `type`; FailRead records why it fails (`offset` where it
    // matters) and answers 0; CreateForRead is Create, answering 1 with
    // pixels and 0, with the reason recorded, without (no picture, too
    // large, out of memory).
    void BeginRead(int type);
    int FailRead(ze::StatusCode code, int64_t offset = -1);
    int FailTooLarge(int64_t width, int64_t height);
    int CreateForRead(int width, int height, int depth, int colorType,
                      dib::Rows rows = dib::Rows::kZeroed);
    // The store's pixel operations: x from the left, y from the bottom row.
    int GetPixelIndex(int x, int y) const { return m_pixels.GetPixelIndex(x, y); }
    int GetPixelRGB(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const {
        return m_pixels.GetPixelRGB(x, y, red, green, blue);
    }
    int SetPixelIndex(int x, int y, uint8_t index) { return m_pixels.SetPixelIndex(x, y, index); }
    int SetPixelRGB(int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
        return m_pixels.SetPixelRGB(x, y, red, green, blue);
    }
    virtual int Read(const std::string& name);
    virtual int Write(const std::string& name);

    int SetPalette(int count, const uint8_t* red, const uint8_t* green, const uint8_t* blue) {
        return m_pixels.SetPalette(count, red, green, blue);
    }
    int SetPalette(int count, const uint8_t* rgb) { return m_pixels.SetPalette(count, rgb); }
    int SetPalette(std::unique_ptr<CImagePalette> palette) {
        return m_pixels.SetPalette(std::move(palette));
    }
    CImagePalette* GetPalette() const { return m_pixels.GetPalette(); }

    int GetWidth() const { return m_pixels.imageWidth; }
    int GetHeight() const { return m_pixels.imageHeight; }
    int GetDepth() const { return m_pixels.imageDepth; }
    int GetColorType() const { return m_pixels.colorType; }
    int GetRowBytes() const { return m_pixels.rowBytes; }
    uint8_t* GetBits() const { return m_pixels.imageBits; }
    int IsValid() const { return m_pixels.IsValid(); }
    uint8_t* GetDib() const { return m_pixels.GetDib(); }
    uint8_t* PixelAddress(int x, int y) const { return m_pixels.PixelAddress(x, y); }

    // How the next Write encodes (quality, lossless), where the format has
    // such choices.
    ze::SaveOptions saveOptions;
    // Why the last Write failed (kOk after a success); with kEncode,
    // encodeFailure says what the encoder could not do, when it says.
    ze::Status writeError = ze::StatusCode::kOk;
    // Written by the (const) encoders, so mutable.
    mutable ze::Status encodeFailure;
    // For the writers: records why the encoder gives no file, answers 0.
    int FailEncode(ze::StatusCode code, int type, int64_t value = 0, int64_t limit = 0) const;
    // The bounds of Read, and of Create.
    ze::ReadLimits readLimits;
    // Read gives colour JPEGs their own colours at depth 24 rather than
    // quantizing them to a palette.
    bool readFullColour = false;
    // Why the last Read gave no picture, or stopped short of the whole one
    // (kNone after a read of the whole picture).
    ze::Status readFailure;
    // With readSizeOnly set, Read stops where the file has given the
    // picture's size and passed every check a full read makes before its
    // pixels: CreateForRead keeps the size in headerWidth and headerHeight,
    // makes no pixels and answers 0 (with no failure).
    bool readSizeOnly = false;
    // Readers that can hand the rows on as they decode them (JPEG without
    // an orientation to apply, PNG of one pass without alpha) give them to
    // this sink, when set, and make no pixels; the others read into the
    // store as always, or with rowsOnly set stop before the pixels with no
    // picture. With rowsOnly a failure ends the rows handed on, where
    // otherwise the rows a damaged file lacks follow as zeros.
    ze::RowSink* rowSink = nullptr;
    bool rowsOnly = false;
    int headerWidth = 0;
    int headerHeight = 0;

private:
    PixelStore& m_pixels;
};

class CImageFileImpl : public CImageImpl {
public:
    explicit CImageFileImpl(PixelStore& pixels, std::string name = {})
        : CImageImpl(pixels), fileName(std::move(name)) {}
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
