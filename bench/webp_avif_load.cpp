// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a 4000 x 3000 WebP (lossy and lossless) and AVIF through our
// readers, against the library alone, in turn. Both sides do what a program
// opening a picture does, once a call: read the file into memory (ours by
// its size where the system knows it, the library's side by its size), parse
// it, decode it on one thread into one freshly allocated buffer of blue,
// green, red rows padded to four bytes (ours the picture's block, bottom
// row first; the library's side top row first, as it writes them), drop the
// decoder and the file's bytes, and keep the rows until the caller lets them
// go. Neither clears its rows before the decoder writes them. Timed by the
// thread's processor time, which the other work of a shared machine leaves
// out.
#include <benchmark/benchmark.h>
#include <webp/decode.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/in_turn.h"
#include "image/avif_codec.h"
#include "image/avif_library.h"
#include "image/webp_codec.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// The test files, written once by our writers from smooth bands with noise.
struct Files {
    std::string lossy, lossless, avif;
    Files() {
        const auto dir = std::filesystem::temp_directory_path();
        lossy = (dir / "ze-bench-load.webp").string();
        lossless = (dir / "ze-bench-load-lossless.webp").string();
        avif = (dir / "ze-bench-load.avif").string();
        PixelStore pixels;
        CWebpImpl webp(pixels);
        webp.Create(kWidth, kHeight, 24, -1);
        uint32_t noise = 12345;
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* p = webp.PixelAddress(0, y);
            for (int x = 0; x < kWidth; ++x, p += 3) {
                noise = noise * 1103515245u + 12345u;
                const int n = static_cast<int>(noise >> 28);
                p[0] = static_cast<uint8_t>((x / 16 + n) & 255);
                p[1] = static_cast<uint8_t>((y / 16 + (x ^ y) / 64) & 255);
                p[2] = static_cast<uint8_t>(((x + y) / 32) & 255);
            }
        }
        webp.Write(lossy);
        webp.saveOptions.lossless = true;
        webp.Write(lossless);
        CAvifImpl(pixels).Write(avif);
    }
    ~Files() {
        std::error_code ec;
        for (const std::string* f : {&lossy, &lossless, &avif}) std::filesystem::remove(*f, ec);
    }
    Files(const Files&) = delete;
    Files& operator=(const Files&) = delete;
};

const Files& TestFiles() {
    static const Files files;
    return files;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    bytes.resize(std::filesystem::file_size(path));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    return bytes;
}

template <class Reader>
bool OurRead(const std::string& path) {
    PixelStore pixels;
    Reader reader(pixels);
    const int read = reader.Read(path);
    benchmark::DoNotOptimize(pixels.imageBits);
    return read == 1;
}

// The library's picture: the rows a program opening the file keeps, which
// outlive the file's bytes and the decoder, as our picture store does.
using Rows = std::unique_ptr<uint8_t[]>;

Rows LibwebpDecode(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadAll(path);
    int width = 0, height = 0;
    if (!WebPGetInfo(bytes.data(), bytes.size(), &width, &height)) return nullptr;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    auto pixels = std::make_unique_for_overwrite<uint8_t[]>(stride * height);
    if (!WebPDecodeBGRInto(bytes.data(), bytes.size(), pixels.get(), stride * height,
                           static_cast<int>(stride)))
        return nullptr;
    return pixels;
}

Rows LibavifDecode(const std::string& path) {
    const ze::AvifLibrary* avif = ze::Avif();
    if (!avif) return nullptr;
    const std::vector<uint8_t> bytes = ReadAll(path);
    avifDecoder* decoder = avif->decoderCreate();
    decoder->maxThreads = 1;
    Rows pixels;
    if (avif->decoderSetIOMemory(decoder, bytes.data(), bytes.size()) == AVIF_RESULT_OK &&
        avif->decoderParse(decoder) == AVIF_RESULT_OK &&
        avif->decoderNextImage(decoder) == AVIF_RESULT_OK) {
        avifRGBImage rgb;
        avif->rgbImageSetDefaults(&rgb, decoder->image);
        rgb.depth = 8;
        rgb.format = AVIF_RGB_FORMAT_BGR;
        rgb.rowBytes = (rgb.width * 3 + 3) & ~3u;
        pixels = std::make_unique_for_overwrite<uint8_t[]>(size_t{rgb.rowBytes} * rgb.height);
        rgb.pixels = pixels.get();
        if (avif->imageYUVToRGB(decoder->image, &rgb) != AVIF_RESULT_OK) pixels.reset();
    }
    avif->decoderDestroy(decoder);
    return pixels;
}

template <Rows (*Decode)(const std::string&)>
bool LibraryRead(const std::string& path) {
    const Rows pixels = Decode(path);
    benchmark::DoNotOptimize(pixels.get());
    return pixels != nullptr;
}

void BM_WebpLoadAgainstLibwebp(benchmark::State& state) {
    const std::string& path = state.range(0) ? TestFiles().lossless : TestFiles().lossy;
    InTurn(state,
           {{"ours", [&] { return OurRead<CWebpImpl>(path); }},
            {"libwebp", [&] { return LibraryRead<LibwebpDecode>(path); }}},
           Clock::kThread);
}

void BM_AvifLoadAgainstLibavif(benchmark::State& state) {
    const std::string& path = TestFiles().avif;
    InTurn(state,
           {{"ours", [&] { return OurRead<CAvifImpl>(path); }},
            {"libavif", [&] { return LibraryRead<LibavifDecode>(path); }}},
           Clock::kThread);
}

}  // namespace

BENCHMARK(BM_WebpLoadAgainstLibwebp)
    ->ArgName("lossless")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);
BENCHMARK(BM_AvifLoadAgainstLibavif)->Unit(benchmark::kMillisecond)->Iterations(15);
