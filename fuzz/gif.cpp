// The GIF reader over arbitrary bytes: it must neither crash nor touch memory
// outside its buffers, whatever the file holds.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/gif_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return 0;
    CGifImpl gif;
    // Keep pictures small so that each run is quick.
    gif.readLimits.maxPixels = 1 << 16;
    if (gif.ReadStream(file) == 1 && gif.IsValid()) {
        // The last pixel and every palette entry that the reader claims.
        uint8_t r, g, b;
        gif.GetPixelRGB(gif.GetWidth() - 1, 0, &r, &g, &b);
        for (int i = 0; gif.GetPalette() && i < gif.GetPalette()->GetEntryCount(); ++i)
            gif.GetPalette()->GetEntryRGB(i, &r, &g, &b);
    }
    std::fclose(file);
    return 0;
}
