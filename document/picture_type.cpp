// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/picture_type.h"

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
    return ImageTypeFromName(path);
}
