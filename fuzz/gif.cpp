// SPDX-License-Identifier: GPL-3.0-or-later
// The GIF reader over arbitrary bytes: it must neither crash nor touch memory
// outside its buffers, whatever the file holds.

#include <cstdint>

#include "image/gif_codec.h"
#include "read_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PixelStore gifPixels;
    CGifImpl gif(gifPixels);
    // Keep pictures small so that each run is quick.
    gif.readLimits.maxPixels = 1 << 16;
    ReadStreamThen(gif, data, size, [&] {
        if (!gif.IsValid()) return;
        // The last pixel and every palette entry that the reader claims.
        uint8_t r, g, b;
        gif.GetPixelRGB(gif.GetWidth() - 1, 0, &r, &g, &b);
        for (int i = 0; gif.GetPalette() && i < gif.GetPalette()->GetEntryCount(); ++i)
            gif.GetPalette()->GetEntryRGB(i, &r, &g, &b);
    });
    return 0;
}
