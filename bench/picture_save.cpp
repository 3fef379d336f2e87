// SPDX-License-Identifier: GPL-3.0-or-later
// Saving pictures, each save in turn with its peers in the same iteration so
// that all meet the same cache and machine load, timed by the wall clock (a
// save waits for the disk, which processor time leaves out):
// - BMP 8000 x 8000, 24-bit: QImage::save through QSaveFile, which syncs the
//   file's data before its rename as our safe write does, given the image
//   Qt reads from our file; and one fwrite of the same bytes, synced and
//   renamed the same way;
// - PNG and GIF 4096 x 3072: the same fwrite of the same bytes;
// - JPEG 4096 x 3072: libjpeg-turbo encoding the same pixels at the same
//   quality into the same null stream (the files must come out identical),
//   for a 24-bit picture given top-down RGB rows or the picture's own rows,
//   and for an 8-bit picture of 128 colours given its rows expanded to RGB.
// Each case reports the median time of every side, the ratio of our median
// to each peer's and the ratio of the fastest runs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QImage>
#include <QImageReader>
#include <QSaveFile>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "image/bmp_codec.h"
#include "image/gif_codec.h"
#include "image/jpeg_codec.h"
#include "image/png_codec.h"
#include "in_turn.h"
#include "io/file_io.h"
#include "simd_levels.h"

namespace {

constexpr int kWidth = 4096, kHeight = 3072;

std::string TempPath(const char* suffix) {
    return (std::filesystem::temp_directory_path() /
            ("ze-bench-save-" + std::to_string(::getpid()) + suffix))
        .string();
}

// Smooth areas with some noise, as the picture (bottom row first): BGR
// triples at depth 24, or at depth 8 indices into 128 colours. `rgb` gets
// the same colours as top-down RGB rows.
template <class Impl>
void Fill(Impl& picture, int width, int height, int depth, std::vector<uint8_t>* rgb) {
    picture.Create(width, height, depth, -1);
    std::vector<uint8_t> palette(3 * 128);
    for (int i = 0; i < 128; ++i) {
        palette[3 * i] = static_cast<uint8_t>(i * 2);
        palette[3 * i + 1] = static_cast<uint8_t>(255 - i);
        palette[3 * i + 2] = static_cast<uint8_t>((i * 37) & 255);
    }
    if (depth == 8) picture.SetPalette(128, palette.data());
    if (rgb) rgb->resize(size_t{3} * width * height);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = picture.PixelAddress(0, height - 1 - y);
        uint8_t* q = rgb ? rgb->data() + size_t{3} * width * y : nullptr;
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = static_cast<int>(noise >> 28);
            uint8_t c[3] = {static_cast<uint8_t>((x / 16 + n) & 255),
                            static_cast<uint8_t>((y / 16 + (x ^ y) / 64) & 255),
                            static_cast<uint8_t>(((x + y) / 32 + n) & 255)};
            if (depth == 8) {
                const int index = ((x / 32 + y / 32) * 5 + (n & 3)) & 127;
                *p++ = static_cast<uint8_t>(index);
                std::copy_n(&palette[3 * index], 3, c);
            } else {
                *p++ = c[2], *p++ = c[1], *p++ = c[0];
            }
            if (q) *q++ = c[0], *q++ = c[1], *q++ = c[2];
        }
    }
}

// libjpeg-turbo as an application would call it: all rows in one call.
bool PeerJpeg(std::FILE* f, const std::vector<JSAMPROW>& rows, J_COLOR_SPACE space, int quality) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, const_cast<JSAMPROW*>(rows.data()) + cinfo.next_scanline,
                             cinfo.image_height - cinfo.next_scanline);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fflush(f) == 0;
}

// Row pointers, top row first, into rows of `stride` bytes that run from
// `top` upwards (stride > 0) or downwards (stride < 0) in memory.
std::vector<JSAMPROW> RowPointers(uint8_t* top, std::ptrdiff_t stride) {
    std::vector<JSAMPROW> rows(kHeight);
    for (int y = 0; y < kHeight; ++y) rows[y] = top + stride * y;
    return rows;
}

std::string Slurp(const std::string& path) {
    std::vector<unsigned char> bytes;
    ze::ReadWholeFile(path, bytes);
    return std::string(bytes.begin(), bytes.end());
}

