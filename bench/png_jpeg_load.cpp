// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a 4096 x 4096 PNG and JPEG through the codecs, against the bare
// library decoding the same file into a buffer with the same settings.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image/jpeg_codec.h"
#include "image/png_codec.h"

namespace {

constexpr int kSize = 4096;

// The test files, written once: a picture with smooth areas and some noise,
// as an RGB PNG and a colour JPEG.
struct Files {
    std::string png, jpeg;
    Files() {
        const auto dir = std::filesystem::temp_directory_path();
        png = (dir / "ze-bench-load.png").string();
        jpeg = (dir / "ze-bench-load.jpg").string();
        PixelStore picturePixels;
        CPngImpl picture(picturePixels);
        picture.Create(kSize, kSize, 24, -1);
        uint32_t noise = 12345;
        for (int y = 0; y < kSize; ++y) {
            uint8_t* p = picture.PixelAddress(0, y);
            for (int x = 0; x < kSize; ++x, p += 3) {
                noise = noise * 1103515245u + 12345u;
                const int n = static_cast<int>(noise >> 28);
                p[0] = static_cast<uint8_t>((x / 16 + n) & 255);
                p[1] = static_cast<uint8_t>((y / 16 + (x ^ y) / 64) & 255);
                p[2] = static_cast<uint8_t>(((x + y) / 32 + n) & 255);
            }
        }
        picture.Write(png);
        CJpegImpl jpegWriter(picture.Pixels());
        jpegWriter.Write(jpeg);
    }
    ~Files() {
        std::error_code ec;
        std::filesystem::remove(png, ec);
        std::filesystem::remove(jpeg, ec);
    }
    Files(const Files&) = delete;
    Files& operator=(const Files&) = delete;
};

const Files& TestFiles() {
    static const Files files;
    return files;
}

void OurPng(benchmark::State& state) {
    const std::string& path = TestFiles().png;
    for (auto _ : state) {
        PixelStore implPixels;
        CPngImpl impl(implPixels);
        if (!impl.Read(path)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(impl.GetBits());
    }
}

// libpng alone: the same transforms our reader asks for, rows into one buffer.
bool BarePngRead(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::unique_ptr<uint8_t[]> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels = std::make_unique_for_overwrite<uint8_t[]>(rowBytes * height);
    rows.resize(height);
    for (png_uint_32 r = 0; r < height; ++r) rows[r] = pixels.get() + rowBytes * r;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    benchmark::DoNotOptimize(pixels.get());
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return true;
}

void BarePng(benchmark::State& state) {
    const std::string& path = TestFiles().png;
    for (auto _ : state)
        if (!BarePngRead(path)) state.SkipWithError("read failed");
}

void OurJpeg(benchmark::State& state) {
    const std::string& path = TestFiles().jpeg;
    for (auto _ : state) {
        PixelStore implPixels;
        CJpegImpl impl(implPixels);
        if (!impl.Read(path)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(impl.GetBits());
    }
}

// libjpeg alone, quantizing to 128 colours with the default two-pass
// quantizer, rows into one buffer.
bool BareJpegRead(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 128;
    jpeg_start_decompress(&cinfo);
    const size_t width = cinfo.output_width;
    auto pixels = std::make_unique_for_overwrite<uint8_t[]>(width * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.get() + width * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels.get());
    std::fclose(f);
    return true;
}

void BareJpeg(benchmark::State& state) {
    const std::string& path = TestFiles().jpeg;
    for (auto _ : state)
        if (!BareJpegRead(path)) state.SkipWithError("read failed");
}

}  // namespace

BENCHMARK(BarePng)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(OurPng)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(BareJpeg)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(OurJpeg)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
