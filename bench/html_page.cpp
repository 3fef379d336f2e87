// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a 50 MB page (a long Shift_JIS article with tables, scripts and
// comments, the image and its 2,000-area map near the end) and taking its
// markup out, against a bare memchr walk over every '<' of the same bytes:
// the floor of any tag scanner. BM_PageAgainstMemchr reports the ratio.

#include "markup/html_page.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>

#include "markup/text_encoding.h"

namespace {

const std::string& Page() {
    static const std::string page = [] {
        std::string block = ze::EncodeWithReferences(
            "<tr><td class=\"c\">北海道の地図と観光案内</td><td><a href=\"p.html\">次へ</a>"
            "</td></tr>\r\n<!-- 注 <img usemap=\"#no\"> -->\r\n"
            "<script>if (a < b) document.write('<map name=\"x\">');</script>\r\n",
            ze::CodePage::kShiftJis);
        std::string text = "<html><head><meta charset=\"Shift_JIS\"></head><body><table>\r\n";
        while (text.size() < (size_t{50} << 20) - 200000) text += block;
        text +=
            "</table>\r\n<img src=\"map.gif\" width=640 height=480 usemap=\"#m\">\r\n"
            "<map name=\"m\">\r\n";
        for (int i = 0; i < 2000; ++i)
            text += "<area shape=\"rect\" coords=\"1,2,3,4\" href=\"a" + std::to_string(i) +
                    ".html\" alt=\"\x89\x77\">\r\n";
        text += "</map>\r\n</body></html>\r\n";
        return text;
    }();
    return page;
}

size_t CountTags(const std::string& page) {
    size_t count = 0;
    const char* p = page.data();
    const char* end = p + page.size();
    while ((p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)))) != nullptr) {
        ++count;
        ++p;
    }
    return count;
}

size_t ReadAndExtract(const std::string& page) {
    const HtmlPage read = ReadHtmlPage(page);
    return read.maps.empty() ? 0 : ExtractMarkup(page, read, 0).size();
}

void BM_ReadAndExtract50MB(benchmark::State& state) {
    const std::string& page = Page();
    for (auto _ : state) benchmark::DoNotOptimize(ReadAndExtract(page));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
}
BENCHMARK(BM_ReadAndExtract50MB)->Unit(benchmark::kMillisecond);

void BM_MemchrPeer50MB(benchmark::State& state) {
    const std::string& page = Page();
    for (auto _ : state) benchmark::DoNotOptimize(CountTags(page));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
}
BENCHMARK(BM_MemchrPeer50MB)->Unit(benchmark::kMillisecond);

// Both in turn, several rounds; the counter "ratio" is ours / the peer's.
void BM_PageAgainstMemchr(benchmark::State& state) {
    const std::string& page = Page();
    using Clock = std::chrono::steady_clock;
    double ours = 0, peer = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        benchmark::DoNotOptimize(ReadAndExtract(page));
        auto t1 = Clock::now();
        benchmark::DoNotOptimize(CountTags(page));
        auto t2 = Clock::now();
        ours += std::chrono::duration<double>(t1 - t0).count();
        peer += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = peer > 0 ? ours / peer : 0;
    state.counters["ours_ms"] = 1000 * ours / double(state.iterations());
}
BENCHMARK(BM_PageAgainstMemchr)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
