// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/picture_size.h"

#include <memory>

#include "image/image.h"

namespace ze {

HeaderSize ReadPictureSize(const std::string& path, int type, const ReadLimits& limits) {
    HeaderSize size;
    PixelStore pixels;
    const std::unique_ptr<CImageImpl> reader = MakeImageImpl(type, pixels, path);
    if (!reader) {
        size.failure = UnknownPictureType();
        return size;
    }
    reader->readLimits = limits;
    reader->readSizeOnly = true;
    reader->Read(path);
    size.failure = reader->readFailure;
    if (!size.failure.ok()) return size;
    if (reader->headerWidth <= 0 || reader->headerHeight <= 0) {
        size.failure = PictureStatus(StatusCode::kNoPicture, type);
        return size;
    }
    size.width = reader->headerWidth;
    size.height = reader->headerHeight;
    return size;
}

}  // namespace ze
