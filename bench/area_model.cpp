// SPDX-License-Identifier: GPL-3.0-or-later
// The area model on a pane of 10,000 area lines.
// - Reading every tag (ParseAreas) against two peers over the same text: a
//   bare memchr walk over its '<' bytes, the floor of any reader that looks
//   at every tag, and std::regex_iterator with "<area[^>]*>", the quick way
//   to find the tags. BM_ParseAgainstPeers reports both ratios.
// - Reading again after one typed character (UpdateAreas) against reading
//   the whole text.
// - The area line's insertion as one edit (InsertAreaLineEdit) against
//   today's whole-text InsertAreaLine and against inserting the same bytes
//   into the string at the same place, with the tag setting off and on.

#include "markup/area_model.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <regex>
#include <string>

#include "markup/area_markup.h"

namespace {

constexpr int kAreas = 10000;

std::string MakePane() {
    std::string text =
        "<img src=\"photo.jpg\" width=1600 height=1200 usemap=\"#map_photo.jpg\">\r\n"
        "<map name=\"map_photo.jpg\">\r\n";
    for (int i = 0; i < kAreas; ++i) {
        const int x = i % 1500, y = i / 10;
        const std::string href = "page" + std::to_string(i) + ".html";
        switch (i % 3) {
            case 0:
                text += FormatRectArea({x, y}, {x + 40, y + 30}, {0, 0}, 1, "rect", href);
                break;
            case 1:
                text += FormatCircleArea({x, y}, {x + 12, y + 5}, {0, 0}, 1, "circle", href);
                break;
            default:
                text += FormatPolyArea({{x, y}, {x + 30, y}, {x + 15, y + 20}, {x, y + 10}}, {0, 0},
                                       1, "poly", href);
        }
        text += "\r\n";
    }
    return text + "</map>";
}

const std::string& Pane() {
    static const std::string pane = MakePane();
    return pane;
}

// Processor time of this process: the machine the benchmarks run on is
// shared, and the ratios compare work, not waiting.
double Seconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

size_t MemchrScan(const std::string& text) {
    size_t count = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(end - p))))) {
        ++count;
        ++p;
    }
    return count;
}

size_t RegexScan(const std::string& text) {
    static const std::regex tag("<area[^>]*>", std::regex::icase);
    return static_cast<size_t>(
        std::distance(std::sregex_iterator(text.begin(), text.end(), tag), std::sregex_iterator()));
}

void BM_ParseAreas(benchmark::State& state) {
    for (auto _ : state)
        if (ParseAreas(Pane()).size() != kAreas) return state.SkipWithError("wrong count");
}
BENCHMARK(BM_ParseAreas)->Unit(benchmark::kMillisecond);

void BM_MemchrScan(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MemchrScan(Pane()));
}
BENCHMARK(BM_MemchrScan)->Unit(benchmark::kMillisecond);

// All three in turn, so that they meet the same cache and machine load;
// counters in processor time.
void BM_ParseAgainstPeers(benchmark::State& state) {
    double parse = 0, scan = 0, regex = 0;
    for (auto _ : state) {
        const auto t0 = Seconds();
        const size_t areas = ParseAreas(Pane()).size();
        const auto t1 = Seconds();
        benchmark::DoNotOptimize(MemchrScan(Pane()));
        const auto t2 = Seconds();
        const size_t found = RegexScan(Pane());
        const auto t3 = Seconds();
        if (areas != kAreas || found != kAreas) return state.SkipWithError("wrong count");
        parse += t1 - t0;
        scan += t2 - t1;
        regex += t3 - t2;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["parse_ms"] = parse * 1000 / n;
    state.counters["memchr_ms"] = scan * 1000 / n;
    state.counters["regex_ms"] = regex * 1000 / n;
    state.counters["vs_memchr"] = scan > 0 ? parse / scan : 0;
    state.counters["vs_regex"] = regex > 0 ? parse / regex : 0;
}
BENCHMARK(BM_ParseAgainstPeers)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One character typed into the pane, then the areas read again: from the
// first changed byte on (UpdateAreas, what the outlines do) against reading
// the whole text afresh. Arg: where, 0 in the last area, 1 in the first.
void BM_UpdateAfterTypingAgainstParse(benchmark::State& state) {
    const std::string& before = Pane();
    const std::vector<AreaTag> areas = ParseAreas(before);
    const size_t at = areas[state.range(0) ? 0 : areas.size() - 1].hrefValue.begin;
    const std::string after = before.substr(0, at) + "x" + before.substr(at);
    double update = 0, parse = 0;
    for (auto _ : state) {
        std::vector<AreaTag> copy = areas;  // the outlines hand theirs over
        const auto t0 = Seconds();
        const size_t updated = UpdateAreas(std::move(copy), before, after).size();
        const auto t1 = Seconds();
        const size_t parsed = ParseAreas(after).size();
        const auto t2 = Seconds();
        if (updated != kAreas || parsed != kAreas) return state.SkipWithError("wrong count");
        update += t1 - t0;
        parse += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["update_ms"] = update * 1000 / n;
    state.counters["parse_ms"] = parse * 1000 / n;
    state.counters["ratio"] = parse > 0 ? update / parse : 0;
}
BENCHMARK(BM_UpdateAfterTypingAgainstParse)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Arg: the tag setting (0 lower case, 1 upper case).
void BM_InsertLineAgainstPeers(benchmark::State& state) {
    const MarkupSettings settings{state.range(0) != 0, ""};
    const std::string text = state.range(0) ? UpperCaseOutsideQuotes(Pane()) : Pane();
    const std::string line = FormatRectArea({5, 6}, {70, 80}, {0, 0}, 1, "new", "new.html");
    std::string cursor = text;
    cursor.reserve(text.size() + 2 * line.size());
    const size_t at = text.size() - 6;
    double edit = 0, whole = 0, insert = 0;
    for (auto _ : state) {
        const auto t0 = Seconds();
        const TextEdit e = InsertAreaLineEdit(text, line, settings);
        benchmark::DoNotOptimize(e.inserted.data());
        const auto t1 = Seconds();
        benchmark::DoNotOptimize(InsertAreaLine(text, line, settings).data());
        const auto t2 = Seconds();
        cursor.insert(at, line);
        cursor.insert(at + line.size(), "\r\n");
        benchmark::DoNotOptimize(cursor.data());
        const auto t3 = Seconds();
        cursor.erase(at, line.size() + 2);
        if (e.begin != at || e.removed != 0) return state.SkipWithError("not a plain insertion");
        edit += t1 - t0;
        whole += t2 - t1;
        insert += t3 - t2;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["edit_us"] = edit * 1e6 / n;
    state.counters["whole_text_us"] = whole * 1e6 / n;
    state.counters["string_insert_us"] = insert * 1e6 / n;
    state.counters["vs_whole_text"] = whole > 0 ? edit / whole : 0;
}
BENCHMARK(BM_InsertLineAgainstPeers)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
