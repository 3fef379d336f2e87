// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The libraries the pictures are read and written with, and their versions,
// for the window that tells the user what the program is built from.

#include <string>
#include <vector>

namespace ze {

struct LibraryVersion {
    std::string name;     // "libpng"
    std::string version;  // "1.6.39"; empty when the library cannot be opened
};

// libpng, libjpeg-turbo, libexif, libwebp and libavif, in that order.
// libavif is opened by this call when no AVIF file has opened it yet.
std::vector<LibraryVersion> PictureLibraryVersions();

}  // namespace ze
