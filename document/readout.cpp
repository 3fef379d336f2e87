// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/readout.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "image/image.h"

std::string FormatRoundedHalfAway(double value) {
    if (!std::isfinite(value)) return "0";
    // std::round takes halves away from zero; printf's "%.0f" would take
    // them to the even neighbour (2.5 -> "2").
    double rounded = std::round(value);
    if (rounded == 0.0) rounded = 0.0;  // no "-0"
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", rounded);
    return buffer;
}

std::string FormatReadout(const CImage* image, int clientX, int clientY, int scrollX, int scrollY,
                          ZoomScale zoom, bool inWindow) {
    if (!image || image->GetWidth() <= 0 || image->GetHeight() <= 0) return {};

    // Position relative to the picture's top-left corner, in zoomed pixels.
    // Whole numbers in 64 bits: no sum of client and scroll overflows, and
    // every position stays exact (a single-precision real would not be past
    // 2^24 pixels).
    const int64_t fx = int64_t{clientX} + scrollX;
    const int64_t fy = int64_t{clientY} + scrollY;
    if (!inWindow || fx < 0 || fy < 0) return " ";

    const int64_t px = zoom.ToPicture(fx);
    const int64_t py = zoom.ToPicture(fy);
    if (px >= image->GetWidth() || py >= image->GetHeight()) return " ";

    std::string text;
    if (zoom == ZoomScale(1) || zoom == ZoomScale(2)) {
        text = "X座標 = " + FormatRoundedHalfAway(static_cast<double>(fx) / zoom.num) +
               " Y座標 = " + FormatRoundedHalfAway(static_cast<double>(fy) / zoom.num) + " ";
    } else {
        text = "X座標 = " + std::to_string(px) + " Y座標 = " + std::to_string(py) + " ";
    }
    uint8_t r = 0, g = 0, b = 0;
    const int x = static_cast<int>(px);
    const int y = image->GetHeight() - 1 - static_cast<int>(py);
    if (image->GetPixelRGB(x, y, &r, &g, &b) == 1) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "  RGB(%d, %d, %d)", r, g, b);
        text += buffer;
    }
    return text;
}
