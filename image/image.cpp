// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/image.h"

#include "image/flatten.h"

std::unique_ptr<CImageImpl> MakeImageImpl(int code, PixelStore& pixels, const std::string& name) {
    const PictureTypeInfo* type = FindPictureType(code);
    return type ? type->makeCodec(pixels, name) : nullptr;
}

CImage::CImage(const std::string& name, int code) {
    Load(name, code);
}

int CImage::Load(const std::string& name, int code) {
    const int oldType = imageType;
    imageName = name;
    if (code == kImageUnknown) code = ImageTypeFromName(imageName);
    imageType = code;
    lastReadFailure = {};
    if (!impl || code != oldType) {
        if (!CreateImpl(imageName, code)) {
            // No codec, no picture: the pixels of the last one go too.
            m_pixels = PixelStore();
            m_pixels.Renew();
            lastReadFailure = ze::UnknownPictureType();
            return 0;
        }
    }
    impl->readLimits = readLimits;
    impl->readFullColour = fullColour;
    impl->rowSink = rowSink;
    impl->rowsOnly = rowsOnly;
    const int answer = impl->Read(imageName);
    lastReadFailure = impl->readFailure;
    // A reader that gave no picture without a reason of its own.
    if (lastReadFailure.ok() && !(rowSink && rowSink->Started()) &&
        (GetWidth() <= 0 || GetHeight() <= 0))
        lastReadFailure = ze::PictureStatus(ze::StatusCode::kNoPicture, code);
    return answer;
}

int CImage::Save(const std::string& name, int code, const ze::SaveOptions& options) {
    // A format that cannot be written, or a picture that its writer refuses.
    lastWriteError = ze::StatusCode::kEncode;
    if (!impl) return 0;
    const int oldType = imageType;
    imageName = name;
    if (code == kImageUnknown) code = ImageTypeFromName(imageName);
    imageType = code;
    lastWriteError = ze::PictureStatus(ze::StatusCode::kEncode, code);
    if (code != oldType) {
        // Another codec over the same pixels: the store stays as it is.
        std::unique_ptr<CImageImpl> old = std::move(impl);
        if (!CreateImpl(imageName, code)) {
            impl = std::move(old);
            imageType = oldType;
            return 0;
        }
    }
    // A format that keeps less of the alpha than the picture has is written
    // from a prepared copy; the picture keeps its own pixels.
    PixelStore prepared;
    std::unique_ptr<CImageImpl> preparedCodec;
    switch (ze::PrepareForSave(m_pixels, code, &prepared, readLimits.maxPixels)) {
        case ze::Prepared::kPrepared:
            preparedCodec = MakeImageImpl(code, prepared, imageName);
            break;
        case ze::Prepared::kNoMemory:
            lastWriteError = ze::PictureStatus(ze::StatusCode::kEncodeMemory, code);
            return 0;  // nothing was written
        case ze::Prepared::kAsItIs:
            break;
    }
    CImageImpl& codec = preparedCodec ? *preparedCodec : *impl;
    codec.writeError = ze::StatusCode::kOk;
    codec.encodeFailure = {};
    codec.saveOptions = options;
    const int written = codec.Write(imageName);
    if (written != 0)
        lastWriteError = ze::StatusCode::kOk;
    else if (codec.writeError != ze::StatusCode::kOk && codec.writeError != ze::StatusCode::kEncode)
        lastWriteError = codec.writeError;
    else if (!codec.encodeFailure.ok())
        lastWriteError = codec.encodeFailure;
    return written;
}

int CImage::CreateImpl(const std::string& name, int code) {
    impl = MakeImageImpl(code, m_pixels, name);
    return impl ? 1 : 0;
}

int CImage::Create(int width, int height, int depth, int type) {
    if (!impl) {
        CreateImpl(std::string(), kImageBmp);
        imageName.clear();
        imageType = kImageBmp;
    }
    impl->readLimits = readLimits;
    impl->Create(width, height, depth, type);
    return impl->IsValid();
}

int CImage::GetRowBytes() const {
    return impl ? m_pixels.rowBytes : 0;
}
int CImage::GetWidth() const {
    return impl ? m_pixels.imageWidth : 0;
}
int CImage::GetHeight() const {
    return impl ? m_pixels.imageHeight : 0;
}
int CImage::GetDepth() const {
    return impl ? m_pixels.imageDepth : 0;
}
int CImage::GetColorType() const {
    return impl ? m_pixels.colorType : 0;
}
int CImage::IsInside(int x, int y) const {
    return impl ? m_pixels.IsInside(x, y) : 0;
}
int CImage::GetPixelIndex(int x, int y) const {
    return impl ? m_pixels.GetPixelIndex(x, y) : -1;
}
int CImage::GetPixelRGB(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) const {
    return impl ? m_pixels.GetPixelRGB(x, y, r, g, b) : 0;
}
int CImage::SetPixelIndex(int x, int y, uint8_t index) {
    return impl ? m_pixels.SetPixelIndex(x, y, index) : 0;
}
int CImage::SetPixelRGB(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    return impl ? m_pixels.SetPixelRGB(x, y, r, g, b) : 0;
}
int CImage::SetPalette(int count, const uint8_t* r, const uint8_t* g, const uint8_t* b) {
    return impl ? m_pixels.SetPalette(count, r, g, b) : 0;
}
int CImage::SetPalette(int count, const uint8_t* rgb) {
    return impl ? m_pixels.SetPalette(count, rgb) : 0;
}
int CImage::SetPalette(std::unique_ptr<CImagePalette> palette) {
    return impl ? m_pixels.SetPalette(std::move(palette)) : 0;
}
CImagePalette* CImage::GetPalette() const {
    return impl ? m_pixels.GetPalette() : nullptr;
}
int CImage::IsValid() const {
    return impl && m_pixels.IsValid() ? 1 : 0;
}
uint8_t* CImage::GetBits() const {
    return impl ? m_pixels.imageBits : nullptr;
}
