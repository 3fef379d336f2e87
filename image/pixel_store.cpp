// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/pixel_store.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "io/messages.h"

namespace {

std::atomic<uint64_t> g_lastGeneration{0};

// Bit position of pixel x inside its byte for depths 1, 2 and 4 (leftmost
// pixel in the high bits).
int Shift(int x, int depth) {
    return 8 - depth - (x * depth) % 8;
}

}  // namespace

void PixelStore::Renew() {
    m_generation = ++g_lastGeneration;
}

void PixelStore::Create(int width, int height, int depth, int type, int64_t maxPixels,
                        dib::Rows rows) {
    Renew();
    imageWidth = width;
    imageHeight = height;
    imageDepth = depth;
    colorType = type >= 0 ? type : (depth < 9 ? 0 : 2);
    imageDib = {};
    imageBits = nullptr;
    imagePalette.reset();
    m_alpha = {};
    matte[0] = ze::kBackRed, matte[1] = ze::kBackGreen, matte[2] = ze::kBackBlue;
    rowBytes = 0;
    imageDib = dib::AllocateDib(depth, width, height, maxPixels, rows);
    if (imageDib) {
        imageBits = imageDib.data() + dib::BitsOffset(imageDib.data());
        rowBytes = static_cast<int>(dib::RowBytes(width, depth));
    } else {
        // No pixels: report no size either, so that callers deciding by the
        // size (the document does) never take the picture for a loaded one.
        imageWidth = imageHeight = 0;
    }
}

bool PixelStore::CreateAlpha() {
    m_alpha = {};
    if (!imageBits) return false;
    const size_t bytes = static_cast<size_t>(imageWidth) * static_cast<size_t>(imageHeight);
    m_alpha = dib::Block::Allocate(bytes);
    if (!m_alpha) return false;
    std::memset(m_alpha.data(), 255, bytes);
    Renew();
    return true;
}

bool PixelStore::HasTransparency() const {
    if (transparentIndex >= 0 && imageDepth <= 8) return true;
    if (!m_alpha) return false;
    const uint8_t* a = m_alpha.data();
    return std::any_of(a, a + m_alpha.size(), [](uint8_t v) { return v != 255; });
}

bool PixelStore::AlphaIsBinary() const {
    if (!m_alpha) return true;
    const uint8_t* a = m_alpha.data();
    return std::all_of(a, a + m_alpha.size(), [](uint8_t v) { return v == 0 || v == 255; });
}

int PixelStore::GetAlpha(int x, int y) const {
    if (!IsInside(x, y) || !imageBits) return 255;
    if (m_alpha) return AlphaRow(y)[x];
    if (transparentIndex >= 0 && GetPixelIndex(x, y) == transparentIndex) return 0;
    return 255;
}

bool PixelStore::AlphaByIndex(uint8_t (&alpha)[256]) const {
    std::memset(alpha, 255, sizeof alpha);
    if (imageDepth > 8 || !imageBits) return false;
    if (!m_alpha) {
        if (transparentIndex >= 0 && transparentIndex < 256) alpha[transparentIndex] = 0;
        return true;
    }
    bool seen[256] = {};
    for (int y = 0; y < imageHeight; ++y) {
        const uint8_t* a = AlphaRow(y);
        for (int x = 0; x < imageWidth; ++x) {
            const int index = GetPixelIndex(x, y);
            if (!seen[index]) {
                seen[index] = true;
                alpha[index] = a[x];
            } else if (alpha[index] != a[x]) {
                return false;
            }
        }
    }
    return true;
}

int PixelStore::GetPixelIndex(int x, int y) const {
    if (!IsInside(x, y) || imageDepth > 8 || !imageBits) return -1;
    const uint8_t byte = *PixelAddress(x, y);
    if (imageDepth == 8) return byte;
    return (byte >> Shift(x, imageDepth)) & ((1 << imageDepth) - 1);
}

