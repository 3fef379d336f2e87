// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/flatten.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/image_types.h"
#include "image/pixel_store.h"

namespace ze {

namespace {

// Whether the alpha of a picture of indices goes with the indices and is
// 0 or 255 there: then the indices are written with one transparent index.
bool GifHoldsByIndex(const PixelStore& pixels, uint8_t (&byIndex)[256]) {
    if (pixels.imageDepth > 8 || !pixels.AlphaByIndex(byIndex)) return false;
    return std::all_of(byIndex, byIndex + 256, [](uint8_t a) { return a == 0 || a == 255; });
}

// A copy of the indices with the same size and depth.
bool CopyIndices(const PixelStore& from, PixelStore* to, int64_t maxPixels) {
    to->Create(from.imageWidth, from.imageHeight, from.imageDepth, from.colorType, maxPixels);
    if (!to->imageBits) return false;
    std::memcpy(to->imageBits, from.imageBits,
                static_cast<size_t>(from.rowBytes) * static_cast<size_t>(from.imageHeight));
    return true;
}

// Palette entries laid over the matte colour by their index's alpha.
void FlattenPalette(const PixelStore& from, const uint8_t (&byIndex)[256], PixelStore* to) {
    const CImagePalette& palette = *from.imagePalette;
    const int count = palette.GetEntryCount();
    std::vector<uint8_t> rgb(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        uint8_t* c = &rgb[3 * static_cast<size_t>(i)];
        palette.GetEntryRGB(i, c, c + 1, c + 2);
        for (int k = 0; k < 3; ++k) c[k] = Over(c[k], byIndex[i], from.matte[k]);
    }
    to->SetPalette(count, rgb.data());
}

// Every pixel as shown: grey pictures stay grey, others become 24-bit.
bool FlattenPixels(const PixelStore& from, PixelStore* to, int64_t maxPixels) {
    const bool grey = from.imageDepth <= 8 && !from.imagePalette;
    to->Create(from.imageWidth, from.imageHeight, grey ? 8 : 24, grey ? 0 : 2, maxPixels);
    if (!to->imageBits) return false;
    for (int y = 0; y < from.imageHeight; ++y) {
        uint8_t* out = to->PixelAddress(0, y);
        for (int x = 0; x < from.imageWidth; ++x) {
            uint8_t r = 0, g = 0, b = 0;
            from.GetPixelRGB(x, y, &r, &g, &b);
            if (grey) {
                out[x] = r;
            } else {
                uint8_t* p = out + 3 * static_cast<size_t>(x);
                p[0] = b, p[1] = g, p[2] = r;
            }
        }
    }
    return true;
}

}  // namespace

AlphaOnSave AlphaOnSaveAs(const PixelStore& pixels, int code) {
    if (!pixels.HasTransparency()) return AlphaOnSave::kNone;
    const PictureTypeInfo* type = FindPictureType(code);
    const FormatAlpha alpha = type ? type->alpha : FormatAlpha::kNone;
    if (alpha == FormatAlpha::kFull) return AlphaOnSave::kKept;
    // One transparent index, by the indices or through the quantizer.
    if (alpha == FormatAlpha::kBinary && pixels.AlphaIsBinary()) return AlphaOnSave::kKept;
    return AlphaOnSave::kFlattened;
}

std::string FlattenNote(const PixelStore& pixels, int code, bool japanese) {
    if (AlphaOnSaveAs(pixels, code) != AlphaOnSave::kFlattened) return {};
    const std::string colour = "RGB(" + std::to_string(pixels.matte[0]) + ", " +
                               std::to_string(pixels.matte[1]) + ", " +
                               std::to_string(pixels.matte[2]) + ")";
    const char* name = PictureTypeName(code);
    if (code == kImageGif) {
        if (japanese)
            return std::string(
                       "GIF は完全な透明か不透明かしか保存できません。半透明の部分があるため、"
                       "画像全体を表示どおり背景色 ") +
                   colour + " に重ねて保存します。";
        return "GIF keeps only fully transparent pixels: this picture is partly transparent, so "
               "all of it is laid over " +
               colour + " as shown";
    }
    if (japanese)
        return std::string(name) + " は透明度を保存できません。透明な部分は表示どおり背景色 " +
               colour + " に重ねて保存します。";
    return std::string(name) + " keeps no alpha: transparent pixels are laid over " + colour +
           " as shown";
}

bool Flatten(const PixelStore& pixels, PixelStore* to, int64_t maxPixels) {
    uint8_t byIndex[256];
    if (pixels.imageDepth <= 8 && pixels.imagePalette && pixels.AlphaByIndex(byIndex)) {
        if (!CopyIndices(pixels, to, maxPixels)) return false;
        FlattenPalette(pixels, byIndex, to);
        return true;
    }
    return FlattenPixels(pixels, to, maxPixels);
}

Prepared PrepareForSave(const PixelStore& pixels, int code, PixelStore* to, int64_t maxPixels) {
    const AlphaOnSave what = AlphaOnSaveAs(pixels, code);
    if (what == AlphaOnSave::kFlattened)
        return Flatten(pixels, to, maxPixels) ? Prepared::kPrepared : Prepared::kNoMemory;
    // A GIF picture's own transparent index is written as it is, and a
    // picture whose clear pixels do not go by index is quantized with them.
    uint8_t byIndex[256];
    if (what == AlphaOnSave::kNone || code != kImageGif || !pixels.HasAlpha() ||
        !GifHoldsByIndex(pixels, byIndex))
        return Prepared::kAsItIs;
    // GIF: the first fully transparent index stands for them all.
    if (!CopyIndices(pixels, to, maxPixels)) return Prepared::kNoMemory;
    to->SetPalette(std::make_unique<CImagePalette>(*pixels.imagePalette));
    const int first = static_cast<int>(std::find(byIndex, byIndex + 256, 0) - byIndex);
    for (int y = 0; y < pixels.imageHeight; ++y)
        for (int x = 0; x < pixels.imageWidth; ++x)
            if (byIndex[pixels.GetPixelIndex(x, y)] == 0)
                to->SetPixelIndex(x, y, static_cast<uint8_t>(first));
    to->transparentIndex = first;
    return Prepared::kPrepared;
}

}  // namespace ze
