// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture object the document owns: a file name, a type code, the pixel
// store and one format implementation, the codec that reads into the store
// and writes from it. A save into another format changes the codec, never
// the store.

#include <cstdint>
#include <memory>
#include <string>

#include "image/image_impl.h"
#include "image/image_palette.h"
#include "image/image_types.h"
#include "image/pixel_store.h"

class CImage {
public:
    CImage() = default;
    // Loads the file; the answer of Load is dropped (callers test the size).
    CImage(const std::string& name, int code);
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;
    virtual ~CImage() = default;

    int Load(const std::string& name, int code);
    // Writes the picture as `code`, encoded as `options` say where the
    // format has choices.
    int Save(const std::string& name, int code, const ze::SaveOptions& options = {});
    // Why the last Save failed, the write's or the encoder's reason; kOk
    // after a successful one, kEncode when the type has no writer.
    ze::Status GetWriteError() const { return lastWriteError; }
    // Why the last Load gave no picture (never kNone then), or why it stopped
    // short of the whole picture (the rows not read are index 0).
    const ze::Status& GetReadFailure() const { return lastReadFailure; }

    virtual int GetRowBytes() const;
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetDepth() const;
    virtual int GetColorType() const;
    virtual int IsInside(int x, int y) const;
    virtual int Create(int width, int height, int depth, int colorType);
    // Replaces the implementation with a new one for `code` (0..6 but 3).
    virtual int CreateImpl(const std::string& name, int code);
    virtual int GetPixelIndex(int x, int y) const;
    virtual int GetPixelRGB(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const;
    virtual int SetPixelIndex(int x, int y, uint8_t index);
    virtual int SetPixelRGB(int x, int y, uint8_t red, uint8_t green, uint8_t blue);
    virtual int SetPalette(int count, const uint8_t* red, const uint8_t* green,
                           const uint8_t* blue);
    virtual int SetPalette(int count, const uint8_t* rgb);
    virtual int SetPalette(std::unique_ptr<CImagePalette> palette);
    virtual CImagePalette* GetPalette() const;
    virtual int IsValid() const;
    virtual CImageImpl* GetImpl() const { return impl.get(); }
    virtual uint8_t* GetBits() const;

    // The pixels, for as long as this object shows the same picture.
    const PixelStore& Pixels() const { return m_pixels; }
    PixelStore& Pixels() { return m_pixels; }

    int GetType() const { return imageType; }
    const std::string& GetName() const { return imageName; }

    int imageType = kImageUnknown;
    std::string imageName;
    std::unique_ptr<CImageImpl> impl;
    ze::Status lastWriteError = ze::StatusCode::kOk;
    // The bounds of Load and Create; the defaults unless changed before.
    ze::ReadLimits readLimits;
    // Load reads colour JPEGs as 24-bit pictures instead of 128 colours.
    bool fullColour = false;
    // Where Load hands the rows when the reader can stream them (see
    // CImageImpl::rowSink); the picture then has no pixels.
    ze::RowSink* rowSink = nullptr;
    // With rowSink: a file whose rows cannot be handed on is not read whole
    // either (see CImageImpl::rowsOnly).
    bool rowsOnly = false;
    ze::Status lastReadFailure;

private:
    PixelStore m_pixels;
};

// A new implementation for a type code over `pixels`; null for 3 and
// unknown codes.
std::unique_ptr<CImageImpl> MakeImageImpl(int code, PixelStore& pixels, const std::string& name);
