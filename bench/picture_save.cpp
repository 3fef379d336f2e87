// Saving a 4096 x 3072 24-bit picture as JPEG and as BMP, each in turn with
// its peer so that both meet the same cache and machine load:
// - JPEG: libjpeg-turbo encoding the same pixels, held as top-down RGB rows,
//   at the same quality (the files must come out identical);
// - BMP: one fwrite of the finished file's bytes through the same safe
//   write (ze::WriteFileSafely).
// Each case reports the processor time of ours and of the peer and their
// ratio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "image/bmp_codec.h"
#include "image/jpeg_codec.h"
#include "io/file_io.h"
#include "io/safe_write.h"

namespace {

constexpr int kWidth = 4096, kHeight = 3072;

std::string TempPath(const char* suffix) {
    return (std::filesystem::temp_directory_path() /
            ("ze-bench-save-" + std::to_string(::getpid()) + suffix))
        .string();
}

// Smooth areas with some noise, as the picture (bottom row first, BGR) and
// as top-down RGB rows for the JPEG peer.
template <class Impl>
void Fill(Impl& picture, std::vector<uint8_t>* rgb) {
    picture.Create(kWidth, kHeight, 24, -1);
    if (rgb) rgb->resize(size_t{3} * kWidth * kHeight);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* p = picture.PixelAddress(0, kHeight - 1 - y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            noise = noise * 1103515245u + 12345u;
            const int n = static_cast<int>(noise >> 28);
            p[2] = static_cast<uint8_t>((x / 16 + n) & 255);
            p[1] = static_cast<uint8_t>((y / 16 + (x ^ y) / 64) & 255);
            p[0] = static_cast<uint8_t>(((x + y) / 32 + n) & 255);
            if (rgb) {
                uint8_t* q = rgb->data() + 3 * (size_t{kWidth} * y + x);
                q[0] = p[2], q[1] = p[1], q[2] = p[0];
            }
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

// The processor time of the calling thread (user and system), in seconds:
// unlike the wall clock it leaves out the time the machine gives to other
// work.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs ours and the peer in turn and reports both and the ratio.
template <class Ours, class Peer>
void InTurn(benchmark::State& state, Ours&& ours, Peer&& peer) {
    double oursTime = 0, peerTime = 0;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        if (!ours()) return state.SkipWithError("our save failed");
        const double t1 = ThreadSeconds();
        if (!peer()) return state.SkipWithError("the peer's save failed");
        const double t2 = ThreadSeconds();
        oursTime += t1 - t0;
        peerTime += t2 - t1;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["ours_cpu_ms"] = oursTime * 1000 / n;
    state.counters["peer_cpu_ms"] = peerTime * 1000 / n;
    state.counters["ratio"] = peerTime > 0 ? oursTime / peerTime : 0;
}

// The encoding alone, both into the same null stream (so that the disk's
// moods do not count); then once into files that must be the same bytes.
// The peer reads top-down RGB rows; the second case gives it the picture's
// own rows (bottom row first in memory, BGR), which shows what that order
// costs libjpeg-turbo itself.
void JpegSaveAgainstLibjpegTurbo(benchmark::State& state, bool sameRows) {
    CJpegImpl picture;
    std::vector<uint8_t> rgb;
    Fill(picture, &rgb);
    const std::vector<JSAMPROW> rows = sameRows
                                           ? RowPointers(picture.PixelAddress(0, kHeight - 1),
                                                         -std::ptrdiff_t{picture.GetRowBytes()})
                                           : RowPointers(rgb.data(), std::ptrdiff_t{3} * kWidth);
    const J_COLOR_SPACE space = sameRows ? JCS_EXT_BGR : JCS_RGB;
    ze::FilePtr null = ze::OpenFile("/dev/null", "wb");
    if (!null) return state.SkipWithError("no /dev/null");
    InTurn(
        state, [&] { return picture.WriteStream(null.get()) == 1; },
        [&] { return PeerJpeg(null.get(), rows, space, picture.jpegQuality); });
    const std::string ours = TempPath("-ours.jpg"), peer = TempPath("-peer.jpg");
    ze::FilePtr peerFile = ze::OpenFile(peer, "wb");
    const bool written = picture.Write(ours) == 1 && peerFile &&
                         PeerJpeg(peerFile.get(), rows, space, picture.jpegQuality);
    peerFile.reset();
    if (!written || Slurp(ours) != Slurp(peer)) state.SkipWithError("the files differ");
    std::filesystem::remove(ours);
    std::filesystem::remove(peer);
}
BENCHMARK_CAPTURE(JpegSaveAgainstLibjpegTurbo, top_down_rgb, false)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);
BENCHMARK_CAPTURE(JpegSaveAgainstLibjpegTurbo, same_rows, true)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

void BM_BmpSaveAgainstOneWrite(benchmark::State& state) {
    CBmpImpl picture;
    Fill(picture, nullptr);
    const std::string ours = TempPath("-ours.bmp"), peer = TempPath("-peer.bmp");
    if (picture.Write(ours) != 1) return state.SkipWithError("our save failed");
    const std::string bytes = Slurp(ours);
    InTurn(
        state, [&] { return picture.Write(ours) == 1; },
        [&] {
            return ze::WriteFileSafely(peer, [&](std::FILE* f) {
                       return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
                   }) == ze::WriteError::kNone;
        });
    std::filesystem::remove(ours);
    std::filesystem::remove(peer);
}
BENCHMARK(BM_BmpSaveAgainstOneWrite)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
