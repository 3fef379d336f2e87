// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/render.h"

#include <algorithm>

#include "image/image.h"

namespace {
constexpr uint32_t Argb(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return (uint32_t{a} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}
}  // namespace

void IndexColoursArgb32(const CImage& image, uint32_t (&lut)[256]) {
    const PixelStore* impl = image.GetImpl() ? &image.Pixels() : nullptr;
    const int depth = impl ? impl->imageDepth : 0;
    for (int i = 0; i < 256; ++i) {
        uint8_t r = 0, g = 0, b = 0;
        if (impl && impl->imagePalette) {
            impl->imagePalette->GetEntryRGB(i, &r, &g, &b);
        } else if (depth >= 1 && depth <= 8) {
            const int levels = (1 << depth) - 1;
            r = g = b = static_cast<uint8_t>(std::min(i, levels) * 255 / levels);
        }
        lut[i] = Argb(r, g, b, impl && i == impl->transparentIndex ? 0 : 255);
    }
}

bool RenderArgb32(const CImage& image, uint32_t* out, int stride) {
    const PixelStore* impl = image.GetImpl() ? &image.Pixels() : nullptr;
    if (!impl || !impl->imageBits || impl->imageWidth <= 0 || impl->imageHeight <= 0 ||
        stride < impl->imageWidth)
        return false;
    const int w = impl->imageWidth, h = impl->imageHeight, depth = impl->imageDepth;

    // Indexed pictures go through a table of every index's colour.
    uint32_t lut[256];
    if (depth <= 8) IndexColoursArgb32(image, lut);
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row;
        uint32_t* dst = out + static_cast<size_t>(row) * static_cast<size_t>(stride);
        const uint8_t* src = impl->PixelAddress(0, y);
        if (depth == 8) {
            for (int x = 0; x < w; ++x) dst[x] = lut[src[x]];
        } else if (depth == 24) {
            for (int x = 0; x < w; ++x, src += 3) dst[x] = Argb(src[2], src[1], src[0]);
        } else if (depth == 32) {
            for (int x = 0; x < w; ++x, src += 4) dst[x] = Argb(src[2], src[1], src[0]);
        } else if (depth < 8) {
            for (int x = 0; x < w; ++x) dst[x] = lut[impl->GetPixelIndex(x, y)];
        } else {
            for (int x = 0; x < w; ++x) {
                uint8_t r = 0, g = 0, b = 0;
                impl->GetPixelRGB(x, y, &r, &g, &b);
                dst[x] = Argb(r, g, b);
            }
        }
    }
    return true;
}

std::vector<uint32_t> RenderArgb32(const CImage& image) {
    std::vector<uint32_t> out;
    const PixelStore* impl = image.GetImpl() ? &image.Pixels() : nullptr;
    if (!impl || !impl->imageBits) return out;
    out.resize(static_cast<size_t>(impl->imageWidth) * static_cast<size_t>(impl->imageHeight));
    if (!RenderArgb32(image, out.data(), impl->imageWidth)) out.clear();
    return out;
}