int PixelStore::SetPixelIndex(int x, int y, uint8_t index) {
    if (!IsInside(x, y) || imageDepth > 8 || !imageBits) return 0;
    uint8_t* p = PixelAddress(x, y);
    if (imageDepth == 8) {
        *p = index;
    } else {
        const int shift = Shift(x, imageDepth);
        const int mask = ((1 << imageDepth) - 1) << shift;
        *p = static_cast<uint8_t>((*p & ~mask) | ((index << shift) & mask));
    }
    return 1;
}

int PixelStore::GetStraightRGB(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const {
    if (!IsInside(x, y) || !imageBits) return 0;
    uint8_t r = 0, g = 0, b = 0;
    if (imageDepth <= 8) {
        const int index = GetPixelIndex(x, y);
        if (imagePalette) {
            // An index past the palette's entries reads as black.
            imagePalette->GetEntryRGB(index, &r, &g, &b);
        } else {
            // No palette: a grey ramp over the depth's indices.
            const int levels = (1 << imageDepth) - 1;
            r = g = b = static_cast<uint8_t>(index * 255 / levels);
        }
    } else if (imageDepth == 16) {
        const uint8_t* p = PixelAddress(x, y);
        const int v = p[0] | (p[1] << 8);
        r = static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31);
        g = static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31);
        b = static_cast<uint8_t>((v & 31) * 255 / 31);
    } else {
        const uint8_t* p = PixelAddress(x, y);
        b = p[0], g = p[1], r = p[2];
    }
    if (red) *red = r;
    if (green) *green = g;
    if (blue) *blue = b;
    return 1;
}

int PixelStore::GetPixelRGB(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const {
    if (!m_alpha) return GetStraightRGB(x, y, red, green, blue);
    uint8_t c[3] = {};
    if (!GetStraightRGB(x, y, c, c + 1, c + 2)) return 0;
    const int a = AlphaRow(y)[x];
    if (red) *red = ze::Over(c[0], a, matte[0]);
    if (green) *green = ze::Over(c[1], a, matte[1]);
    if (blue) *blue = ze::Over(c[2], a, matte[2]);
    return 1;
}

int PixelStore::SetPixelRGB(int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
    if (!IsInside(x, y) || !imageBits) return 0;
    if (colorType & 1) {
        if (!imagePalette) return 0;
        return SetPixelIndex(
            x, y, static_cast<uint8_t>(imagePalette->GetNearestPaletteIndex(red, green, blue)));
    }
    uint8_t* p = PixelAddress(x, y);
    if (imageDepth <= 8) {
        // Grey picture: the nearest level of its ramp.
        const int levels = (1 << imageDepth) - 1;
        const int grey = (red + green + blue) / 3;
        return SetPixelIndex(x, y, static_cast<uint8_t>((grey * levels + 127) / 255));
    }
    if (imageDepth == 16) {
        const int v = ((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3);
        p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8);
        return 1;
    }
    p[0] = blue, p[1] = green, p[2] = red;
    return 1;
}

int PixelStore::SetPalette(std::unique_ptr<CImagePalette> palette) {
    if (!palette) return 0;
    imagePalette = std::move(palette);
    colorType |= 3;
    Renew();
    return dib::SetDibUsage(imageDib.data(), imagePalette.get(), dib::Usage::kIndices);
}

int PixelStore::SetPalette(int count, const uint8_t* red, const uint8_t* green,
                           const uint8_t* blue) {
    if (!green) green = red;
    if (!blue) blue = green;
    auto palette = std::make_unique<CImagePalette>();
    if (!palette->Create(count, red, green, blue)) return 0;
    return SetPalette(std::move(palette));
}

int PixelStore::SetPalette(int count, const uint8_t* rgb) {
    if (count < 1 || count > CImagePalette::kMaxEntries || !rgb) return 0;
    if (imagePalette) ze::ReportMessage("CImageImpl::imagePalette already exists!");
    std::vector<PaletteEntry> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) entries[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], 0};
    auto palette = std::make_unique<CImagePalette>();
    palette->CreateFromEntries(std::move(entries));
    return SetPalette(std::move(palette));
}
