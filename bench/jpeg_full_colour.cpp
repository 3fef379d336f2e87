// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a 4000 x 3000 colour JPEG in full colour (CImage with fullColour,
// as 表示 > フルカラー does), against libjpeg-turbo alone decoding the same
// file into one buffer of blue, green, red rows with the same settings; and
// the default 128-colour reading beside them.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "image/image.h"
#include "image/jpeg_codec.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// The test file, written once at quality 90: smooth areas with some noise,
// as a photo has.
struct File {
    std::string path;
    File() {
        path = (std::filesystem::temp_directory_path() / "ze-bench-full-colour.jpg").string();
        PixelStore picturePixels;
        CJpegImpl picture(picturePixels);
        picture.Create(kWidth, kHeight, 24, -1);
        uint32_t noise = 12345;
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* p = picture.PixelAddress(0, y);
            for (int x = 0; x < kWidth; ++x, p += 3) {
                noise = noise * 1103515245u + 12345u;
                const int n = static_cast<int>(noise >> 28);
                p[0] = static_cast<uint8_t>((x / 16 + n) & 255);
                p[1] = static_cast<uint8_t>((y / 16 + (x ^ y) / 64) & 255);
                p[2] = static_cast<uint8_t>(((x + y) / 32 + n) & 255);
            }
        }
        picture.jpegQuality = 90;
        picture.Write(path);
    }
    ~File() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
};

const std::string& TestFile() {
    static const File file;
    return file.path;
}

void Open(benchmark::State& state, bool fullColour) {
    const std::string& path = TestFile();
    for (auto _ : state) {
        CImage image;
        image.fullColour = fullColour;
        if (!image.Load(path, kImageJpeg)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(image.GetBits());
    }
}

void OurFullColour(benchmark::State& state) {
    Open(state, true);
}

void OurQuantized(benchmark::State& state) {
    Open(state, false);
}

// libjpeg-turbo alone: every row into one buffer, blue, green, red.
bool BareRead(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t{cinfo.output_width} * 3;
    auto pixels = std::make_unique_for_overwrite<uint8_t[]>(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.get() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels.get());
    std::fclose(f);
    return true;
}

void BareLibjpeg(benchmark::State& state) {
    const std::string& path = TestFile();
    for (auto _ : state)
        if (!BareRead(path)) state.SkipWithError("read failed");
}

}  // namespace

BENCHMARK(BareLibjpeg)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(OurFullColour)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(OurQuantized)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
