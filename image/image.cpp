// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/image.h"

#include "image/avif_codec.h"
#include "image/bmp_codec.h"
#include "image/gif_codec.h"
#include "image/jpeg_codec.h"
#include "image/png_codec.h"
#include "image/webp_codec.h"

std::unique_ptr<CImageImpl> MakeImageImpl(int code, const std::string& name) {
    switch (code) {
        case kImageBmp:
            return std::make_unique<CBmpImpl>(name);
        case kImageJpeg:
            return std::make_unique<CJpegImpl>(name);
        case kImageGif:
            return std::make_unique<CGifImpl>(name);
        case kImagePng:
            return std::make_unique<CPngImpl>(name);
        case kImageWebp:
            return std::make_unique<CWebpImpl>(name);
        case kImageAvif:
            return std::make_unique<CAvifImpl>(name);
        default:
            return nullptr;
    }
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
            lastReadFailure.error = ze::ReadError::kUnknownType;
            return 0;
        }
    }
    impl->readLimits = readLimits;
    impl->readFullColour = fullColour;
    const int answer = impl->Read(imageName);
    lastReadFailure = impl->readFailure;
    // A reader that gave no picture without a reason of its own.
    if (!lastReadFailure && (GetWidth() <= 0 || GetHeight() <= 0)) {
        lastReadFailure.error = ze::ReadError::kNoImage;
        lastReadFailure.type = code;
    }
    return answer;
}

int CImage::Save(const std::string& name, int code, const ze::SaveOptions& options) {
    // A format that cannot be written, or a picture that its writer refuses.
    lastWriteError = ze::WriteError::kEncode;
    lastEncodeFailure = {};
    if (!impl) return 0;
    const int oldType = imageType;
    imageName = name;
    if (code == kImageUnknown) code = ImageTypeFromName(imageName);
    imageType = code;
    if (code != oldType) {
        std::unique_ptr<CImageImpl> old = std::move(impl);
        if (!CreateImpl(imageName, code)) {
            impl = std::move(old);
            imageType = oldType;
            return 0;
        }
        impl->TakeOver(*old);
    }
    impl->writeError = ze::WriteError::kNone;
    impl->encodeFailure = {};
    impl->saveOptions = options;
    const int written = impl->Write(imageName);
    if (written != 0)
        lastWriteError = ze::WriteError::kNone;
    else if (impl->writeError != ze::WriteError::kNone)
        lastWriteError = impl->writeError;
    if (written == 0 && lastWriteError == ze::WriteError::kEncode)
        lastEncodeFailure = impl->encodeFailure;
    return written;
}

int CImage::CreateImpl(const std::string& name, int code) {
    impl = MakeImageImpl(code, name);
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
    return impl ? impl->GetRowBytes() : 0;
}
int CImage::GetWidth() const {
    return impl ? impl->GetWidth() : 0;
}
int CImage::GetHeight() const {
    return impl ? impl->GetHeight() : 0;
}
int CImage::GetDepth() const {
    return impl ? impl->GetDepth() : 0;
}
int CImage::GetColorType() const {
    return impl ? impl->GetColorType() : 0;
}
int CImage::IsInside(int x, int y) const {
    return impl ? impl->IsInside(x, y) : 0;
}
int CImage::GetPixelIndex(int x, int y) const {
    return impl ? impl->GetPixelIndex(x, y) : -1;
}
int CImage::GetPixelRGB(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) const {
    return impl ? impl->GetPixelRGB(x, y, r, g, b) : 0;
}
int CImage::SetPixelIndex(int x, int y, uint8_t index) {
    return impl ? impl->SetPixelIndex(x, y, index) : 0;
}
int CImage::SetPixelRGB(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    return impl ? impl->SetPixelRGB(x, y, r, g, b) : 0;
}
int CImage::SetPalette(int count, const uint8_t* r, const uint8_t* g, const uint8_t* b) {
    return impl ? impl->SetPalette(count, r, g, b) : 0;
}
int CImage::SetPalette(int count, const uint8_t* rgb) {
    return impl ? impl->SetPalette(count, rgb) : 0;
}
int CImage::SetPalette(std::unique_ptr<CImagePalette> palette) {
    return impl ? impl->SetPalette(std::move(palette)) : 0;
}
CImagePalette* CImage::GetPalette() const {
    return impl ? impl->GetPalette() : nullptr;
}
int CImage::IsValid() const {
    return impl && impl->IsValid() ? 1 : 0;
}
uint8_t* CImage::GetBits() const {
    return impl ? impl->GetBits() : nullptr;
}
