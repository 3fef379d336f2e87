// SPDX-License-Identifier: GPL-3.0-or-later
// GIF decode and encode of a 4096 x 4096 picture of photo-like content with
// 256 colours: our codec and giflib side by side in the same run.

#include "image/gif_codec.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 4096;

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// Smooth shapes and gradients with sensor-like noise, reduced to a 3-3-2
// colour cube: neighbouring pixels often differ, as in a dithered photo.
struct Picture {
    std::vector<uint8_t> pixels;  // top row first
    std::vector<GifColorType> colors;
    Picture() : pixels(static_cast<size_t>(kSize) * kSize), colors(256) {
        for (int i = 0; i < 256; ++i)
            colors[i] = {static_cast<GifByteType>((i >> 5) * 255 / 7),
                         static_cast<GifByteType>(((i >> 2) & 7) * 255 / 7),
                         static_cast<GifByteType>((i & 3) * 255 / 3)};
        uint32_t s = 12345;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const double u = x / double(kSize), v = y / double(kSize);
                s = s * 1664525u + 1013904223u;
                const double noise = ((s >> 16) & 255) / 255.0 - 0.5;
                auto level = [&](double f, int levels) {
                    const double t = std::clamp(f + noise * 0.12, 0.0, 0.999);
                    return static_cast<int>(t * levels);
                };
                const double r = 0.5 + 0.4 * std::sin(6 * u + 2 * std::sin(5 * v));
                const double g = 0.5 + 0.4 * std::cos(4 * v + 3 * u * v);
                const double b = 0.5 + 0.4 * std::sin(9 * (u - v)) * std::cos(3 * u);
                pixels[static_cast<size_t>(y) * kSize + x] =
                    static_cast<uint8_t>((level(r, 8) << 5) | (level(g, 8) << 2) | level(b, 4));
            }
    }
};

const Picture& ThePicture() {
    static const Picture picture;
    return picture;
}

bool GiflibWrite(const std::string& path, const Picture& p) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif) return false;
    ColorMapObject* map = GifMakeMapObject(256, p.colors.data());
    bool ok = EGifPutScreenDesc(gif, kSize, kSize, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, kSize, kSize, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < kSize; ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(&p.pixels[static_cast<size_t>(y) * kSize]),
                         kSize) == GIF_OK;
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

// The giflib-written file that both decoders read.
const std::string& SourceFile() {
    static const std::string path = [] {
        const std::string p = TempPath("ze_bench_photo.gif");
        GiflibWrite(p, ThePicture());
        return p;
    }();
    return path;
}

void BM_DecodeOurs(benchmark::State& state) {
    const std::string& path = SourceFile();
    for (auto _ : state) {
        PixelStore gifPixels;
        CGifImpl gif(gifPixels);
        if (gif.Read(path) != 1 || gif.GetWidth() != kSize) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(gif.GetBits());
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

void BM_DecodeGiflib(benchmark::State& state) {
    const std::string& path = SourceFile();
    for (auto _ : state) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) state.SkipWithError("giflib read failed");
        if (gif) {
            benchmark::DoNotOptimize(gif->SavedImages);
            DGifCloseFile(gif, &error);
        }
    }
}

void BM_EncodeOurs(benchmark::State& state) {
    const Picture& p = ThePicture();
    PixelStore gifPixels;
    CGifImpl gif(gifPixels);
    gif.Create(kSize, kSize, 8, -1);
    for (int y = 0; y < kSize; ++y)
        std::copy_n(&p.pixels[static_cast<size_t>(y) * kSize], kSize,
                    gif.GetBits() + static_cast<size_t>(gif.GetRowBytes()) * (kSize - 1 - y));
    std::vector<uint8_t> rgb;
    for (const auto& c : p.colors) rgb.insert(rgb.end(), {c.Red, c.Green, c.Blue});
    gif.SetPalette(256, rgb.data());
    const std::string path = TempPath("ze_bench_ours.gif");
    for (auto _ : state)
        if (gif.Write(path) != 1) state.SkipWithError("write failed");
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
}

void BM_EncodeGiflib(benchmark::State& state) {
    const Picture& p = ThePicture();
    const std::string path = TempPath("ze_bench_giflib.gif");
    for (auto _ : state)
        if (!GiflibWrite(path, p)) state.SkipWithError("giflib write failed");
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
}

BENCHMARK(BM_DecodeOurs)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DecodeGiflib)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EncodeOurs)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EncodeGiflib)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
