// SPDX-License-Identifier: GPL-3.0-or-later
// A 64 MB page whose map holds 64 MB of line breaks (LF, or lone CRs),
// read, taken out and merged back unchanged, against reading a plain page
// of the same size (prose, a map of a few areas) in the same run. The page
// is copied first as a file's reading would, so that both sides count it.
// Counters: the ratios of time and of peak heap bytes (giant / plain), and
// the milliseconds and MB of each; the heap is counted by a replaced
// operator new in this program, the time is the process's processor time
// (steadier than the clock on a shared machine).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>

#include "markup/html_page.h"

namespace {
size_t g_current = 0;
size_t g_peak = 0;

// Each block carries its size in front of it.
constexpr size_t kHeader = alignof(std::max_align_t);

void* Allocate(size_t size) {
    void* block = std::malloc(size + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<size_t*>(block) = size;
    g_current += size;
    g_peak = std::max(g_peak, g_current);
    return static_cast<char*>(block) + kHeader;
}

void Free(void* p) {
    if (!p) return;
    void* block = static_cast<char*>(p) - kHeader;
    g_current -= *static_cast<size_t*>(block);
    std::free(block);
}
}  // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    Free(p);
}
void operator delete[](void* p) noexcept {
    Free(p);
}
void operator delete(void* p, size_t) noexcept {
    Free(p);
}
void operator delete[](void* p, size_t) noexcept {
    Free(p);
}

namespace {

constexpr size_t kSize = (size_t{64} << 20) - 4096;

std::string GiantPage(char lineBreak) {
    std::string page = "<html><body>\n<img src=\"map.gif\" usemap=\"#m\">\n<map name=\"m\">";
    page.append(kSize - page.size() - 20, lineBreak);
    page += "</map>\n</body></html>\n";
    return page;
}

std::string PlainPage() {
    std::string page = "<html><body>\n<img src=\"map.gif\" usemap=\"#m\">\n<map name=\"m\">\n";
    for (int i = 0; i < 10; ++i)
        page +=
            "<area shape=\"rect\" coords=\"1,2,3,4\" href=\"a" + std::to_string(i) + ".html\">\n";
    page += "</map>\n";
    const std::string block =
        "<p>The harbour lies to the north of the old town; <a href=\"walk.html\">a walk</a> "
        "of twenty minutes leads there along the river.</p>\n";
    while (page.size() + block.size() < kSize - 20) page += block;
    page += "</body></html>\n";
    return page;
}

struct Cost {
    double seconds = 0;
    size_t bytes = 0;  // peak heap above what was held before
};

template <typename Work>
Cost Measure(Work work) {
    const size_t before = g_current;
    g_peak = g_current;
    const std::clock_t t0 = std::clock();
    work();
    const std::clock_t t1 = std::clock();
    return {double(t1 - t0) / CLOCKS_PER_SEC, g_peak - before};
}

// The page's bytes as a file gives them, read and its markup taken out;
// with `merge`, put back too.
Cost ReadPage(const std::string& source, bool merge) {
    return Measure([&] {
        const std::string bytes = source;
        const HtmlPage page = ReadHtmlPage(bytes);
        if (page.maps.empty()) std::abort();
        const std::string pane = ExtractMarkup(bytes, page, 0);
        if (!merge) return;
        std::string merged;
        if (MergeMarkup(bytes, page, 0, pane, &merged) != ze::StatusCode::kOk) std::abort();
        benchmark::DoNotOptimize(merged.data());
    });
}

void Report(benchmark::State& state, char lineBreak) {
    const std::string plain = PlainPage();
    const std::string giant = GiantPage(lineBreak);
    Cost base, read, merge;
    for (auto _ : state) {
        const Cost p = ReadPage(plain, false);
        const Cost r = ReadPage(giant, false);
        const Cost m = ReadPage(giant, true);
        base.seconds += p.seconds, read.seconds += r.seconds, merge.seconds += m.seconds;
        base.bytes = std::max(base.bytes, p.bytes);
        read.bytes = std::max(read.bytes, r.bytes);
        merge.bytes = std::max(merge.bytes, m.bytes);
    }
    const double n = double(state.iterations());
    constexpr double kMB = 1 << 20;
    state.counters["plain_ms"] = 1000 * base.seconds / n;
    state.counters["plain_MB"] = double(base.bytes) / kMB;
    state.counters["read_ms"] = 1000 * read.seconds / n;
    state.counters["read_MB"] = double(read.bytes) / kMB;
    state.counters["merge_ms"] = 1000 * merge.seconds / n;
    state.counters["merge_MB"] = double(merge.bytes) / kMB;
    state.counters["read_time_ratio"] = read.seconds / base.seconds;
    state.counters["read_bytes_ratio"] = double(read.bytes) / double(base.bytes);
    state.counters["merge_time_ratio"] = merge.seconds / base.seconds;
    state.counters["merge_bytes_ratio"] = double(merge.bytes) / double(base.bytes);
}

void BM_GiantPageOfLineFeeds(benchmark::State& state) {
    Report(state, '\n');
}
BENCHMARK(BM_GiantPageOfLineFeeds)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_GiantPageOfCarriageReturns(benchmark::State& state) {
    Report(state, '\r');
}
BENCHMARK(BM_GiantPageOfCarriageReturns)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
