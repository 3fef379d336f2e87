// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture type codes and the one table of picture types: the extensions of
// each, whether the editor opens and saves it, and its file-dialog label.
// The image library, the document, every dialog and message, and the
// command-line tool take their types from here.

#include <span>
#include <string>

enum ImageTypeCode : int {
    kImageUnknown = -1,
    kImageBmp = 0,
    kImageJpeg = 1,
    kImageGif = 2,
    kImageXpm = 3,  // named in the table, but has no implementation
    kImagePng = 4,
    kImageWebp = 5,
    kImageAvif = 6,
};

struct PictureTypeInfo {
    ImageTypeCode code;
    const char* extension;       // lower case, without a dot
    const char* otherExtension;  // a second extension the editor opens, or null
    bool canOpen;
    bool canSave;
    const char* filterLabel;  // UTF-8; null for a type no dialog lists
};

// In the order the file dialogs list them.
std::span<const PictureTypeInfo> PictureTypes();

// The type code for a file name from the image library's type names ("BMP",
// "GIF", "JPG", "PNG", "XPM", "WEBP", "AVIF": each type's first extension), by the text after
// the last "." compared without ASCII case. -1 when there is no extension or
// it is not among them ("jpeg" is not).
int ImageTypeFromName(const std::string& name);

// The name a format is known by in messages ("JPEG", "WebP"); "?" for a
// code without a format.
const char* PictureTypeName(int code);
