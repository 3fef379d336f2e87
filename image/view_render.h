// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture as the map view shows it at any scale, made from the
// picture's own pixels one exposed block at a time: no full 32-bit copy is
// kept. Above actual size each picture pixel is a square of view pixels;
// below it each view pixel is the mean of the picture pixels it covers,
// taken from a pyramid of halved copies once that is built.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/zoom_scale.h"

class CImage;
class PixelStore;

// Rows of a picture's pixel store, top row first, as 0xAARRGGBB: alpha 0 for
// the transparent index of an indexed picture, 255 for every other pixel;
// pixels of an alpha plane laid over the store's matte colour. With
// `checkerboard`, every pixel that is not opaque is laid over a board of
// light and dark squares of kCheckerCell picture pixels instead, and none
// comes with alpha 0.
class CPictureRows {
public:
    static constexpr int kCheckerCell = 8;
    static constexpr uint32_t kCheckerLight = 0xffffffffu, kCheckerDark = 0xffccccccu;

    explicit CPictureRows(const CImage& image, bool checkerboard = false);
    bool Valid() const { return m_pixels != nullptr; }
    // The store's generation when these rows were made: rows of another
    // generation must not be read.
    uint64_t Generation() const { return m_generation; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // Whether some pixels may come with alpha 0.
    bool Transparent() const { return m_bTransparent && !m_bCheckerboard; }
    bool Checkerboard() const { return m_bCheckerboard; }
    // Pixels x0 .. x0 + n - 1 of row y (from the top); the caller keeps
    // them inside the picture.
    void Row(int y, int x0, int n, uint32_t* out) const;

private:
    // Row y counted from the bottom, before alpha.
    void ColourRow(int py, int x0, int n, uint32_t* out) const;
    // Pixels of alpha 0 in a row from ColourRow laid on the board.
    void CheckerTransparent(int y, int x0, int n, uint32_t* out) const;

    const PixelStore* m_pixels = nullptr;
    uint64_t m_generation = 0;
    uint32_t m_matte = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    uint32_t m_lut[256] = {};
    bool m_bTransparent = false;
    bool m_bCheckerboard = false;
};

// Halved copies of a picture, 24-bit rows top first, from level `First()`
// (the picture halved that many times) down to 1/16. The first level is
// chosen so that all of them together take at most a third of the memory of
// the picture's own pixels. Transparent pixels count as `background`.
// Built a slice at a time (Step), so that a large picture does not hold up
// the window.
class CPicturePyramid {
public:
    static constexpr int kLastLevel = 4;

    CPicturePyramid() = default;
    CPicturePyramid(const CImage& image, uint32_t background, bool checkerboard = false);
    bool Ready() const { return m_bReady; }
    int First() const { return m_nFirst; }
    uint32_t Background() const { return m_background; }
    // The bytes all levels take, and the bytes of the picture's pixels.
    size_t LevelBytes() const;
    // Builds about `rows` rows of the picture into the first level; true once
    // every level is done. The picture must be the one given at the start.
    bool Step(const CImage& image, int rows);

    struct Level {
        int width = 0, height = 0;
        std::vector<uint8_t> bgr;  // width * height * 3, rows top first
    };
    // Level `level` (First() .. kLastLevel), null when it is not kept.
    const Level* GetLevel(int level) const;

private:
    void Halve(const Level& from, Level& to) const;

    int m_nFirst = kLastLevel + 1;
    bool m_bReady = false;
    uint32_t m_background = 0;
    bool m_bCheckerboard = false;  // the rows as CPictureRows gives them with a board
    int m_nNextRow = 0;            // the next row of the first level to build
    std::vector<uint32_t> m_sums;  // the first level's row being summed
    std::vector<Level> m_levels;   // First() .. kLastLevel
};

// Sets n pixels to `value`, in the widest stores the pixel paths may use.
void FillPixels(uint32_t* out, size_t n, uint32_t value);

// Fills the block of view pixels [viewX, viewX + width) x [viewY, viewY +
// height) (view pixels counted from the picture's top-left corner at scale
// `zoom`, all of them over the picture) with opaque 0xFFRRGGBB pixels,
// `stride` pixels a row. Transparent pixels show `background`. Below actual
// size the pyramid is used when it is ready, else the picture's pixels are
// averaged directly.
void RenderView(const CPictureRows& rows, const CPicturePyramid* pyramid, ZoomScale zoom,
                int64_t viewX, int64_t viewY, int width, int height, uint32_t* out, int stride,
                uint32_t background);
