// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/zoom_scale.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

struct Preset {
    int num, den;
    const char* text;
};
constexpr Preset kPresets[ZoomScale::kLevelCount] = {
    {1, 16, "6.25%"}, {1, 8, "12.5%"}, {1, 4, "25%"},    {1, 3, "33.3%"},  {1, 2, "50%"},
    {2, 3, "66.7%"},  {1, 1, "100%"},  {2, 1, "200%"},   {3, 1, "300%"},   {4, 1, "400%"},
    {6, 1, "600%"},   {8, 1, "800%"},  {12, 1, "1200%"}, {16, 1, "1600%"},
};

// floor(a / b) for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Whether a/b < c/d, all positive.
bool Less(int64_t a, int64_t b, int64_t c, int64_t d) {
    return a * d < c * b;
}

}  // namespace

ZoomScale ZoomScale::Ratio(int64_t num, int64_t den) {
    num = std::max<int64_t>(num, 1);
    den = std::max<int64_t>(den, 1);
    const int64_t g = std::gcd(num, den);
    num /= g;
    den /= g;
    // Kept within int: a scale beyond 2^31 either way is clamped anyway.
    while (num > INT32_MAX || den > INT32_MAX) {
        num = std::max<int64_t>(num / 2, 1);
        den = std::max<int64_t>(den / 2, 1);
    }
    ZoomScale z;
    z.num = static_cast<int>(num);
    z.den = static_cast<int>(den);
    return z;
}

int64_t ZoomScale::ToPicture(int64_t v) const {
    return FloorDiv(v * den, num);
}

int64_t ZoomScale::ToView(int64_t p) const {
    return -FloorDiv(-p * num, den);
}

ZoomScale ZoomScale::Level(int index) {
    const Preset& p = kPresets[std::clamp(index, 0, kLevelCount - 1)];
    return Ratio(p.num, p.den);
}

ZoomScale ZoomScale::Step(bool up) const {
    if (up) {
        for (const Preset& p : kPresets)
            if (Less(num, den, p.num, p.den)) return Ratio(p.num, p.den);
    } else {
        for (int i = kLevelCount - 1; i >= 0; --i)
            if (Less(kPresets[i].num, kPresets[i].den, num, den))
                return Ratio(kPresets[i].num, kPresets[i].den);
    }
    return *this;
}

ZoomScale ZoomScale::Fit(int64_t width, int64_t height, int64_t roomWidth, int64_t roomHeight) {
    if (width <= 0 || height <= 0 || roomWidth <= 0 || roomHeight <= 0) return ZoomScale();
    // The tighter of the two axes.
    int64_t num = roomWidth, den = width;
    if (Less(roomHeight, height, num, den)) num = roomHeight, den = height;
    const Preset& lo = kPresets[0];
    const Preset& hi = kPresets[kLevelCount - 1];
    if (Less(num, den, lo.num, lo.den)) return Ratio(lo.num, lo.den);
    if (Less(hi.num, hi.den, num, den)) return Ratio(hi.num, hi.den);
    return Ratio(num, den);
}

std::string ZoomScale::PercentText() const {
    for (const Preset& p : kPresets)
        if (int64_t{p.num} * den == int64_t{num} * p.den) return p.text;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", 100.0 * num / den);
    std::string text = buffer;
    if (text.ends_with(".0")) text.resize(text.size() - 2);
    return text + "%";
}

std::optional<ZoomScale> ZoomScale::Parse(std::string_view text) {
    if (text == "1") return ZoomScale(1);
    if (text == "2") return ZoomScale(2);
    for (const Preset& p : kPresets)
        if (text == p.text) return Ratio(p.num, p.den);
    return std::nullopt;
}
