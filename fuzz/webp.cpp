// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a WebP file, and writes back what it read.
#include "image/webp_codec.h"
#include "read_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PixelStore implPixels;
    CWebpImpl impl(implPixels);
    // Smaller bounds than the editor's, so that a file at them stays within
    // the fuzzer's memory limit; the checks are the same.
    impl.readLimits.maxPixels = int64_t{4096} * 4096;
    impl.readLimits.decoderMemory = uint64_t{256} << 20;
    ReadStreamThen(impl, data, size, [&] { WriteToNowhere(impl); });
    return 0;
}
