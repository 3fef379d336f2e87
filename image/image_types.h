#pragma once
// Picture type codes and the image library's type-name table.

#include <string>

enum ImageTypeCode : int {
    kImageUnknown = -1,
    kImageBmp = 0,
    kImageJpeg = 1,
    kImageGif = 2,
    kImageXpm = 3,  // named in the table, but has no implementation
    kImagePng = 4,
};

// The type code for a file name from the type-name table ("BMP", "GIF", "JPG",
// "PNG", "XPM"), by the text after the last "." compared without ASCII case.
// -1 when there is no extension or it is not in the table ("jpeg" is not).
int ImageTypeFromName(const std::string& name);
