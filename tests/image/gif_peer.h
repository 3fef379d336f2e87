#pragma once
// giflib as an independent peer for the GIF codec tests: writes GIFs our
// reader must read, and reads the GIFs our writer makes.

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gifpeer {

using Rgb = std::array<uint8_t, 3>;

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // top row first, one index a pixel
    std::vector<Rgb> colors;      // a power of two 2..256 entries, or empty
    bool localTable = false;      // colours as the image's local table
    bool interlaced = false;
    int transparent = -1;  // written in a graphic control extension
};

struct File {
    bool gif89 = false;
    std::vector<Rgb> globalColors;  // empty: no global table
    std::vector<Frame> frames;
};

struct Decoded {
    bool ok = false;
    std::string version;  // "GIF87a" or "GIF89a"
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // first image, top row first
    std::vector<Rgb> colors;      // the first image's table (local or global)
    int transparent = -1;
};

namespace detail {
struct MapFree {
    void operator()(ColorMapObject* m) const { GifFreeMapObject(m); }
};
using MapPtr = std::unique_ptr<ColorMapObject, MapFree>;

inline MapPtr MakeMap(const std::vector<Rgb>& colors) {
    if (colors.empty()) return nullptr;
    std::vector<GifColorType> c(colors.size());
    for (size_t i = 0; i < colors.size(); ++i) c[i] = {colors[i][0], colors[i][1], colors[i][2]};
    return MapPtr(GifMakeMapObject(static_cast<int>(c.size()), c.data()));
}
}  // namespace detail

// Writes with giflib; false on any giflib failure.
inline bool Write(const std::string& path, const File& file) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif) return false;
    EGifSetGifVersion(gif, file.gif89);
    bool ok = true;
    detail::MapPtr global = detail::MakeMap(file.globalColors);
    const Frame& first = file.frames.front();
    ok = ok && EGifPutScreenDesc(gif, first.width, first.height, 8, 0, global.get()) == GIF_OK;
    for (const Frame& f : file.frames) {
        if (f.transparent >= 0) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
            gcb.TransparentColor = f.transparent;
            GifByteType ext[4];
            const size_t n = EGifGCBToExtension(&gcb, ext);
            ok = ok &&
                 EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext) == GIF_OK;
        }
        detail::MapPtr local = f.localTable ? detail::MakeMap(f.colors) : nullptr;
        ok = ok &&
             EGifPutImageDesc(gif, 0, 0, f.width, f.height, f.interlaced, local.get()) == GIF_OK;
        std::vector<int> order;
        if (f.interlaced) {
            const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
            for (int p = 0; p < 4; ++p)
                for (int r = starts[p]; r < f.height; r += steps[p]) order.push_back(r);
        } else {
            for (int r = 0; r < f.height; ++r) order.push_back(r);
        }
        std::vector<GifPixelType> line(static_cast<size_t>(f.width));
        for (int r : order) {
            std::copy_n(f.pixels.begin() + static_cast<ptrdiff_t>(r) * f.width, f.width,
                        line.begin());
            ok = ok && EGifPutLine(gif, line.data(), f.width) == GIF_OK;
        }
    }
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

// Reads the first image with giflib.
inline Decoded Read(const std::string& path) {
    Decoded d;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return d;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& img = gif->SavedImages[0];
        d.ok = true;
        d.version = DGifGetGifVersion(gif);
        d.width = img.ImageDesc.Width;
        d.height = img.ImageDesc.Height;
        d.pixels.assign(img.RasterBits, img.RasterBits + static_cast<size_t>(d.width) * d.height);
        const ColorMapObject* map =
            img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
        if (map)
            for (int i = 0; i < map->ColorCount; ++i)
                d.colors.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) d.transparent = gcb.TransparentColor;
    }
    DGifCloseFile(gif, &error);
    return d;
}

// Pixels with some structure and some noise, values below `colors`.
inline std::vector<uint8_t> MakePixels(int width, int height, int colors, uint32_t seed) {
    std::vector<uint8_t> p(static_cast<size_t>(width) * height);
    uint32_t s = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            s = s * 1664525u + 1013904223u;
            const int noise = static_cast<int>((s >> 24) % 5);
            p[static_cast<size_t>(y) * width + x] =
                static_cast<uint8_t>(((x / 3 + y / 5) + noise * (seed % 3)) % colors);
        }
    return p;
}

inline std::vector<Rgb> MakeColors(int count, uint32_t seed) {
    std::vector<Rgb> c(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        c[i] = {static_cast<uint8_t>(i * 7 + seed), static_cast<uint8_t>(i * 13 + 2 * seed),
                static_cast<uint8_t>(254 - i)};
    return c;
}

}  // namespace gifpeer
