// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// giflib as an independent peer for the GIF tests: it writes files our reader
// must read and reads the files our writer makes.

#include <gif_lib.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace gifpeer {

using Rgb = std::array<uint8_t, 3>;

struct Frame {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;  // top row first
    std::vector<Rgb> local;       // a local colour table when not empty
    bool interlaced = false;
    int transparent = -1;  // written in a graphic control extension
};

struct File {
    bool gif89 = false;
    std::vector<Rgb> colors;  // the global table; empty: none
    std::vector<Frame> frames;
};

inline ColorMapObject* Map(const std::vector<Rgb>& colors) {
    std::vector<GifColorType> c;
    for (const Rgb& e : colors) c.push_back({e[0], e[1], e[2]});
    return c.empty() ? nullptr : GifMakeMapObject(static_cast<int>(c.size()), c.data());
}

inline bool Write(const std::string& path, const File& file) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif) return false;
    EGifSetGifVersion(gif, file.gif89);
    ColorMapObject* global = Map(file.colors);
    bool ok =
        EGifPutScreenDesc(gif, file.frames[0].width, file.frames[0].height, 8, 0, global) == GIF_OK;
    GifFreeMapObject(global);
    for (const Frame& f : file.frames) {
        if (f.transparent >= 0) {
            GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, f.transparent};
            GifByteType ext[4];
            EGifGCBToExtension(&gcb, ext);
            ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK;
        }
        ColorMapObject* local = Map(f.local);
        ok = ok && EGifPutImageDesc(gif, 0, 0, f.width, f.height, f.interlaced, local) == GIF_OK;
        GifFreeMapObject(local);
        // Interlaced rows go in pass order: every 8th from 0, from 4, every
        // 4th from 2, every 2nd from 1.
        const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
        for (int p = 0; p < (f.interlaced ? 4 : 1); ++p)
            for (int r = f.interlaced ? starts[p] : 0; r < f.height;
                 r += f.interlaced ? steps[p] : 1)
                ok = ok && EGifPutLine(gif, const_cast<uint8_t*>(&f.pixels[size_t(r) * f.width]),
                                       f.width) == GIF_OK;
    }
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

struct Decoded {
    std::vector<uint8_t> pixels;  // first image, top row first
    std::vector<Rgb> colors;      // its table (local or global)
    int transparent = -1;
};

inline Decoded Read(const std::string& path) {
    Decoded d;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return d;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& img = gif->SavedImages[0];
        d.pixels.assign(img.RasterBits,
                        img.RasterBits + size_t(img.ImageDesc.Width) * img.ImageDesc.Height);
        const ColorMapObject* map =
            img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
        for (int i = 0; map && i < map->ColorCount; ++i)
            d.colors.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) d.transparent = gcb.TransparentColor;
    }
    DGifCloseFile(gif, &error);
    return d;
}

// Diagonal bands below `colors`; `noise` > 0 mixes in that much randomness.
inline std::vector<uint8_t> MakePixels(int width, int height, int colors, int noise = 2) {
    std::vector<uint8_t> p(size_t(width) * height);
    uint32_t s = 12345;
    for (size_t i = 0; i < p.size(); ++i) {
        s = s * 1103515245u + 12345u;
        const int x = int(i % width), y = int(i / width);
        p[i] = uint8_t((x / 3 + y / 5 + (noise ? int(s >> 16) % (noise + 1) : 0)) % colors);
    }
    return p;
}

inline std::vector<Rgb> MakeColors(int count, int seed) {
    std::vector<Rgb> c;
    for (int i = 0; i < count; ++i)
        c.push_back({uint8_t(i * 7 + seed), uint8_t(i * 13), uint8_t(254 - i)});
    return c;
}

}  // namespace gifpeer
