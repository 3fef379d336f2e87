// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a 1920 x 1080 photograph-like 24-bit picture into the formats that
// encode it, the whole save (rows, encoder, safe write with its sync and
// rename) against the format's own tool or library on the same pixels at the
// same settings, one call of each side in turn:
// - WebP quality 80 (method 4, one thread) and lossless (effort 75, method
//   4, exact): against cwebp, which reads the same pixels from a PPM file;
// - AVIF quality 80 (quantizer 13, 4:4:4, full range, speed 6, one thread a
//   processor) and lossless: against avifenc at --min/--max 13 (or -l),
//   -y 444, -r full, -s 6, -j the same thread count, reading a PNG file;
// - GIF: against libimagequant quantizing the same RGBA pixels (speed 4,
//   full dithering) and giflib writing its indices into a synced file.
// The peers' processes pay their start-up and the reading of their input;
// that is their whole save as a person runs it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <gif_lib.h>
#include <libimagequant.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "image/avif_codec.h"
#include "image/gif_codec.h"
#include "image/png_codec.h"
#include "image/webp_codec.h"
#include "in_turn.h"

extern char** environ;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("ze-bench-encode-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

// Shading with a fine grain, as a photograph has; `rgba` gets the same
// pixels top row first.
template <class Impl>
void Photo(Impl& picture, std::vector<uint8_t>* rgba) {
    picture.Create(kWidth, kHeight, 24, -1);
    rgba->resize(size_t{4} * kWidth * kHeight);
    uint32_t grain = 7;
    for (int r = 0; r < kHeight; ++r) {
        uint8_t* p = picture.PixelAddress(0, kHeight - 1 - r);
        uint8_t* q = rgba->data() + size_t{4} * kWidth * r;
        for (int x = 0; x < kWidth; ++x, p += 3, q += 4) {
            grain = grain * 1103515245u + 12345u;
            const int n = static_cast<int>(grain >> 29) - 4;
            const auto at = [n](double v) {
                return static_cast<uint8_t>(std::clamp(static_cast<int>(v) + n, 0, 255));
            };
            q[0] = at(128 + 100 * std::sin(x / 73.0 + r / 41.0) * std::cos(r / 97.0));
            q[1] = at(120 + 90 * std::cos(r / 57.0 + x / 211.0));
            q[2] = at((x + r) / 12.0);
            q[3] = 255;
            p[0] = q[2], p[1] = q[1], p[2] = q[0];
        }
    }
}

bool Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

std::string Threads() {
    return std::to_string(std::max(1u, std::thread::hardware_concurrency()));
}

void BM_WebpSaveAgainstCwebp(benchmark::State& state, bool lossless) {
    PixelStore picturePixels;
    CWebpImpl picture(picturePixels);
    std::vector<uint8_t> rgba;
    Photo(picture, &rgba);
    picture.saveOptions = {80, lossless};
    const std::string ppm = TempPath("in.ppm"), ours = TempPath("ours.webp"),
                      peer = TempPath("cwebp.webp");
    if (std::FILE* f = std::fopen(ppm.c_str(), "wb")) {
        std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
        for (size_t i = 0; i < rgba.size(); i += 4) std::fwrite(&rgba[i], 1, 3, f);
        std::fclose(f);
    }
    std::vector<std::string> cwebp = {"cwebp", "-quiet", "-m", "4"};
    if (lossless)
        cwebp.insert(cwebp.end(), {"-lossless", "-exact", "-q", "75"});
    else
        cwebp.insert(cwebp.end(), {"-q", "80"});
    cwebp.insert(cwebp.end(), {ppm, "-o", peer});
    InTurn(state, {{"ours", [&] { return picture.Write(ours) == 1; }},
                   {"cwebp", [&] { return Run(cwebp); }}});
    state.counters["ours_bytes"] = double(std::filesystem::file_size(ours));
    state.counters["cwebp_bytes"] = double(std::filesystem::file_size(peer));
    for (const auto& path : {ppm, ours, peer}) std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(BM_WebpSaveAgainstCwebp, q80, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);
BENCHMARK_CAPTURE(BM_WebpSaveAgainstCwebp, lossless, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);

void BM_AvifSaveAgainstAvifenc(benchmark::State& state, bool lossless) {
    PixelStore picturePixels;
    CAvifImpl picture(picturePixels);
    std::vector<uint8_t> rgba;
    Photo(picture, &rgba);
    picture.saveOptions = {80, lossless};
    const std::string png = TempPath("in.png"), ours = TempPath("ours.avif"),
                      peer = TempPath("avifenc.avif");
    PixelStore sourcePixels;
    CPngImpl source(sourcePixels);
    Photo(source, &rgba);
    if (source.Write(png) != 1) return state.SkipWithError("no PNG for avifenc");
    std::vector<std::string> avifenc = {"avifenc", "-s", "6", "-j", Threads()};
    if (lossless)
        avifenc.push_back("-l");
    else
        avifenc.insert(avifenc.end(), {"--min", "13", "--max", "13", "-y", "444", "-r", "full"});
    avifenc.insert(avifenc.end(), {png, peer});
    InTurn(state, {{"ours", [&] { return picture.Write(ours) == 1; }},
                   {"avifenc", [&] { return Run(avifenc); }}});
    state.counters["ours_bytes"] = double(std::filesystem::file_size(ours));
    state.counters["avifenc_bytes"] = double(std::filesystem::file_size(peer));
    for (const auto& path : {png, ours, peer}) std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(BM_AvifSaveAgainstAvifenc, q80, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);
BENCHMARK_CAPTURE(BM_AvifSaveAgainstAvifenc, lossless, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// libimagequant's palette and indices, written by giflib into a file that is
// synced and renamed as our safe write does.
bool QuantizeAndGiflib(const std::vector<uint8_t>& rgba, const std::string& path) {
    liq_attr* attr = liq_attr_create();
    liq_image* image = liq_image_create_rgba(attr, rgba.data(), kWidth, kHeight, 0);
    liq_result* result = nullptr;
    bool ok = image && liq_image_quantize(image, attr, &result) == LIQ_OK;
    std::vector<uint8_t> indices(size_t{kWidth} * kHeight);
    if (ok) {
        liq_set_dithering_level(result, 1.0f);
        ok = liq_write_remapped_image(result, image, indices.data(), indices.size()) == LIQ_OK;
    }
    GifColorType colours[256] = {};
    if (ok) {
        const liq_palette* palette = liq_get_palette(result);
        for (unsigned i = 0; i < palette->count; ++i)
            colours[i] = {palette->entries[i].r, palette->entries[i].g, palette->entries[i].b};
    }
    if (result) liq_result_destroy(result);
    if (image) liq_image_destroy(image);
    liq_attr_destroy(attr);
    if (!ok) return false;

    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int keep = ::dup(fd);
    int error = 0;
    GifFileType* gif = EGifOpenFileHandle(fd, &error);
    ColorMapObject* map = GifMakeMapObject(256, colours);
    ok = gif && EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map) == GIF_OK &&
         EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr) == GIF_OK;
    for (int r = 0; ok && r < kHeight; ++r)
        ok = EGifPutLine(gif, indices.data() + size_t{kWidth} * r, kWidth) == GIF_OK;
    ok = gif && EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    ok = ::fdatasync(keep) == 0 && ok;
    ::close(keep);
    return ok && std::rename(temp.c_str(), path.c_str()) == 0;
}

void BM_GifSaveAgainstLibimagequantGiflib(benchmark::State& state) {
    PixelStore picturePixels;
    CGifImpl picture(picturePixels);
    std::vector<uint8_t> rgba;
    Photo(picture, &rgba);
    const std::string ours = TempPath("ours.gif"), peer = TempPath("peer.gif");
    InTurn(state, {{"ours", [&] { return picture.Write(ours) == 1; }},
                   {"liq_giflib", [&] { return QuantizeAndGiflib(rgba, peer); }}});
    state.counters["ours_bytes"] = double(std::filesystem::file_size(ours));
    state.counters["liq_giflib_bytes"] = double(std::filesystem::file_size(peer));
    for (const auto& path : {ours, peer}) std::filesystem::remove(path);
}
BENCHMARK(BM_GifSaveAgainstLibimagequantGiflib)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);

}  // namespace
