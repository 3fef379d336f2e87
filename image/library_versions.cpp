// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/library_versions.h"

#include <png.h>
#include <webp/decode.h>

#include <cstdio>

// jpeglib.h needs the declarations of stdio first.
#include <jpeglib.h>

#include "image/avif_library.h"

namespace ze {

namespace {

std::string Dotted(int major, int minor, int patch) {
    char text[40];
    std::snprintf(text, sizeof text, "%d.%d.%d", major, minor, patch);
    return text;
}

}  // namespace

std::vector<LibraryVersion> PictureLibraryVersions() {
    // libpng and libwebp say which library the process runs with; libjpeg-turbo
    // and libexif have no such call, so theirs are the versions built against.
    const char* png = png_get_libpng_ver(nullptr);
    const int webp = WebPGetDecoderVersion();
    const int jpeg = LIBJPEG_TURBO_VERSION_NUMBER;
    const AvifLibrary* avif = Avif();
    return {
        {"libpng", png ? png : ""},
        {"libjpeg-turbo", Dotted(jpeg / 1000000, jpeg / 1000 % 1000, jpeg % 1000)},
        {"libexif", ZE_LIBEXIF_VERSION},
        {"libwebp", Dotted(webp >> 16 & 0xff, webp >> 8 & 0xff, webp & 0xff)},
        {"libavif", avif && avif->version ? avif->version() : ""},
    };
}

}  // namespace ze
