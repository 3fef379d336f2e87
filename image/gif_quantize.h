// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reduces a picture of more colours than a GIF holds to a palette of at most
// 256, with dithering, through libimagequant (its default speed, 4, and full
// dithering).

#include <cstdint>
#include <vector>

#include "image/read_error.h"

class CRgbRows;

namespace ze {

struct QuantizedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;   // width x height palette indices, top row first
    uint8_t palette[256 * 3] = {};  // red, green, blue; zero past `colours`
    int colours = 0;
    int transparentIndex = -1;  // the entry of alpha 0, or -1 when none
};

// kOk, or why no palette could be made (out of memory, the library failed).
StatusCode QuantizeForGif(const CRgbRows& rows, QuantizedPicture* out);

}  // namespace ze
