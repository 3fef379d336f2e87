// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a PNG file, and writes back what it read; then
// again, its rows handed on one at a time into a PNG writer.
#include "image/png_codec.h"
#include "read_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PixelStore implPixels;
    CPngImpl impl(implPixels);
    ReadStreamThen(impl, data, size, [&] { WriteToNowhere(impl); });
    PixelStore rowPixels;
    CPngImpl rows(rowPixels);
    CRowCheck check;
    rows.rowSink = &check;
    rows.rowsOnly = true;
    bool whole = false;
    ReadStreamThen(rows, data, size, [&] { whole = true; });
    check.Check(whole);
    return 0;
}
