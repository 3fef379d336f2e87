#pragma once
// A depth-24 picture where the pixel in column c and row r from the top has
// the colour (c % 256, r % 256, 7), so a readout tells where it was taken.

#include <memory>

#include "image/image.h"

namespace testutil {

inline std::unique_ptr<CImage> Gradient(int width, int height) {
    auto image = std::make_unique<CImage>();
    if (!image->Create(width, height, 24, -1)) return nullptr;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) image->SetPixelRGB(c, height - 1 - r, c % 256, r % 256, 7);
    return image;
}

}  // namespace testutil
