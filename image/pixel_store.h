// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pixels of one picture: size, depth, rows, palette, transparent index
// and alpha. The picture (CImage) owns one store for as long as it shows the
// same picture; its codecs read into it and write from it, and whatever
// shows the picture reads it here, never through a codec.

#include <cstdint>
#include <memory>

#include "image/dib.h"
#include "image/image_palette.h"

namespace ze {

// Transparent areas of colour pictures are shown laid over this colour.
inline constexpr uint8_t kBackRed = 31, kBackGreen = 127, kBackBlue = 255;

// fg over bg at alpha, rounded to the nearest level as libpng rounds its
// composite of 8-bit samples.
inline uint8_t Over(int fg, int alpha, int bg) {
    const int t = fg * alpha + bg * (255 - alpha) + 128;
    return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

}  // namespace ze

class PixelStore {
public:
    PixelStore() = default;
    PixelStore(const PixelStore&) = delete;
    PixelStore& operator=(const PixelStore&) = delete;
    PixelStore(PixelStore&&) = default;
    PixelStore& operator=(PixelStore&&) = default;

    // Replaces the pixels with a zero-filled block of the given size and drops
    // the palette and the alpha plane (the transparent index stays). colorType < 0
    // means 0 for depths up to 8, else 2. Leaves the store without pixels and
    // with width and height 0 when the block cannot be made (over `maxPixels`,
    // out of memory). Each call gives the store a new generation. With
    // dib::Rows::kForOverwrite only the rows' padding is zeroed: for a reader
    // that writes every pixel, or drops the pixels when it cannot.
    void Create(int width, int height, int depth, int colorType, int64_t maxPixels,
                dib::Rows rows = dib::Rows::kZeroed);

    // A number no other set of pixels in this process has had: it changes
    // whenever the pixels, palette or alpha are replaced.
    uint64_t Generation() const { return m_generation; }
    void Renew();

    int IsInside(int x, int y) const {
        return x >= 0 && x < imageWidth && y >= 0 && y < imageHeight ? 1 : 0;
    }
    // Pixel operations take x from the left and y from the bottom row. Depths
    // 1 and 4 read and write the pixel's own bits.
    int GetPixelIndex(int x, int y) const;
    int SetPixelIndex(int x, int y, uint8_t index);
    // The colour kept for the pixel, before any alpha is applied.
    int GetStraightRGB(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const;
    // The colour as shown: with an alpha plane, laid over the matte colour.
    int GetPixelRGB(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const;
    int SetPixelRGB(int x, int y, uint8_t red, uint8_t green, uint8_t blue);

    // A missing green array is the red one, a missing blue array the green one.
    int SetPalette(int count, const uint8_t* red, const uint8_t* green, const uint8_t* blue);
    // count entries of three bytes (red, green, blue); count <= 256. Warns
    // when a palette is already attached, and replaces it.
    int SetPalette(int count, const uint8_t* rgb);
    // Takes ownership; null answers 0.
    int SetPalette(std::unique_ptr<CImagePalette> palette);
    CImagePalette* GetPalette() const { return imagePalette.get(); }

    // The alpha plane: one byte a pixel, rows bottom first like the pixels,
    // imageWidth bytes a row. CreateAlpha makes it fully opaque; false when
    // there are no pixels or no memory (the store then has none).
    bool CreateAlpha();
    void DropAlpha() { m_alpha = {}; }
    bool HasAlpha() const { return static_cast<bool>(m_alpha); }
    // An alpha plane, or a transparent index in a picture of indices.
    bool HasAnyAlpha() const { return m_alpha || (imageDepth <= 8 && transparentIndex >= 0); }
    uint8_t* AlphaRow(int y) const {
        return m_alpha.data() + static_cast<size_t>(imageWidth) * static_cast<size_t>(y);
    }
    // Whether some pixel is not fully opaque: an alpha plane that holds a
    // value below 255, or a transparent index in use.
    bool HasTransparency() const;
    // Whether every alpha value is 0 or 255 (true without a plane).
    bool AlphaIsBinary() const;
    // The alpha of a pixel: from the plane, 0 for the transparent index, else 255.
    int GetAlpha(int x, int y) const;
    // For pictures of depth 8 or less: whether each pixel's alpha follows
    // from its index alone, and then the alpha of every index (unused
    // indices opaque).
    bool AlphaByIndex(uint8_t (&alpha)[256]) const;

    int GetWidth() const { return imageWidth; }
    int GetHeight() const { return imageHeight; }
    int GetDepth() const { return imageDepth; }
    int GetColorType() const { return colorType; }
    int GetRowBytes() const { return rowBytes; }
    uint8_t* GetBits() const { return imageBits; }
    int IsValid() const { return imageDib ? 1 : 0; }
    uint8_t* GetDib() const { return imageDib.data(); }

    // Address of the byte that holds pixel (x, y); the caller checks IsInside.
    uint8_t* PixelAddress(int x, int y) const {
        return imageBits + static_cast<size_t>(rowBytes) * static_cast<size_t>(y) +
               (static_cast<size_t>(x) * static_cast<size_t>(imageDepth)) / 8;
    }

    uint8_t* imageBits = nullptr;
    int imageWidth = 0;
    int imageHeight = 0;
    int imageDepth = 0;
    int colorType = 0;
    int rowBytes = 0;
    dib::Block imageDib;
    int transparentIndex = -1;
    std::unique_ptr<CImagePalette> imagePalette;
    // The colour transparent pixels are shown laid over (grey pictures: a
    // grey level, all three the same).
    uint8_t matte[3] = {ze::kBackRed, ze::kBackGreen, ze::kBackBlue};
    // Set by a reader whose file held more than the pixels keep (16-bit
    // samples, colours quantized on load): writing the picture back over
    // that file would lose it.
    bool lossyLoad = false;

private:
    dib::Block m_alpha;
    uint64_t m_generation = 0;
};
