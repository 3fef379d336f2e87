// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/image_types.h"

namespace {

constexpr PictureTypeInfo kPictureTypes[] = {
    {kImageGif, "gif", nullptr, true, false, "GIFﾌｧｲﾙ(*.gif)"},
    {kImageJpeg, "jpg", "jpeg", true, true, "JPEGﾌｧｲﾙ(*.jpg)"},
    {kImagePng, "png", nullptr, true, true, "PNGﾌｧｲﾙ(*.png)"},
    {kImageBmp, "bmp", nullptr, true, true, "BMPﾌｧｲﾙ(*.bmp)"},
    {kImageWebp, "webp", nullptr, true, true, "WebPﾌｧｲﾙ(*.webp)"},
    {kImageAvif, "avif", nullptr, true, false, "AVIFﾌｧｲﾙ(*.avif)"},
    {kImageXpm, "xpm", nullptr, false, false, nullptr},
};

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(const char* lower, const std::string& text) {
    size_t i = 0;
    for (; lower[i] && i < text.size(); ++i)
        if (lower[i] != Lower(text[i])) return false;
    return !lower[i] && i == text.size();
}

}  // namespace

std::span<const PictureTypeInfo> PictureTypes() {
    return kPictureTypes;
}

int ImageTypeFromName(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return kImageUnknown;
    const std::string ext = name.substr(dot + 1);
    for (const PictureTypeInfo& type : kPictureTypes)
        if (EqualNoCase(type.extension, ext)) return type.code;
    return kImageUnknown;
}

const char* PictureTypeName(int code) {
    switch (code) {
        case kImageBmp:
            return "BMP";
        case kImageJpeg:
            return "JPEG";
        case kImageGif:
            return "GIF";
        case kImagePng:
            return "PNG";
        case kImageWebp:
            return "WebP";
        case kImageAvif:
            return "AVIF";
        default:
            return "?";
    }
}
