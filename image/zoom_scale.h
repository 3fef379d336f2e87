// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How large the map view shows the picture: a ratio num/den of screen
// pixels to picture pixels. One picture pixel covers the view pixels v with
// floor(v * den / num) equal to it; the view and the command-line tool both
// convert through here, so that they agree to the pixel.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ZoomScale {
    int num = 1;
    int den = 1;

    constexpr ZoomScale() = default;
    // A whole factor (1: actual size, 2: double size); below 1 counts as 1.
    constexpr ZoomScale(int factor) : num(factor < 1 ? 1 : factor) {}  // NOLINT: implicit
    // num/den in lowest terms; num or den below 1 counts as 1.
    static ZoomScale Ratio(int64_t num, int64_t den);

    bool operator==(const ZoomScale& o) const { return num == o.num && den == o.den; }
    double Factor() const { return static_cast<double>(num) / den; }

    // The picture pixel (or coordinate) under view pixel v, counted from the
    // picture's corner: floor(v * den / num), also for v < 0.
    int64_t ToPicture(int64_t v) const;
    // The first view pixel of picture pixel p: ceil(p * num / den).
    int64_t ToView(int64_t p) const;
    // The view length of a picture `length` pixels long: every picture pixel
    // gets at least part of a view pixel.
    int64_t ViewLength(int64_t length) const { return ToView(length); }

    // The preset levels from 6.25 % to 1600 %, smallest first.
    static constexpr int kLevelCount = 14;
    static ZoomScale Level(int index);
    // The next preset level above (up) or below this scale; this scale
    // itself at either end.
    ZoomScale Step(bool up) const;
    // The largest scale that shows `length` picture pixels in `room` view
    // pixels along both axes, within the smallest and largest level.
    static ZoomScale Fit(int64_t width, int64_t height, int64_t roomWidth, int64_t roomHeight);

    // "6.25%", "33.3%", "100%", "1600%" for the preset levels; any other
    // scale to one decimal ("14.7%"), a trailing ".0" dropped.
    std::string PercentText() const;
    // A preset level from its text ("400%", "6.25%", "33.3%"), or the old
    // whole factors "1" and "2"; nothing for anything else.
    static std::optional<ZoomScale> Parse(std::string_view text);
};
