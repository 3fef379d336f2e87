// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the BMP reader: reads the input as a BMP file held in
// memory, then reads every pixel's colour and index; then again, its rows
// handed on a block at a time into a PNG writer.

#include <cstddef>
#include <cstdint>

#include "image/bmp_codec.h"
#include "image/dib.h"
#include "io/messages.h"
#include "read_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool once = (ze::SetMessageHandler({}), true);
    (void)once;

    PixelStore rowPixels;
    CBmpImpl rows(rowPixels);
    rows.readLimits.maxPixels = int64_t{256} * 256;
    CRowCheck check;
    rows.rowSink = &check;
    check.Check(rows.ReadMemory(data, size) == 1);

    PixelStore implPixels;
    CBmpImpl impl(implPixels);
    // Small pictures keep each run quick; the checks are the same.
    impl.readLimits.maxPixels = int64_t{256} * 256;
    if (!impl.ReadMemory(data, size)) return 0;
    if (impl.GetWidth() <= 0 || impl.GetHeight() <= 0 || !impl.GetBits()) __builtin_trap();
    unsigned sum = 0;
    for (int y = 0; y < impl.GetHeight(); ++y) {
        for (int x = 0; x < impl.GetWidth(); ++x) {
            uint8_t r = 0, g = 0, b = 0;
            if (!impl.GetPixelRGB(x, y, &r, &g, &b)) __builtin_trap();
            sum += r + g + b + static_cast<unsigned>(impl.GetPixelIndex(x, y));
        }
    }
    // The colour-table switch the writer makes, and back.
    dib::SetDibUsage(impl.GetDib(), impl.GetPalette(), dib::Usage::kColors);
    dib::SetDibUsage(impl.GetDib(), impl.GetPalette(), dib::Usage::kIndices);
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
