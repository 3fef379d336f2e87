// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a JPEG file.
#include "image/jpeg_codec.h"
#include "read_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PixelStore implPixels;
    CJpegImpl impl(implPixels);
    ReadStreamThen(impl, data, size, [] {});
    return 0;
}
