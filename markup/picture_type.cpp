#include "markup/picture_type.h"

#include <iterator>

#include "image/image_types.h"

std::string PictureExtensionOfPath(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

int PictureTypeFromPath(const std::string& path) {
    struct Row {
        const char* extension;
        int code;
    };
    // Tested in this order.
    static constexpr Row kRows[] = {
        {"jpg", kImageJpeg}, {"jpeg", kImageJpeg}, {"gif", kImageGif},
        {"png", kImagePng},  {"bmp", kImageBmp},
    };
    const std::string ext = PictureExtensionOfPath(path);
    if (ext.empty()) return kImageUnknown;
    for (const Row& row : kRows)
        if (ext == row.extension) return row.code;
    return kImageUnknown;
}
