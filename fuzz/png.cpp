// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a PNG file, and writes back what it read.
#include "image/png_codec.h"
#include "read_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PixelStore implPixels;
    CPngImpl impl(implPixels);
    ReadStreamThen(impl, data, size, [&] { WriteToNowhere(impl); });
    return 0;
}