// The plainest safe save: one fwrite into a file beside the target, its data
// synced, then renamed over the target.
bool FwriteSynced(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ::fdatasync(::fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok && std::rename(temp.c_str(), path.c_str()) == 0;
}

// The encoding alone, both into the same null stream; then once into files
// that must be the same bytes. The 24-bit peer reads top-down RGB rows, or
// the picture's own rows (bottom row first in memory, BGR), which shows what
// that order costs libjpeg-turbo itself; the 8-bit peer reads the picture's
// colours as top-down RGB rows, expanded beforehand.
void JpegSaveAgainstLibjpegTurbo(benchmark::State& state, int depth, bool sameRows) {
    PixelStore picturePixels;
    CJpegImpl picture(picturePixels);
    std::vector<uint8_t> rgb;
    Fill(picture, kWidth, kHeight, depth, &rgb);
    const std::vector<JSAMPROW> rows = sameRows
                                           ? RowPointers(picture.PixelAddress(0, kHeight - 1),
                                                         -std::ptrdiff_t{picture.GetRowBytes()})
                                           : RowPointers(rgb.data(), std::ptrdiff_t{3} * kWidth);
    const J_COLOR_SPACE space = sameRows ? JCS_EXT_BGR : JCS_RGB;
    if (depth == 8) picture.jpegQuality = 30;
    ze::FilePtr null = ze::OpenFile("/dev/null", "wb");
    if (!null) return state.SkipWithError("no /dev/null");
    // Into the null stream neither side waits for anything: timed by the
    // processor time of this thread, which other work on the machine leaves out.
    InTurn(state,
           {{"ours", [&] { return picture.WriteStream(null.get()) == 1; }},
            {"libjpeg", [&] { return PeerJpeg(null.get(), rows, space, picture.jpegQuality); }}},
           Clock::kThread);
    const std::string ours = TempPath("-ours.jpg"), peer = TempPath("-peer.jpg");
    ze::FilePtr peerFile = ze::OpenFile(peer, "wb");
    const bool written = picture.Write(ours) == 1 && peerFile &&
                         PeerJpeg(peerFile.get(), rows, space, picture.jpegQuality);
    peerFile.reset();
    if (!written || Slurp(ours) != Slurp(peer)) state.SkipWithError("the files differ");
    std::filesystem::remove(ours);
    std::filesystem::remove(peer);
}
BENCHMARK_CAPTURE(JpegSaveAgainstLibjpegTurbo, top_down_rgb, 24, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(15);
BENCHMARK_CAPTURE(JpegSaveAgainstLibjpegTurbo, same_rows, 24, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(15);
// The 8-bit picture goes in as the encoder's planes, made from its palette
// by one path; it runs at every level all the same, so that the table names
// what each processor takes.
void PaletteQ30(benchmark::State& state) {
    JpegSaveAgainstLibjpegTurbo(state, 8, false);
}
const bool kPaletteQ30Set = [] {
    for (auto* c : AtEverySimdLevel("JpegSaveAgainstLibjpegTurbo/palette_q30", PaletteQ30))
        c->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);
    return true;
}();

// 8000 x 8000 at 24 bits: 192 MB, written through our safe write, through
// QSaveFile by QImage (given the RGB32 image Qt's own reader makes of our
// file, as a Qt program saving what it opened would be) and by one fwrite of
// our file's bytes, synced and renamed.
void BM_BmpSave8000AgainstQSaveFile(benchmark::State& state) {
    constexpr int kSide = 8000;
    PixelStore picturePixels;
    CBmpImpl picture(picturePixels);
    Fill(picture, kSide, kSide, 24, nullptr);
    const std::string ours = TempPath("-ours.bmp"), qt = TempPath("-qt.bmp"),
                      plain = TempPath("-fwrite.bmp");
    if (picture.Write(ours) != 1) return state.SkipWithError("our save failed");
    const std::string bytes = Slurp(ours);
    QImageReader::setAllocationLimit(1024);  // MB: the picture is 192 MB, Qt's default 128
    const QImage image(QString::fromStdString(ours), "BMP");
    if (image.format() != QImage::Format_RGB32) return state.SkipWithError("not read as RGB32");
    InTurn(state, {{"ours", [&] { return picture.Write(ours) == 1; }},
                   {"qsavefile",
                    [&] {
                        QSaveFile file(QString::fromStdString(qt));
                        return file.open(QIODevice::WriteOnly) && image.save(&file, "BMP") &&
                               file.commit();
                    }},
                   {"fwrite", [&] { return FwriteSynced(plain, bytes); }}});
    if (std::filesystem::file_size(qt) != bytes.size()) state.SkipWithError("sizes differ");
    for (const auto& path : {ours, qt, plain}) std::filesystem::remove(path);
}
BENCHMARK(BM_BmpSave8000AgainstQSaveFile)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(7);

// PNG and GIF: our save of a 4096 x 3072 picture against one fwrite of the
// bytes it wrote, which shows what the encoding and the safe write add.
template <class Impl>
void SaveAgainstFwrite(benchmark::State& state, int depth, const char* suffix) {
    PixelStore picturePixels;
    Impl picture(picturePixels);
    Fill(picture, kWidth, kHeight, depth, nullptr);
    const std::string ours = TempPath(suffix), plain = TempPath("-fwrite");
    if (picture.Write(ours) != 1) return state.SkipWithError("our save failed");
    const std::string bytes = Slurp(ours);
    InTurn(state, {{"ours", [&] { return picture.Write(ours) == 1; }},
                   {"fwrite", [&] { return FwriteSynced(plain, bytes); }}});
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
    std::filesystem::remove(ours);
    std::filesystem::remove(plain);
}
void PngSaveAgainstFwrite(benchmark::State& state) {
    SaveAgainstFwrite<CPngImpl>(state, 24, "-ours.png");
}
void GifSaveAgainstFwrite(benchmark::State& state) {
    SaveAgainstFwrite<CGifImpl>(state, 8, "-ours.gif");
}
BENCHMARK(PngSaveAgainstFwrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);
BENCHMARK(GifSaveAgainstFwrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);

}  // namespace
