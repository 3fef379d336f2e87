// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/image_types.h"

#include "image/avif_codec.h"
#include "image/bmp_codec.h"
#include "image/gif_codec.h"
#include "image/jpeg_codec.h"
#include "image/png_codec.h"
#include "image/webp_codec.h"

namespace {

template <class Codec>
std::unique_ptr<CImageImpl> Make(PixelStore& pixels, const std::string& name) {
    return std::make_unique<Codec>(pixels, name);
}

using A = FormatAlpha;

constexpr PictureTypeInfo kPictureTypes[] = {
    {kImageGif, "GIF", "gif", nullptr, "image/gif", true, A::kBinary, false, false,
     "GIFﾌｧｲﾙ(*.gif)", Make<CGifImpl>},
    {kImageJpeg, "JPEG", "jpg", "jpeg", "image/jpeg", true, A::kNone, true, false,
     "JPEGﾌｧｲﾙ(*.jpg)", Make<CJpegImpl>},
    {kImagePng, "PNG", "png", nullptr, "image/png", true, A::kFull, false, false, "PNGﾌｧｲﾙ(*.png)",
     Make<CPngImpl>},
    {kImageBmp, "BMP", "bmp", nullptr, "image/bmp", true, A::kNone, false, false, "BMPﾌｧｲﾙ(*.bmp)",
     Make<CBmpImpl>},
    {kImageWebp, "WebP", "webp", nullptr, "image/webp", true, A::kFull, true, true,
     "WebPﾌｧｲﾙ(*.webp)", Make<CWebpImpl>},
    {kImageAvif, "AVIF", "avif", nullptr, "image/avif", true, A::kFull, true, true,
     "AVIFﾌｧｲﾙ(*.avif)", Make<CAvifImpl>},
};

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(const char* lower, const std::string& text) {
    if (!lower) return false;
    size_t i = 0;
    for (; lower[i] && i < text.size(); ++i)
        if (lower[i] != Lower(text[i])) return false;
    return !lower[i] && i == text.size();
}

}  // namespace

std::span<const PictureTypeInfo> PictureTypes() {
    return kPictureTypes;
}

const PictureTypeInfo* FindPictureType(int code) {
    for (const PictureTypeInfo& type : kPictureTypes)
        if (type.code == code) return &type;
    return nullptr;
}

int ImageTypeFromName(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return kImageUnknown;
    const std::string ext = name.substr(dot + 1);
    for (const PictureTypeInfo& type : kPictureTypes)
        if (EqualNoCase(type.extension, ext) || EqualNoCase(type.otherExtension, ext))
            return type.code;
    return kImageUnknown;
}

const char* PictureTypeName(int code) {
    const PictureTypeInfo* type = FindPictureType(code);
    return type ? type->name : "?";
}
