// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a 4096 x 4096 24-bit BMP with CImage against a bare read of the
// same file into a fresh buffer. BM_LoadAgainstBareRead reports the ratio.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "image/image.h"
#include "io/file_io.h"

namespace {

constexpr int kSide = 4096;

// The test file, written once and removed at exit.
class Picture {
public:
    Picture() {
        m_path = (std::filesystem::temp_directory_path() /
                  ("ze-bench-bmp-" + std::to_string(::getpid()) + ".bmp"))
                     .string();
        CImage image;
        image.Create(kSide, kSide, 24, -1);
        uint8_t* bits = image.GetBits();
        const size_t bytes = static_cast<size_t>(image.GetRowBytes()) * kSide;
        for (size_t i = 0; i < bytes; ++i) bits[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
        m_ok = image.Save(m_path, kImageBmp) == 1;
    }
    ~Picture() { std::filesystem::remove(m_path); }
    const std::string& Path() const { return m_path; }
    bool Ok() const { return m_ok; }

private:
    std::string m_path;
    bool m_ok = false;
};

const Picture& ThePicture() {
    static const Picture picture;
    return picture;
}

size_t BareRead(const std::string& path) {
    ze::FilePtr f = ze::OpenFile(path, "rb");
    if (!f) return 0;
    std::fseek(f.get(), 0, SEEK_END);
    const long size = std::ftell(f.get());
    std::fseek(f.get(), 0, SEEK_SET);
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(size));
    const size_t got = std::fread(buffer.get(), 1, static_cast<size_t>(size), f.get());
    benchmark::DoNotOptimize(buffer.get());
    return got;
}

int Load(const std::string& path) {
    CImage image(path, kImageBmp);
    benchmark::DoNotOptimize(image.GetBits());
    return image.GetWidth();
}

void BM_BareRead(benchmark::State& state) {
    const Picture& p = ThePicture();
    if (!p.Ok()) return state.SkipWithError("cannot write the test file");
    for (auto _ : state) benchmark::DoNotOptimize(BareRead(p.Path()));
}
BENCHMARK(BM_BareRead)->Unit(benchmark::kMillisecond);

void BM_CImageLoad(benchmark::State& state) {
    const Picture& p = ThePicture();
    if (!p.Ok()) return state.SkipWithError("cannot write the test file");
    for (auto _ : state)
        if (Load(p.Path()) != kSide) return state.SkipWithError("load failed");
}
BENCHMARK(BM_CImageLoad)->Unit(benchmark::kMillisecond);

// Both in turn, so that they meet the same cache and machine load.
void BM_LoadAgainstBareRead(benchmark::State& state) {
    const Picture& p = ThePicture();
    if (!p.Ok()) return state.SkipWithError("cannot write the test file");
    using Clock = std::chrono::steady_clock;
    double bare = 0, load = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        BareRead(p.Path());
        const auto t1 = Clock::now();
        if (Load(p.Path()) != kSide) return state.SkipWithError("load failed");
        const auto t2 = Clock::now();
        bare += std::chrono::duration<double>(t1 - t0).count();
        load += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["bare_ms"] = bare * 1000 / static_cast<double>(state.iterations());
    state.counters["load_ms"] = load * 1000 / static_cast<double>(state.iterations());
    state.counters["ratio"] = bare > 0 ? load / bare : 0;
}
BENCHMARK(BM_LoadAgainstBareRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
