// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture's width and height from its file's header, for callers that need
// nothing more: the file is read only as far as the size, with every check
// a full read makes before the pixels.

#include <string>

#include "image/read_error.h"

namespace ze {

struct HeaderSize {
    int width = 0;
    int height = 0;
    // Why there is no size (the reason a full read would give); kOk with one.
    Status failure;
};

// The size of the picture of image type `type` in the file at `path`, as a
// full read within `limits` would give it (a JPEG's EXIF orientation
// applied). Pixels damaged past the header do not matter here.
HeaderSize ReadPictureSize(const std::string& path, int type, const ReadLimits& limits = {});

}  // namespace ze
